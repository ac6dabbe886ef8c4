// Sizing, creation and the initial random fill of the rain field.
#include "rain/field.h"

#include "platform/numeric.h"

namespace tavrel {

namespace {

constexpr float kFillGlyphSizeRange = 20.0f;

}

std::int16_t LastCellIndex(float extent, std::int16_t cellSize)
{
    return ToInt16(Int(Divide(extent, cellSize)) - 1.0);
}

void CreateField(RainField& field)
{
    field.Brightness = Array2D<std::uint8_t>(field.MaxColumn, field.MaxRow);
    field.DropRow = Array1D<std::int16_t>(field.MaxColumn);
    field.GlyphSize = Array1D<std::int16_t>(field.MaxColumn);
}

void FillField(RainField& field, RandomGenerator& random)
{
    const std::int16_t lastColumn = field.MaxColumn;
    for (int column = 1; column <= lastColumn; ++column) {
        field.DropRow(column) = ToInt16(ProductInDouble(random.NextRandom(), field.MaxRow));
        field.GlyphSize(column) = ToInt16(ProductInDouble(random.NextRandom(), kFillGlyphSizeRange));
    }
}

}
