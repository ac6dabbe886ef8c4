// The 256 glyphs of the code page at one font size, kept as coverage (0..255) so that one
// rendering serves every colour.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tavrel {

// A glyph trimmed to its ink: Left and Top place the ink within the text box whose top-left
// corner is the drawing position; Advance is the width of that box, by which text moves on.
struct GlyphBitmap {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Advance = 0;
    int Stride = 0;         // bytes from one coverage row to the next: the width
    std::size_t Offset = 0; // first coverage byte
};

// The widest vector blend's group of pixels. An atlas's coverage ends with this many zero bytes,
// so that blending may read a whole group from anywhere in a row; what it reads beyond the row's
// end is masked off. Rows themselves are not padded, which keeps the atlases a quarter smaller.
inline constexpr int kCoverageGroup = 8;

struct GlyphAtlas {
    std::array<GlyphBitmap, 256> Glyphs {};
    std::vector<std::uint8_t> Coverage;
    int LineHeight = 0;
};

// Adds one glyph from the coverage of a box (width x height, row by row) whose top-left corner
// lies at (left, top) of the text box, keeping only the rectangle that holds ink; a glyph
// without ink keeps no coverage at all.
void AddTrimmedGlyph(GlyphAtlas& atlas, GlyphBitmap& glyph, const std::vector<std::uint8_t>& box, int width, int height, int left = 0, int top = 0);

// Where a surface gets its glyphs from: a font engine, or a stand-in in tests.
class GlyphSource {
public:
    virtual ~GlyphSource() = default;

    // The atlas for a whole number of points, made on first use and kept.
    virtual const GlyphAtlas& AtlasAt(int points) = 0;

    // Makes the atlases of every whole size from smallest to largest points, for a source that
    // makes several at once for less than one at a time.
    virtual void MakeAtlases(int smallest, int largest)
    {
        for (int points = smallest; points <= largest; ++points)
            AtlasAt(points);
    }
};

}
