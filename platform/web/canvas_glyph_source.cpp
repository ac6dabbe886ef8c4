// The glyphs of several sizes drawn on one sheet, each in a box just around its ink, and cut into
// the atlases: one canvas read for all start-up's sizes, of little more than the ink.
#include "platform/web/canvas_glyph_source.h"

#include "platform/characters.h"
#include "platform/web/page_imports.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tavrel::web {

namespace {

constexpr char32_t kSoftHyphen = 0xAD;

// What the page says of a sheet: its size, then for each font size its line height and each
// glyph's place.
constexpr std::size_t kSheetFacts = 2;
constexpr std::size_t kGlyphFacts = 7;
constexpr std::size_t kSizeFacts = 1 + kGlyphFacts * 256;

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
    if (!m_atlases.contains(points))
        MakeOnOneSheet({ points });
    return m_atlases.at(points);
}

void CanvasGlyphSource::MakeAtlases(int smallest, int largest)
{
    std::vector<int> sizes;
    for (int points = smallest; points <= largest; ++points) {
        if (!m_atlases.contains(points))
            sizes.push_back(points);
    }
    if (!sizes.empty())
        MakeOnOneSheet(sizes);
}

void CanvasGlyphSource::MakeOnOneSheet(const std::vector<int>& sizes)
{
    static const std::array<std::uint32_t, 256> codePoints = CodePoints();
    std::vector<float> pixelsPerEm;
    for (const int points : sizes)
        pixelsPerEm.push_back(static_cast<float>(points) * static_cast<float>(m_dotsPerInch) / 72.0f);
    const int sizeCount = static_cast<int>(sizes.size());
    std::vector<std::int32_t> facts(kSheetFacts + sizes.size() * kSizeFacts);
    if (!tavrel_page_measure_glyphs(pixelsPerEm.data(), sizeCount, codePoints.data(), facts.data()))
        throw std::runtime_error("Couldn't measure the window font's glyphs");
    const auto sheetWidth = static_cast<std::size_t>(facts[0]);
    const auto sheetHeight = static_cast<std::size_t>(facts[1]);
    // Left uninitialised: the page writes every byte.
    const std::unique_ptr<std::uint8_t[]> sheet(new std::uint8_t[sheetWidth * sheetHeight * 4]);
    if (!tavrel_page_draw_glyphs(pixelsPerEm.data(), sizeCount, codePoints.data(), sheet.get()))
        throw std::runtime_error("Couldn't draw the window font's glyphs");

    std::vector<std::uint8_t> box;
    for (std::size_t size = 0; size < sizes.size(); ++size) {
        const std::int32_t* sizeFacts = facts.data() + kSheetFacts + size * kSizeFacts;
        GlyphAtlas atlas;
        atlas.LineHeight = sizeFacts[0];
        for (std::size_t code = 0; code < 256; ++code) {
            GlyphBitmap& glyph = atlas.Glyphs[code];
            const std::uint32_t point = codePoints[code];
            if (point == 0)
                continue;
            const std::int32_t* known = sizeFacts + 1 + kGlyphFacts * code;
            const GlyphPlace place { known[0], known[1], known[2], known[3], known[4], known[5], known[6] };
            glyph.Advance = place.Advance;
            // The soft hyphen shows only where a line breaks, and no line breaks here.
            if (point == kSoftHyphen)
                continue;
            if (place.Width <= 0 || place.Height <= 0 || place.SheetX < 0 || place.SheetY < 0
                || static_cast<std::size_t>(place.SheetX + place.Width) > sheetWidth || static_cast<std::size_t>(place.SheetY + place.Height) > sheetHeight)
                throw std::runtime_error("Couldn't lay out the window font's glyphs");
            box.resize(static_cast<std::size_t>(place.Width) * static_cast<std::size_t>(place.Height));
            // The coverage is each pixel's alpha, its fourth byte.
            for (int y = 0; y < place.Height; ++y) {
                const std::uint8_t* row = sheet.get() + (static_cast<std::size_t>(place.SheetY + y) * sheetWidth + static_cast<std::size_t>(place.SheetX)) * 4;
                for (int x = 0; x < place.Width; ++x)
                    box[static_cast<std::size_t>(y * place.Width + x)] = row[x * 4 + 3];
            }
            AddTrimmedGlyph(atlas, glyph, box, place.Width, place.Height, place.Left, place.Top);
        }
        atlas.Coverage.shrink_to_fit();
        m_atlases.emplace(sizes[size], std::move(atlas));
    }
}

}
