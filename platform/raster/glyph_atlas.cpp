// Trimming rendered glyphs to their ink.
#include "platform/raster/glyph_atlas.h"

#include <algorithm>

namespace tavrel {

void AddTrimmedGlyph(GlyphAtlas& atlas, GlyphBitmap& glyph, const std::vector<std::uint8_t>& box, int width, int height, int boxLeft, int boxTop)
{
    const auto at = [&](int x, int y) { return box[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; };
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (at(x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
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
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x)
            atlas.Coverage.push_back(at(x, y));
    }
    atlas.Coverage.insert(atlas.Coverage.end(), kCoverageGroup, 0);
}

}
