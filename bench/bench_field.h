// A field after start-up and 1000 steps, as the window would hold it at a given client size.
#pragma once

#include "rain/field.h"
#include "rain/step.h"

namespace tavrel::bench {

// The cell of "X" in the window font at 8 points.
inline constexpr std::int16_t kCellWidth = 7;
inline constexpr std::int16_t kCellHeight = 13;

inline RainField FullField(int clientWidth, int clientHeight, RandomGenerator& random, std::int16_t cellWidth = kCellWidth, std::int16_t cellHeight = kCellHeight)
{
    RainField field;
    field.CellWidth = cellWidth;
    field.CellHeight = cellHeight;
    field.MaxColumn = LastCellIndex(static_cast<float>(clientWidth), cellWidth);
    field.MaxRow = LastCellIndex(static_cast<float>(clientHeight), cellHeight);
    CreateField(field);
    FillField(field, random);
    for (int step = 0; step < 1000; ++step)
        StepRain(field, random);
    return field;
}

}
