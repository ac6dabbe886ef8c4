// Glyphs and measurements from a TrueType font through SDL_ttf, at 96 dots per inch.
#pragma once

#include "platform/glyph_atlas.h"
#include "platform/sdl/sdl_handles.h"

#include <map>
#include <string>

namespace tavrel::sdl {

inline constexpr const char* kWindowFontFamily = "DejaVu Sans";
inline constexpr float kWindowFontSize = 8.0f;

// Needs SDL_ttf started (TtfLibrary) for as long as it lives.
class TtfGlyphSource final : public GlyphSource {
public:
    // Opens the file once at the window font's size, so that a missing or broken file is
    // reported at start-up and not at the first frame.
    explicit TtfGlyphSource(std::string fontFile);

    const GlyphAtlas& AtlasAt(int points) override;

private:
    TTF_Font& FontAt(int points);

    std::string m_fontFile;
    std::map<int, FontHandle> m_fonts;
    std::map<int, GlyphAtlas> m_atlases;
};

}
