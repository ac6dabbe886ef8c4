// Frame drawing: the whole rain field painted afresh, a new random character in every lit cell.
#pragma once

#include "platform/colour.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "rain/field.h"

#include <cstdint>

namespace tavrel {

inline constexpr double kBrightnessDivisor = 1.5;
inline constexpr Colour kHeadColour = MakeColour(100, 255, 100);
inline constexpr std::uint8_t kLitThreshold = 50;
inline constexpr float kCharacterRange = 255.0f;

// The green of a cell: brightness / 1.5, rounded (0..170).
Colour TrailColour(std::uint8_t brightness);

// Clears the surface, then visits every cell column by column, top row down, setting its
// position, colour and size, and prints a random character where the cell is lit. Draws one
// random number per lit cell and none for a dark one; never changes the field.
void DrawFrame(const RainField& field, Surface& surface, RandomGenerator& random);

}
