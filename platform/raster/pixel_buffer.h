// An off-screen image of 0x00RRGGBB pixels, or a view of a window's framebuffer; glyphs are laid
// over it by the frame composer.
#pragma once

#include "platform/colour.h"

#include <cassert>
#include <cstdint>
#include <memory>

namespace tavrel {

constexpr std::uint32_t PackPixel(Colour colour)
{
    return (std::uint32_t { colour.Red } << 16) | (std::uint32_t { colour.Green } << 8) | colour.Blue;
}

constexpr Colour UnpackPixel(std::uint32_t pixel)
{
    return Colour { static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel) };
}

class PixelBuffer {
public:
    PixelBuffer(int width, int height);

    // An image on pixels someone else owns (a window's framebuffer), rows width pixels apart; they
    // must outlive it.
    static PixelBuffer Borrowing(std::uint32_t* pixels, int width, int height);

    // Whether the pixels are its own rather than borrowed.
    bool Owns() const { return m_pixels.get_deleter().Owned; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::uint32_t* Data() { return m_pixels.get(); }
    const std::uint32_t* Data() const { return m_pixels.get(); }
    Colour At(int x, int y) const
    {
        assert(x >= 0 && x < m_width && y >= 0 && y < m_height);
        return UnpackPixel(m_pixels[Index(x, y)]);
    }

    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    PixelBuffer(PixelBuffer&&) = default;
    PixelBuffer& operator=(PixelBuffer&&) = default;

    void Fill(Colour colour);

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x); }

    struct FreeDeleter {
        bool Owned;
        void operator()(std::uint32_t* pixels) const;
    };

    PixelBuffer(std::uint32_t* borrowed, int width, int height);

    std::size_t PixelCount() const { return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height); }

    int m_width;
    int m_height;
    std::unique_ptr<std::uint32_t[], FreeDeleter> m_pixels;
};

}
