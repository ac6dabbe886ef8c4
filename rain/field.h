// The rain field: a grid of character cells over the window's client area, the brightness of
// every cell, and each column's drop row and glyph size.
#pragma once

#include "platform/random.h"
#include "rain/array.h"

#include <cstdint>

namespace tavrel {

// Brightness written at a drop's head; the trail above it fades by 8 per row.
inline constexpr std::uint8_t kHeadBrightness = 255;

struct RainField {
    Array2D<std::uint8_t> Brightness;   // (column, row); 0 or 255 - 8k for k = 0..31
    Array1D<std::int16_t> DropRow;      // per column: the head's row, may run up to MaxRow + 49
    Array1D<std::int16_t> GlyphSize;    // per column: points, 9..20 once the rain has stepped
    std::int16_t CellWidth = 0;         // surface units, measured from "X" at start-up
    std::int16_t CellHeight = 0;
    std::int16_t MaxColumn = 0;         // highest column index
    std::int16_t MaxRow = 0;            // highest row index
};

// The highest index of the cells that fit whole into an extent: Int(extent / cellSize) - 1.
// A cell size of 0 fails with division by zero, a result beyond 16 bits with overflow; an extent
// smaller than one cell gives -1, for which no field can be made.
std::int16_t LastCellIndex(float extent, std::int16_t cellSize);

// Makes Brightness, DropRow and GlyphSize for MaxColumn and MaxRow, every element 0, discarding
// what they held. A highest index of -1 fails with a subscript out of range.
void CreateField(RainField& field);

// Draws each column's starting row and then its glyph size, for columns 1..MaxColumn in turn.
// Column 0 is left at row 0 and size 0.
void FillField(RainField& field, RandomGenerator& random);

}
