// Trimming rendered glyphs to their ink.
#include "platform/raster/glyph_atlas.h"

#include <algorithm>
#include <iterator>

namespace tavrel {

void AddTrimmedGlyph(GlyphAtlas& atlas, GlyphBitmap& glyph, const std::vector<std::uint8_t>& box, int width, int height, int boxLeft, int boxTop)
{
    // Row by row: a row's ink runs from its first to its last non-zero byte.
    const auto row = [&](int y) { return box.begin() + static_cast<std::ptrdiff_t>(y) * width; };
    const auto inked = [](std::uint8_t coverage) { return coverage != 0; };
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto first = std::find_if(row(y), row(y) + width, inked);
        if (first == row(y) + width)
            continue;
        const auto last = std::find_if(std::make_reverse_iterator(row(y) + width), std::make_reverse_iterator(first), inked);
        left = std::min(left, static_cast<int>(first - row(y)));
        right = std::max(right, static_cast<int>(last.base() - row(y)) - 1);
        top = std::min(top, y);
        bottom = y;
    }
    if (right < 0)
        return;
    glyph.Left = boxLeft + left;
    glyph.Top = boxTop + top;
    glyph.Width = right - left + 1;
    glyph.Height = bottom - top + 1;
    glyph.Stride = glyph.Width;
    // The zero bytes after the last glyph are taken back and put after this one.
    if (!atlas.Coverage.empty())
        atlas.Coverage.resize(atlas.Coverage.size() - kCoverageGroup);
    glyph.Offset = atlas.Coverage.size();
    for (int y = top; y <= bottom; ++y)
        atlas.Coverage.insert(atlas.Coverage.end(), row(y) + left, row(y) + right + 1);
    atlas.Coverage.insert(atlas.Coverage.end(), kCoverageGroup, 0);
}

}
