// Rendering the code page's glyphs once per size with GDI, white on black, as coverage.
#include "platform/win32/gdi_glyph_source.h"

#include "platform/characters.h"
#include "platform/win32/bitmap_info.h"
#include "platform/win32/win32_error.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace tavrel::win32 {

namespace {

struct FontOwner {
    HFONT Font;
    ~FontOwner() { DeleteObject(Font); }
};

struct BitmapOwner {
    HBITMAP Bitmap;
    ~BitmapOwner() { DeleteObject(Bitmap); }
};

// Selects an object into a device context and puts back what was there when it ends, so that a
// failure on the way (running out of memory included) never deletes an object still selected.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : m_dc(dc)
        , m_previous(SelectObject(dc, object))
    {
    }
    ~Selection() { SelectObject(m_dc, m_previous); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

}

GdiGlyphSource::GdiGlyphSource(int dotsPerInch)
    : m_dotsPerInch(dotsPerInch)
    , m_dc(CreateCompatibleDC(nullptr))
{
    if (!m_dc)
        throw Win32Error("Couldn't prepare the window font", "CreateCompatibleDC");
    AtlasAt(static_cast<int>(std::lround(kWindowFontSize)));
}

GdiGlyphSource::~GdiGlyphSource() { DeleteDC(m_dc); }

const GlyphAtlas& GdiGlyphSource::AtlasAt(int points)
{
    const auto found = m_atlases.find(points);
    if (found != m_atlases.end())
        return found->second;

    FontOwner font { CreateFontW(-MulDiv(points, m_dotsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, kWindowFontFace) };
    if (!font.Font)
        throw Win32Error("Couldn't open the window font Tahoma", "CreateFontW");
    const Selection fontSelected(m_dc, font.Font);
    TEXTMETRICW metrics {};
    if (!GetTextMetricsW(m_dc, &metrics))
        throw Win32Error("Couldn't measure the window font", "GetTextMetricsW");

    // Ink may reach beyond a glyph's advance on either side, so each glyph is drawn with a
    // margin of one line height around its origin.
    const int margin = metrics.tmHeight;
    const int boxWidth = metrics.tmMaxCharWidth + 2 * margin;
    const int boxHeight = metrics.tmHeight;
    const BITMAPINFO info = TopDownBitmapInfo(boxWidth, boxHeight);
    void* bits = nullptr;
    BitmapOwner bitmap { CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) };
    if (!bitmap.Bitmap)
        throw Win32Error("Couldn't prepare the window font's glyphs", "CreateDIBSection");
    const Selection bitmapSelected(m_dc, bitmap.Bitmap);
    SetTextColor(m_dc, RGB(255, 255, 255));
    SetBkMode(m_dc, TRANSPARENT);

    GlyphAtlas atlas;
    atlas.LineHeight = metrics.tmHeight;
    std::vector<std::uint8_t> box(static_cast<std::size_t>(boxWidth) * static_cast<std::size_t>(boxHeight));
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int code = 0; code < 256; ++code) {
        GlyphBitmap& glyph = atlas.Glyphs[static_cast<std::size_t>(code)];
        const char32_t point = CodePointOf(static_cast<std::uint8_t>(code));
        if (point == 0 || IsUnassignedCode(static_cast<std::uint8_t>(code)))
            continue;
        const wchar_t character = static_cast<wchar_t>(point);
        SIZE extent {};
        GetTextExtentPoint32W(m_dc, &character, 1, &extent);
        glyph.Advance = extent.cx;
        std::memset(bits, 0, box.size() * sizeof(std::uint32_t));
        TextOutW(m_dc, margin, 0, &character, 1);
        GdiFlush();
        for (std::size_t index = 0; index < box.size(); ++index)
            box[index] = static_cast<std::uint8_t>(pixels[index] >> 8);
        AddTrimmedGlyph(atlas, glyph, box, boxWidth, boxHeight, -margin, 0);
    }
    atlas.Coverage.shrink_to_fit();
    return m_atlases.emplace(points, std::move(atlas)).first->second;
}

}
