// A surface that draws into an off-screen image with glyphs from a glyph source. The window shows
// its image when a handler has returned; tools save it to a file.
#pragma once

#include "platform/raster/frame_composer.h"
#include "platform/raster/glyph_atlas.h"
#include "platform/raster/pixel_buffer.h"
#include "platform/surface.h"

#include <optional>

namespace tavrel {

class RasterSurface : public Surface {
public:
    // windowFontSize is the size, in points, of the window's font before any size is set. The
    // image covers the client size rounded up to whole pixels; the surface reports the size given.
    RasterSurface(GlyphSource& glyphs, float clientWidth, float clientHeight, Colour backColor, float windowFontSize);

    // The image with everything drawn so far composed into it.
    const PixelBuffer& Image();

    // Whether the image changed since the last call; the window shows it only then.
    bool TakeChanged();

    // Makes the glyphs of every whole size from smallest to largest points, so that the frames
    // that print in them never wait for them.
    void PrepareFontSizes(int smallest, int largest);

    // Whether the window can be seen now; frames drawn while it cannot are passed over.
    void SetSeen(bool seen) { m_seen = seen; }
    bool Seen() const override { return m_seen; }

    int ImageWidth() const { return m_image.Width(); }
    int ImageHeight() const { return m_image.Height(); }

    void Show() override { }
    float ScaleWidth() const override { return m_clientWidth; }
    float ScaleHeight() const override { return m_clientHeight; }
    float TextWidth(std::string_view text) override;
    float TextHeight(std::string_view text) override;
    void Cls() override;
    float CurrentX() const override { return m_x; }
    float CurrentY() const override { return m_y; }
    void SetCurrentX(float x) override { m_x = x; }
    void SetCurrentY(float y) override { m_y = y; }
    void SetForeColor(Colour colour) override { m_foreColor = colour; }
    void SetFontSize(float points) override;
    void Print(std::string_view text) override;

protected:
    // For a window whose shown client area differs from the one it asked for: a new image of that
    // size, in the background colour.
    void SetClientSize(int width, int height);

    // Draws from now on straight into a window's framebuffer of the client size, which then needs
    // no copy to be shown; it is filled with the background colour.
    void DrawInto(std::uint32_t* framebuffer);

    // Draws the next frame into other pixels of the image's size: a window buffer the display has
    // handed back, or, with none, an image of the surface's own. What was drawn last is carried
    // over, unless the next drawing is a Cls, which paints every pixel anyway.
    void DrawNextInto(std::uint32_t* pixels);

    // The pixels drawing goes into now.
    const std::uint32_t* Target() const { return m_image.Data(); }

    // The glyphs' source changed its resolution (a window that learns its scale when shown).
    void ForgetGlyphs() { m_atlas = nullptr; }

private:
    const GlyphAtlas& CurrentAtlas();
    // Moves to the pixels DrawNextInto gave, if any, copying the image into them when asked.
    void TakeNextTarget(bool carryImage);

    GlyphSource& m_glyphs;
    float m_clientWidth;
    float m_clientHeight;
    PixelBuffer m_image;
    std::optional<FrameComposer> m_composer;
    // Where the next drawing goes (none: the own image), until it starts there.
    std::optional<std::uint32_t*> m_nextTarget;
    // The surface's own image while drawing goes into borrowed pixels.
    std::optional<PixelBuffer> m_ownImage;
    Colour m_backColor;
    Colour m_foreColor;
    int m_points;
    // The last size accepted, as given (none at first).
    float m_acceptedFontSize = 0;
    // The atlas of m_points, looked up once per size change rather than once per Print.
    const GlyphAtlas* m_atlas = nullptr;
    float m_x = 0;
    float m_y = 0;
    bool m_changed = true;
    bool m_seen = true;
};

}
