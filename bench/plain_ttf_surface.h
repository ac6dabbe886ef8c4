// A deliberately plain surface for comparison: every Print asks the font engine to render the
// text afresh at the current size and blits it, as the simplest drawing code would.
#pragma once

#include "platform/characters.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/surface.h"

#include <cmath>
#include <string>

namespace tavrel::bench {

class PlainTtfSurface final : public Surface {
public:
    PlainTtfSurface(const std::string& fontFile, int width, int height)
        : m_font(TTF_OpenFontDPI(fontFile.c_str(), 8, 96, 96))
        , m_target(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888))
    {
    }

    void Show() override { }
    float ScaleWidth() const override { return static_cast<float>(m_target->w); }
    float ScaleHeight() const override { return static_cast<float>(m_target->h); }
    float TextWidth(std::string_view) override { return 0; }
    float TextHeight(std::string_view) override { return 0; }
    void Cls() override { SDL_FillRect(m_target.get(), nullptr, 0); }
    float CurrentX() const override { return m_x; }
    float CurrentY() const override { return m_y; }
    void SetCurrentX(float x) override { m_x = x; }
    void SetCurrentY(float y) override { m_y = y; }
    void SetForeColor(Colour colour) override { m_colour = colour; }
    void SetFontSize(float points) override
    {
        if (IsAcceptedFontSize(points))
            TTF_SetFontSizeDPI(m_font.get(), static_cast<int>(std::lround(points)), 96, 96);
    }
    void Print(std::string_view text) override
    {
        SDL_Rect place { static_cast<int>(m_x), static_cast<int>(m_y), 0, 0 };
        for (const char character : text) {
            const char32_t point = CodePointOf(static_cast<std::uint8_t>(character));
            sdl::SurfaceHandle rendered(TTF_RenderGlyph32_Blended(m_font.get(), point, SDL_Color { m_colour.Red, m_colour.Green, m_colour.Blue, 255 }));
            if (!rendered)
                continue;
            SDL_BlitSurface(rendered.get(), nullptr, m_target.get(), &place);
            place.x += rendered->w;
        }
    }

private:
    sdl::FontHandle m_font;
    sdl::SurfaceHandle m_target;
    Colour m_colour;
    float m_x = 0;
    float m_y = 0;
};

}
