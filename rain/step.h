// The rain step: one random column restarts, every drop falls a row and rewrites its trail.
#pragma once

#include "platform/random.h"
#include "rain/field.h"

#include <cstdint>
#include <span>

namespace tavrel {

inline constexpr std::int16_t kRestartGlyphSize = 20;
inline constexpr std::int16_t kLowestKeptGlyphSize = 9;
inline constexpr std::int16_t kOverrunRows = 50;
inline constexpr std::int16_t kTrailFalloff = 8;
// The head and the 31 rows above it: 255 - 8 * 31 = 7 is the last value that fits a byte.
inline constexpr int kTrailLength = 32;

// Advances the field by one step. Draws one random number, for the restarted column.
void StepRain(RainField& field, RandomGenerator& random);

// Writes a trail whose head is at row `head` into one column: 255 at the head, 8 less per row
// above it. Rows beyond the column and values below 0 are not written; nothing else changes.
void WriteTrail(std::span<std::uint8_t> rows, std::int16_t head);

}
