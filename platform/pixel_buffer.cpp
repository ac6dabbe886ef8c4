// Filling and glyph blending on 0x00RRGGBB pixels.
#include "platform/pixel_buffer.h"

#include <algorithm>

namespace tavrel {

namespace {

// round((source * coverage + below * (255 - coverage)) / 255) for red and blue together in two
// 16-bit lanes and green on its own; exact for every input.
std::uint32_t Mix(std::uint32_t source, std::uint32_t below, std::uint32_t coverage)
{
    const std::uint32_t rest = 255 - coverage;
    std::uint32_t redBlue = (source & 0xFF00FF) * coverage + (below & 0xFF00FF) * rest + 0x800080;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
    std::uint32_t green = ((source >> 8) & 0xFF) * coverage + ((below >> 8) & 0xFF) * rest + 0x80;
    green = ((green + (green >> 8)) >> 8) & 0xFF;
    return redBlue | (green << 8);
}

}

PixelBuffer::PixelBuffer(int width, int height)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
    , m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0)
{
}

void PixelBuffer::Fill(Colour colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), PackPixel(colour));
}

void PixelBuffer::BlendGlyph(const GlyphAtlas& atlas, const GlyphBitmap& glyph, int x, int y, Colour colour)
{
    const int left = x + glyph.Left;
    const int top = y + glyph.Top;
    const int firstColumn = std::max(0, -left);
    const int lastColumn = std::min(glyph.Width, m_width - left);
    const int firstRow = std::max(0, -top);
    const int lastRow = std::min(glyph.Height, m_height - top);
    if (firstColumn >= lastColumn || firstRow >= lastRow)
        return;
    const std::uint32_t source = PackPixel(colour);
    for (int row = firstRow; row < lastRow; ++row) {
        const std::uint8_t* coverage = atlas.Coverage.data() + glyph.Offset + static_cast<std::size_t>(row) * static_cast<std::size_t>(glyph.Width);
        std::uint32_t* pixels = m_pixels.data() + Index(left, top + row);
        for (int column = firstColumn; column < lastColumn; ++column) {
            const std::uint32_t amount = coverage[column];
            if (amount == 255)
                pixels[column] = source;
            else if (amount != 0)
                pixels[column] = Mix(source, pixels[column], amount);
        }
    }
}

}
