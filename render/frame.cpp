// One frame of the rain, cell by cell, in the surface's own terms.
#include "render/frame.h"

#include "platform/characters.h"
#include "platform/numeric.h"

#include <array>

namespace tavrel {

namespace {

Colour ComputeTrailColour(std::uint8_t brightness)
{
    return MakeColour(0, ToInt16(brightness / kBrightnessDivisor), 0);
}

}

Colour TrailColour(std::uint8_t brightness)
{
    // Every cell of every frame needs one; a byte has only 256 of them.
    static const auto kColours = [] {
        std::array<Colour, 256> colours;
        for (int value = 0; value < 256; ++value)
            colours[static_cast<std::size_t>(value)] = ComputeTrailColour(static_cast<std::uint8_t>(value));
        return colours;
    }();
    return kColours[brightness];
}

void DrawFrame(const RainField& field, Surface& surface, RandomGenerator& random)
{
    surface.Cls();
    const std::int16_t lastColumn = field.MaxColumn;
    for (int column = 0; column <= lastColumn; ++column) {
        const std::int16_t lastRow = field.MaxRow;
        for (int row = 0; row <= lastRow; ++row) {
            const std::uint8_t brightness = field.Brightness(column, row);
            // A position beyond 16 bits (only on a surface wider or taller than 32767 units) is
            // skipped; the previous position stays in force for this cell.
            if (const auto x = TryMultiply16(static_cast<std::int16_t>(column), field.CellWidth))
                surface.SetCurrentX(*x);
            if (const auto y = TryMultiply16(static_cast<std::int16_t>(row), field.CellHeight))
                surface.SetCurrentY(*y);
            surface.SetForeColor(TrailColour(brightness));
            // A size the surface refuses (the 0 of a column never filled) leaves the previous size.
            surface.SetFontSize(field.GlyphSize(column));
            if (brightness == kHeadBrightness)
                surface.SetForeColor(kHeadColour);
            if (brightness >= kLitThreshold)
                surface.Print(CharFromCode(ToInt32(ProductInDouble(random.NextRandom(), kCharacterRange))));
        }
    }
}

}
