// Laying a row of a glyph's coverage over pixels in one colour. Every path gives the same exact
// mix: round((ink * coverage + below * (255 - coverage)) / 255) for each channel. The widest
// vector unit the processor has is chosen once, at run time; a build without SSE has only the
// scalar path, and a WebAssembly build with SIMD has it beside the scalar one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrel {

enum class BlendPath { Scalar, Sse2, Avx2, Simd128 };

// The paths this build has and this processor runs, narrowest first; the last is the one chosen.
const std::vector<BlendPath>& SupportedBlendPaths();

// A glyph's rows to blend: Rows rows of Count pixels, each Pitch pixels below the last, from
// coverage rows Stride bytes apart. GroupSpan (at least Count) is how many pixels of a row exist
// to be taken in whole groups. Coverage may be read up to a group past Count; what lies beyond
// Count is masked off and leaves its pixels as they were.
struct GlyphRows {
    std::uint32_t* Pixels;
    std::ptrdiff_t Pitch;
    const std::uint8_t* Coverage;
    std::ptrdiff_t Stride;
    int Rows;
    int Count;
    int GroupSpan;
    std::uint32_t Ink;
};

void BlendRows(BlendPath path, const GlyphRows& rows);

// The same on the chosen path.
void BlendRows(const GlyphRows& rows);

}
