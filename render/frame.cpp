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

namespace {

// What a frame leaves behind besides its drawing, which nobody can see: the generator moved on by
// one number per lit cell, and the surface's position, colour and size as the last cell's
// statements leave them (each axis's position the last one that fits in 16 bits, the size the
// last one the surface accepts).
void PassUnseen(const RainField& field, Surface& surface, RandomGenerator& random)
{
    const std::int16_t lastColumn = field.MaxColumn;
    const std::int16_t lastRow = field.MaxRow;
    if (lastColumn < 0 || lastRow < 0)
        return;
    std::uint64_t lit = 0;
    for (int column = 0; column <= lastColumn; ++column) {
        for (const std::uint8_t brightness : field.Brightness.Column(column))
            lit += brightness >= kLitThreshold;
        if (const auto x = TryMultiply16(static_cast<std::int16_t>(column), field.CellWidth))
            surface.SetCurrentX(*x);
        surface.SetFontSize(field.GlyphSize(column));
    }
    random.Skip(lit);
    for (int row = 0; row <= lastRow; ++row) {
        if (const auto y = TryMultiply16(static_cast<std::int16_t>(row), field.CellHeight))
            surface.SetCurrentY(*y);
    }
    const std::uint8_t last = field.Brightness(lastColumn, lastRow);
    surface.SetForeColor(last == kHeadBrightness ? kHeadColour : TrailColour(last));
}

}

void DrawFrame(const RainField& field, Surface& surface, RandomGenerator& random)
{
    // A window that cannot be seen (minimised, unmapped) shows nothing of the frame, so its cells
    // are not visited one by one; everything else the frame does still happens, so that the rain
    // is exactly what it would have been when the window is seen again.
    if (!surface.Seen()) {
        PassUnseen(field, surface, random);
        return;
    }
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
