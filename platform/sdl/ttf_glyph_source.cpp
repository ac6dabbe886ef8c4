// Rendering the code page's glyphs once per size, as coverage trimmed to the ink.
#include "platform/sdl/ttf_glyph_source.h"

#include "platform/characters.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tavrel::sdl {

namespace {

constexpr char32_t kSoftHyphen = 0xAD;

// SDL_ttf's blended text is ARGB8888 in white: the alpha channel is the coverage.
std::uint8_t CoverageAt(const SDL_Surface& text, int x, int y)
{
    const auto* row = static_cast<const std::uint8_t*>(text.pixels) + static_cast<std::ptrdiff_t>(y) * text.pitch;
    return static_cast<std::uint8_t>(reinterpret_cast<const std::uint32_t*>(row)[x] >> 24);
}

void AddGlyph(GlyphAtlas& atlas, GlyphBitmap& glyph, TTF_Font& font, std::uint8_t code)
{
    const char32_t point = CodePointOf(code);
    if (point == 0 || IsUnassignedCode(code) || !TTF_GlyphIsProvided32(&font, point))
        return;
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    if (TTF_GlyphMetrics32(&font, point, &minX, &maxX, &minY, &maxY, &advance) != 0)
        throw SdlError("Couldn't measure a glyph of the window font");
    glyph.Advance = advance;
    // A space has no ink to render, and the soft hyphen shows only where a line breaks, which
    // the font engine draws as nothing.
    if (maxX <= minX || maxY <= minY || point == kSoftHyphen)
        return;
    SurfaceHandle text(TTF_RenderGlyph32_Blended(&font, point, SDL_Color { 255, 255, 255, 255 }));
    if (!text)
        throw SdlError("Couldn't render a glyph of the window font");
    SurfaceHandle argb(SDL_ConvertSurfaceFormat(text.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb)
        throw SdlError("Couldn't convert a glyph of the window font");
    std::vector<std::uint8_t> box;
    box.reserve(static_cast<std::size_t>(argb->w) * static_cast<std::size_t>(argb->h));
    for (int y = 0; y < argb->h; ++y) {
        for (int x = 0; x < argb->w; ++x)
            box.push_back(CoverageAt(*argb, x, y));
    }
    // The rendered surface starts at the leftmost of the pen and the ink, and at the higher of
    // the ascent and the ink's top, so that nothing is cut; the glyph is placed where the font
    // puts it relative to the pen, ink left of the pen and above the ascent included.
    const int penX = std::max(0, -minX);
    const int ascentY = std::max(0, maxY - TTF_FontAscent(&font));
    AddTrimmedGlyph(atlas, glyph, box, argb->w, argb->h, -penX, -ascentY);
}

// Read with stdio rather than SDL_LoadFile, which writes through a null pointer when its first
// allocation fails; a vector that cannot grow says "Out of memory" the runtime's way.
std::vector<unsigned char> ReadFontFile(const std::string& path)
{
    const auto failure = [&] { return PlatformError("Couldn't read the window font " + std::string(kWindowFontFamily) + " (" + path + "): " + std::strerror(errno)); };
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        throw failure();
    std::vector<unsigned char> bytes;
    unsigned char chunk[64 * 1024];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get()))
        throw failure();
    return bytes;
}
}

TtfGlyphSource::TtfGlyphSource(std::string fontFile, int dotsPerInch)
    : m_fontFile(std::move(fontFile))
    , m_dotsPerInch(dotsPerInch)
    , m_fontData(ReadFontFile(m_fontFile))
{
    FontAt(static_cast<int>(std::lround(kWindowFontSize)));
}

void TtfGlyphSource::SetDotsPerInch(int dotsPerInch)
{
    if (dotsPerInch == m_dotsPerInch)
        return;
    m_dotsPerInch = dotsPerInch;
    m_atlases.clear();
    m_fonts.clear();
}

TTF_Font& TtfGlyphSource::FontAt(int points)
{
    auto found = m_fonts.find(points);
    if (found == m_fonts.end()) {
        SDL_RWops* source = SDL_RWFromConstMem(m_fontData.data(), static_cast<int>(m_fontData.size()));
        const auto dpi = static_cast<unsigned>(m_dotsPerInch);
        FontHandle font(source ? TTF_OpenFontDPIRW(source, 1, points, dpi, dpi) : nullptr);
        if (!font)
            throw SdlError("Couldn't open the window font " + std::string(kWindowFontFamily) + " (" + m_fontFile + ")");
        // Light hinting keeps the glyphs' own advances (the "X" of the 8-point font is 7 pixels,
        // not the 8 that full hinting widens it to), so the grid is as dense as the font is.
        TTF_SetFontHinting(font.get(), TTF_HINTING_LIGHT);
        found = m_fonts.emplace(points, std::move(font)).first;
    }
    return *found->second;
}

const GlyphAtlas& TtfGlyphSource::AtlasAt(int points)
{
    const auto found = m_atlases.find(points);
    if (found != m_atlases.end())
        return found->second;
    TTF_Font& font = FontAt(points);
    GlyphAtlas atlas;
    atlas.LineHeight = TTF_FontHeight(&font);
    for (int code = 0; code < 256; ++code)
        AddGlyph(atlas, atlas.Glyphs[static_cast<std::size_t>(code)], font, static_cast<std::uint8_t>(code));
    atlas.Coverage.shrink_to_fit();
    return m_atlases.emplace(points, std::move(atlas)).first->second;
}

}
