// Filling and glyph blending on 0x00RRGGBB pixels.
#include "platform/raster/pixel_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

#if defined(__SSE2__)
// Mix for four pixels at once, each channel in a 16-bit lane: the same exact rounding.
void MixGroup(std::uint32_t* pixels, const std::uint8_t* coverage, __m128i source)
{
    std::uint32_t amounts = 0;
    std::memcpy(&amounts, coverage, sizeof(amounts));
    if (amounts == 0)
        return;
    __m128i spread = _mm_cvtsi32_si128(static_cast<int>(amounts));
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread); // each pixel's coverage in all four of its bytes
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const __m128i below = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    const auto mixHalf = [&](__m128i ink, __m128i under, __m128i amount) {
        __m128i total = _mm_add_epi16(_mm_mullo_epi16(ink, amount), _mm_mullo_epi16(under, _mm_sub_epi16(full, amount)));
        total = _mm_add_epi16(total, half);
        return _mm_srli_epi16(_mm_add_epi16(total, _mm_srli_epi16(total, 8)), 8);
    };
    const __m128i low = mixHalf(_mm_unpacklo_epi8(source, zero), _mm_unpacklo_epi8(below, zero), _mm_unpacklo_epi8(spread, zero));
    const __m128i high = mixHalf(_mm_unpackhi_epi8(source, zero), _mm_unpackhi_epi8(below, zero), _mm_unpackhi_epi8(spread, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), _mm_packus_epi16(low, high));
}
#endif

// Glyphs are drawn column by column, so each glyph row lands on another image row; at 4K every
// row is a page of its own, and with small pages the address translations miss on nearly every
// row. Large pages, where the system offers them, hold the whole image in a handful.
constexpr std::size_t kLargePage = std::size_t { 2 } << 20;

std::uint32_t* AllocatePixels(std::size_t count)
{
#if defined(__linux__)
    const std::size_t bytes = (std::max<std::size_t>(count, 1) * sizeof(std::uint32_t) + kLargePage - 1) / kLargePage * kLargePage;
    void* memory = std::aligned_alloc(kLargePage, bytes);
    if (memory) {
        madvise(memory, bytes, MADV_HUGEPAGE);
        std::memset(memory, 0, bytes);
    }
#else
    void* memory = std::calloc(std::max<std::size_t>(count, 1), sizeof(std::uint32_t));
#endif
    if (!memory)
        throw std::bad_alloc();
    return static_cast<std::uint32_t*>(memory);
}

}

void PixelBuffer::FreeDeleter::operator()(std::uint32_t* pixels) const { std::free(pixels); }

PixelBuffer::PixelBuffer(int width, int height)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
    , m_pixels(AllocatePixels(PixelCount()))
{
}

void PixelBuffer::Fill(Colour colour)
{
    const std::uint32_t pixel = PackPixel(colour);
    // Black, the usual background, is one byte repeated: memset clears a 4K image in a third of
    // the time an element-wise fill takes.
    if (pixel == 0)
        std::memset(m_pixels.get(), 0, PixelCount() * sizeof(std::uint32_t));
    else
        std::fill_n(m_pixels.get(), PixelCount(), pixel);
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
#if defined(__SSE2__)
    // Whole groups may run into the row's padding only where the image has room for them.
    const int groupsEnd = left + glyph.Stride <= m_width ? glyph.Stride : lastColumn - (lastColumn - firstColumn) % kCoverageGroup;
    const __m128i sourceGroup = _mm_set1_epi32(static_cast<int>(source));
#endif
    for (int row = firstRow; row < lastRow; ++row) {
        const std::uint8_t* coverage = atlas.Coverage.data() + glyph.Offset + static_cast<std::size_t>(row) * static_cast<std::size_t>(glyph.Stride);
        // Indexed from the row's start: a glyph cut at the left edge has a negative left.
        std::uint32_t* const rowPixels = m_pixels.get() + Index(0, top + row);
        int column = firstColumn;
#if defined(__SSE2__)
        for (; column + kCoverageGroup <= groupsEnd; column += kCoverageGroup)
            MixGroup(rowPixels + (left + column), coverage + column, sourceGroup);
#endif
        // No branch on the coverage: ink edges make it unpredictable, and Mix is exact at 0
        // and 255, so every pixel takes the same straight path.
        for (; column < lastColumn; ++column) {
            std::uint32_t& pixel = rowPixels[left + column];
            pixel = Mix(source, pixel, coverage[column]);
        }
    }
}

}
