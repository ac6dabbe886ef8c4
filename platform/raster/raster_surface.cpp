// Drawing operations on the off-screen image.
#include "platform/raster/raster_surface.h"

#include "platform/failure.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tavrel {

namespace {

// Glyphs are rendered at whole points and placed on whole pixels.
int WholeUnits(float value) { return static_cast<int>(std::lround(value)); }

// The pixels that hold a client extent; a surface larger than the int range cannot be made.
int CoveringPixels(float extent)
{
    const double covering = std::ceil(static_cast<double>(extent));
    if (!(covering >= 0 && covering <= std::numeric_limits<int>::max()))
        throw RuntimeFailure(FailureKind::OutOfMemory);
    return static_cast<int>(covering);
}

}

RasterSurface::RasterSurface(GlyphSource& glyphs, float clientWidth, float clientHeight, Colour backColor, float windowFontSize)
    : m_glyphs(glyphs)
    , m_clientWidth(clientWidth)
    , m_clientHeight(clientHeight)
    , m_image(CoveringPixels(clientWidth), CoveringPixels(clientHeight))
    , m_backColor(backColor)
    , m_points(WholeUnits(windowFontSize))
{
    m_image.Fill(m_backColor);
    m_composer.emplace(m_image);
}

void RasterSurface::SetClientSize(int width, int height)
{
    m_composer.reset();
    m_nextTarget.reset();
    m_ownImage.reset();
    m_image = PixelBuffer(width, height);
    m_clientWidth = static_cast<float>(width);
    m_clientHeight = static_cast<float>(height);
    m_image.Fill(m_backColor);
    m_composer.emplace(m_image);
    m_changed = true;
}

const PixelBuffer& RasterSurface::Image()
{
    m_composer->Compose();
    return m_image;
}

void RasterSurface::DrawInto(std::uint32_t* framebuffer)
{
    m_composer.reset();
    m_nextTarget.reset();
    m_image = PixelBuffer::Borrowing(framebuffer, m_image.Width(), m_image.Height());
    m_image.Fill(m_backColor);
    m_composer.emplace(m_image);
    m_changed = true;
}

void RasterSurface::DrawNextInto(std::uint32_t* pixels) { m_nextTarget = pixels; }

void RasterSurface::TakeNextTarget(bool carryImage)
{
    if (!m_nextTarget)
        return;
    std::uint32_t* pixels = *std::exchange(m_nextTarget, std::nullopt);
    if (pixels == m_image.Data() || (!pixels && m_image.Owns()))
        return;
    m_composer->Compose();
    if (!pixels && !m_ownImage)
        m_ownImage.emplace(m_image.Width(), m_image.Height());
    PixelBuffer next = pixels ? PixelBuffer::Borrowing(pixels, m_image.Width(), m_image.Height()) : std::move(*std::exchange(m_ownImage, std::nullopt));
    if (carryImage)
        std::copy_n(m_image.Data(), static_cast<std::size_t>(m_image.Width()) * static_cast<std::size_t>(m_image.Height()), next.Data());
    m_composer.reset();
    PixelBuffer previous = std::exchange(m_image, std::move(next));
    if (previous.Owns())
        m_ownImage.emplace(std::move(previous));
    m_composer.emplace(m_image);
}

void RasterSurface::PrepareFontSizes(int smallest, int largest) { m_glyphs.MakeAtlases(smallest, largest); }

bool RasterSurface::TakeChanged()
{
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

float RasterSurface::TextWidth(std::string_view text)
{
    // Measured by the same advances Print moves by, so measured text and printed text agree.
    const GlyphAtlas& atlas = CurrentAtlas();
    int width = 0;
    for (const char character : text)
        width += atlas.Glyphs[static_cast<unsigned char>(character)].Advance;
    return static_cast<float>(width);
}

float RasterSurface::TextHeight(std::string_view) { return static_cast<float>(CurrentAtlas().LineHeight); }

void RasterSurface::Cls()
{
    TakeNextTarget(false);
    m_composer->Clear(m_backColor);
    m_changed = true;
}

void RasterSurface::SetFontSize(float points)
{
    // A frame sets its column's size again for every cell.
    if (points == m_acceptedFontSize || !IsAcceptedFontSize(points))
        return;
    m_acceptedFontSize = points;
    const int whole = WholeUnits(points);
    if (whole != m_points) {
        m_points = whole;
        m_atlas = nullptr;
    }
}

void RasterSurface::Print(std::string_view text)
{
    TakeNextTarget(true);
    const GlyphAtlas& atlas = CurrentAtlas();
    int x = WholeUnits(m_x);
    const int y = WholeUnits(m_y);
    // Each glyph moves the next one on by its advance. The advance is read only when a next one
    // comes, so that a single character's metrics are left for the composer to fetch in its time.
    const GlyphBitmap* previous = nullptr;
    for (const char character : text) {
        if (previous)
            x += previous->Advance;
        previous = &atlas.Glyphs[static_cast<unsigned char>(character)];
        m_composer->AddGlyph(atlas, *previous, x, y, m_foreColor);
    }
    m_changed = true;
}

const GlyphAtlas& RasterSurface::CurrentAtlas()
{
    if (!m_atlas)
        m_atlas = &m_glyphs.AtlasAt(m_points);
    return *m_atlas;
}

}
