// A size's glyphs drawn in one grid and cut into the atlas: one canvas read per size rather than
// one per glyph, which keeps start-up's twelve sizes quick.
#include "platform/web/canvas_glyph_source.h"

#include "platform/characters.h"
#include "platform/web/page_imports.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace tavrel::web {

namespace {

constexpr int kGridSide = 16;
constexpr char32_t kSoftHyphen = 0xAD;

struct GridFacts {
    int LineHeight;
    int CellWidth;
    int CellHeight;
    int PenLeft;
    int PenTop;
};

// The code page's characters; the unassigned codes have none.
std::array<std::uint32_t, 256> CodePoints()
{
    std::array<std::uint32_t, 256> points {};
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        points[static_cast<std::size_t>(code)] = IsUnassignedCode(byte) ? 0 : CodePointOf(byte);
    }
    return points;
}

}

CanvasGlyphSource::CanvasGlyphSource(int dotsPerInch)
    : m_dotsPerInch(dotsPerInch)
{
}

const GlyphAtlas& CanvasGlyphSource::AtlasAt(int points)
{
    const auto found = m_atlases.find(points);
    if (found != m_atlases.end())
        return found->second;
    static const std::array<std::uint32_t, 256> codePoints = CodePoints();
    const float pixelsPerEm = static_cast<float>(points) * static_cast<float>(m_dotsPerInch) / 72.0f;
    std::array<std::int32_t, 5 + 256> facts {};
    tavrel_page_measure_glyphs(pixelsPerEm, codePoints.data(), facts.data());
    const GridFacts grid { facts[0], facts[1], facts[2], facts[3], facts[4] };
    const std::size_t gridWidth = static_cast<std::size_t>(grid.CellWidth) * kGridSide;
    std::vector<std::uint8_t> coverage(gridWidth * static_cast<std::size_t>(grid.CellHeight) * kGridSide);
    tavrel_page_draw_glyphs(pixelsPerEm, codePoints.data(), coverage.data());

    GlyphAtlas atlas;
    atlas.LineHeight = grid.LineHeight;
    std::vector<std::uint8_t> box(static_cast<std::size_t>(grid.CellWidth) * static_cast<std::size_t>(grid.CellHeight));
    for (int code = 0; code < 256; ++code) {
        GlyphBitmap& glyph = atlas.Glyphs[static_cast<std::size_t>(code)];
        const std::uint32_t point = codePoints[static_cast<std::size_t>(code)];
        if (point == 0)
            continue;
        glyph.Advance = facts[static_cast<std::size_t>(5 + code)];
        // The soft hyphen shows only where a line breaks, and no line breaks here.
        if (point == kSoftHyphen)
            continue;
        const std::size_t cellLeft = static_cast<std::size_t>(code % kGridSide) * static_cast<std::size_t>(grid.CellWidth);
        const std::size_t cellTop = static_cast<std::size_t>(code / kGridSide) * static_cast<std::size_t>(grid.CellHeight);
        for (std::size_t y = 0; y < static_cast<std::size_t>(grid.CellHeight); ++y) {
            const std::uint8_t* row = coverage.data() + (cellTop + y) * gridWidth + cellLeft;
            std::copy(row, row + grid.CellWidth, box.begin() + static_cast<std::ptrdiff_t>(y * static_cast<std::size_t>(grid.CellWidth)));
        }
        AddTrimmedGlyph(atlas, glyph, box, grid.CellWidth, grid.CellHeight, -grid.PenLeft, -grid.PenTop);
    }
    atlas.Coverage.shrink_to_fit();
    return m_atlases.emplace(points, std::move(atlas)).first->second;
}

}
