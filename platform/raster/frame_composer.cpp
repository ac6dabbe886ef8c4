// Composing a frame directly into the image, a few glyphs behind the prints.
#include "platform/raster/frame_composer.h"

#include "platform/raster/blend.h"

#include <algorithm>
#include <cassert>

namespace tavrel {

FrameComposer::FrameComposer(PixelBuffer& image)
    : m_image(image)
    , m_width(image.Width())
    , m_height(image.Height())
{
}

void FrameComposer::Clear(Colour colour)
{
    m_requests.Clear();
    m_placed.Clear();
    m_image.Fill(colour);
}

void FrameComposer::AddGlyph(const GlyphAtlas& atlas, const GlyphBitmap& glyph, int x, int y, Colour colour)
{
    __builtin_prefetch(&glyph);
    if (m_requests.Full())
        PlaceAndFetch(m_requests.Pop());
    m_requests.Push(GlyphRequest { .Atlas = &atlas, .Glyph = &glyph, .X = x, .Y = y, .Ink = PackPixel(colour) });
}

bool FrameComposer::Place(const GlyphRequest& request, PlacedGlyph& placed) const
{
    const GlyphBitmap& glyph = *request.Glyph;
    placed = PlacedGlyph {
        .Coverage = request.Atlas->Coverage.data() + glyph.Offset,
        .Left = request.X + glyph.Left,
        .Top = request.Y + glyph.Top,
        .FirstColumn = 0,
        .LastColumn = 0,
        .FirstRow = 0,
        .LastRow = 0,
        .Stride = glyph.Stride,
        .Ink = request.Ink,
    };
    placed.FirstColumn = std::max(0, -placed.Left);
    placed.LastColumn = std::min(glyph.Width, m_width - placed.Left);
    placed.FirstRow = std::max(0, -placed.Top);
    placed.LastRow = std::min(glyph.Height, m_height - placed.Top);
    return placed.FirstColumn < placed.LastColumn && placed.FirstRow < placed.LastRow;
}

void FrameComposer::PlaceAndFetch(const GlyphRequest& request)
{
    PlacedGlyph placed;
    if (!Place(request, placed))
        return;
    Prefetch(placed);
    if (m_placed.Full())
        Blend(m_placed.Pop());
    m_placed.Push(placed);
}

void FrameComposer::Prefetch(const PlacedGlyph& glyph) const
{
    // Every cache line the blend reads, the last group read past the last row's end included.
    constexpr std::uintptr_t kLine = 64;
    const auto firstByte = reinterpret_cast<std::uintptr_t>(glyph.Coverage + static_cast<std::size_t>(glyph.FirstRow) * static_cast<std::size_t>(glyph.Stride));
    const auto lastByte = reinterpret_cast<std::uintptr_t>(glyph.Coverage + static_cast<std::size_t>(glyph.LastRow) * static_cast<std::size_t>(glyph.Stride)) + kCoverageGroup - 1;
    for (std::uintptr_t line = firstByte & ~(kLine - 1); line <= lastByte; line += kLine)
        __builtin_prefetch(reinterpret_cast<const void*>(line), 0);
    const std::uint32_t* pixels = m_image.Data() + static_cast<std::size_t>(glyph.Top + glyph.FirstRow) * static_cast<std::size_t>(m_width) + (glyph.Left + glyph.FirstColumn);
    const int last = glyph.LastColumn - glyph.FirstColumn - 1;
    for (int row = glyph.FirstRow; row < glyph.LastRow; ++row, pixels += m_width) {
        __builtin_prefetch(pixels, 1);
        __builtin_prefetch(pixels + last, 1);
    }
}

void FrameComposer::Compose()
{
    // The placed glyphs were printed before those still waiting to be placed.
    while (!m_placed.Empty())
        Blend(m_placed.Pop());
    PlacedGlyph placed;
    while (!m_requests.Empty()) {
        if (Place(m_requests.Pop(), placed))
            Blend(placed);
    }
}

void FrameComposer::Blend(const PlacedGlyph& glyph)
{
    // Place cut the glyph to the image: a blend outside it would write past the pixels.
    assert(glyph.Left + glyph.FirstColumn >= 0 && glyph.Left + glyph.LastColumn <= m_width);
    assert(glyph.Top + glyph.FirstRow >= 0 && glyph.Top + glyph.LastRow <= m_height);
    BlendRows(GlyphRows {
        .Pixels = m_image.Data() + static_cast<std::size_t>(glyph.Top + glyph.FirstRow) * static_cast<std::size_t>(m_width) + (glyph.Left + glyph.FirstColumn),
        .Pitch = m_width,
        .Coverage = glyph.Coverage + static_cast<std::size_t>(glyph.FirstRow) * static_cast<std::size_t>(glyph.Stride) + glyph.FirstColumn,
        .Stride = glyph.Stride,
        .Rows = glyph.LastRow - glyph.FirstRow,
        .Count = glyph.LastColumn - glyph.FirstColumn,
        // Whole groups may run past the glyph's right edge only where the image has room.
        .GroupSpan = m_width - glyph.Left - glyph.FirstColumn,
        .Ink = glyph.Ink,
    });
}

}
