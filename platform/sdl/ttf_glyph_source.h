// Glyphs and measurements from a TrueType font through SDL_ttf, at the display's dots per inch.
#pragma once

#include "platform/raster/glyph_atlas.h"
#include "platform/runtime.h"
#include "platform/sdl/sdl_handles.h"

#include <map>
#include <string>
#include <vector>

namespace tavrel::sdl {

inline constexpr const char* kWindowFontFamily = "DejaVu Sans";
// The regular face's file, as the family's package installs it.
inline constexpr const char* kWindowFontFileName = "DejaVuSans.ttf";

// Needs SDL_ttf started (TtfLibrary) for as long as it lives.
class TtfGlyphSource final : public GlyphSource {
public:
    // Reads the file once, and opens it at the window font's size, so that a missing or broken
    // file is reported at start-up and not at the first frame. Points become pixels at
    // dotsPerInch.
    TtfGlyphSource(std::string fontFile, int dotsPerInch);

    const GlyphAtlas& AtlasAt(int points) override;

    // For a window that learns its resolution when shown: every size made so far is dropped, so
    // that no atlas from before may be in use.
    void SetDotsPerInch(int dotsPerInch);

private:
    TTF_Font& FontAt(int points);

    std::string m_fontFile;
    int m_dotsPerInch;
    // Every size is made from this one copy of the file: no descriptor is held open per size.
    std::vector<unsigned char> m_fontData;
    std::map<int, FontHandle> m_fonts;
    std::map<int, GlyphAtlas> m_atlases;
};

}
