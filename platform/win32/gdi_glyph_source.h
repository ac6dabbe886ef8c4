// Glyphs of a stock Windows face rendered with GDI's grey-scale antialiasing, at the display's dots
// per inch.
#pragma once

#include "platform/raster/glyph_atlas.h"
#include "platform/runtime.h"

#include <windows.h>

#include <map>

namespace tavrel::win32 {

inline constexpr const wchar_t* kWindowFontFace = L"Tahoma";

class GdiGlyphSource final : public GlyphSource {
public:
    // Makes the window font's atlas at once, so that a font that cannot be made is reported at
    // start-up. Throws std::runtime_error.
    explicit GdiGlyphSource(int dotsPerInch);
    ~GdiGlyphSource() override;

    GdiGlyphSource(const GdiGlyphSource&) = delete;
    GdiGlyphSource& operator=(const GdiGlyphSource&) = delete;

    const GlyphAtlas& AtlasAt(int points) override;

private:
    int m_dotsPerInch;
    HDC m_dc = nullptr;
    std::map<int, GlyphAtlas> m_atlases;
};

}
