// Filling and glyph blending on 0x00RRGGBB pixels.
#include "platform/raster/pixel_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tavrel {

namespace {

std::uint32_t* AllocatePixels(std::size_t count)
{
    void* memory = std::calloc(std::max<std::size_t>(count, 1), sizeof(std::uint32_t));
    if (!memory)
        throw std::bad_alloc();
    return static_cast<std::uint32_t*>(memory);
}

}

void PixelBuffer::FreeDeleter::operator()(std::uint32_t* pixels) const
{
    if (Owned)
        std::free(pixels);
}

PixelBuffer PixelBuffer::Borrowing(std::uint32_t* pixels, int width, int height) { return PixelBuffer(pixels, width, height); }

PixelBuffer::PixelBuffer(std::uint32_t* borrowed, int width, int height)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
    , m_pixels(borrowed, FreeDeleter { .Owned = false })
{
}

PixelBuffer::PixelBuffer(int width, int height)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
    , m_pixels(AllocatePixels(PixelCount()), FreeDeleter { .Owned = true })
{
}

void PixelBuffer::Fill(Colour colour)
{
    const std::uint32_t pixel = PackPixel(colour);
    // Black, the usual background, is one byte repeated: memset clears an image in a third of
    // the time an element-wise fill takes.
    if (pixel == 0)
        std::memset(m_pixels.get(), 0, PixelCount() * sizeof(std::uint32_t));
    else
        std::fill_n(m_pixels.get(), PixelCount(), pixel);
}

}
