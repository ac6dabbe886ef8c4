// A size's glyphs drawn on one sheet, each in a box just around its ink, and cut into the atlas:
// one canvas read per size rather than one per glyph, and of little more than the ink, which keeps
// start-up's twelve sizes quick.
#include "platform/web/canvas_glyph_source.h"

#include "platform/characters.h"
#include "platform/web/page_imports.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace tavrel::web {

namespace {

constexpr char32_t kSoftHyphen = 0xAD;

// What the page says of a size: its line and its sheet, then each glyph's place.
constexpr std::size_t kSheetFacts = 3;
constexpr std::size_t kGlyphFacts = 7;

struct GlyphPlace {
    int Advance;
    int Left; // the box's corner relative to the text box's
    int Top;
    int Width;
    int Height;
    int SheetX;
    int SheetY;
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
    std::array<std::int32_t, kSheetFacts + kGlyphFacts * 256> facts {};
    if (!tavrel_page_measure_glyphs(pixelsPerEm, codePoints.data(), facts.data()))
        throw std::runtime_error("Couldn't measure the window font's glyphs");
    const auto sheetWidth = static_cast<std::size_t>(facts[1]);
    const auto sheetHeight = static_cast<std::size_t>(facts[2]);
    std::vector<std::uint8_t> sheet(sheetWidth * sheetHeight);
    if (!tavrel_page_draw_glyphs(pixelsPerEm, codePoints.data(), sheet.data()))
        throw std::runtime_error("Couldn't draw the window font's glyphs");

    GlyphAtlas atlas;
    atlas.LineHeight = facts[0];
    std::vector<std::uint8_t> box;
    for (std::size_t code = 0; code < 256; ++code) {
        GlyphBitmap& glyph = atlas.Glyphs[code];
        const std::uint32_t point = codePoints[code];
        if (point == 0)
            continue;
        const std::int32_t* known = facts.data() + kSheetFacts + kGlyphFacts * code;
        const GlyphPlace place { known[0], known[1], known[2], known[3], known[4], known[5], known[6] };
        glyph.Advance = place.Advance;
        // The soft hyphen shows only where a line breaks, and no line breaks here.
        if (point == kSoftHyphen)
            continue;
        if (place.Width <= 0 || place.Height <= 0 || place.SheetX < 0 || place.SheetY < 0
            || static_cast<std::size_t>(place.SheetX + place.Width) > sheetWidth || static_cast<std::size_t>(place.SheetY + place.Height) > sheetHeight)
            throw std::runtime_error("Couldn't lay out the window font's glyphs");
        box.resize(static_cast<std::size_t>(place.Width) * static_cast<std::size_t>(place.Height));
        for (int y = 0; y < place.Height; ++y) {
            const std::uint8_t* row = sheet.data() + static_cast<std::size_t>(place.SheetY + y) * sheetWidth + static_cast<std::size_t>(place.SheetX);
            std::copy(row, row + place.Width, box.begin() + static_cast<std::ptrdiff_t>(y) * place.Width);
        }
        AddTrimmedGlyph(atlas, glyph, box, place.Width, place.Height, place.Left, place.Top);
    }
    atlas.Coverage.shrink_to_fit();
    return m_atlases.emplace(points, std::move(atlas)).first->second;
}

}
