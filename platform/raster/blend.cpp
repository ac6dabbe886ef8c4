// The blend's scalar, SSE2, AVX2 and WebAssembly SIMD paths, and the choice among them.
#include "platform/raster/blend.h"

#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace tavrel {

namespace {

// Red and blue together in two 16-bit lanes and green on its own; exact for every input.
std::uint32_t Mix(std::uint32_t ink, std::uint32_t below, std::uint32_t coverage)
{
    const std::uint32_t rest = 255 - coverage;
    std::uint32_t redBlue = (ink & 0xFF00FF) * coverage + (below & 0xFF00FF) * rest + 0x800080;
    redBlue = ((redBlue + ((redBlue >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
    std::uint32_t green = ((ink >> 8) & 0xFF) * coverage + ((below >> 8) & 0xFF) * rest + 0x80;
    green = ((green + (green >> 8)) >> 8) & 0xFF;
    return redBlue | (green << 8);
}

// No branch on the coverage: ink edges make it unpredictable, and Mix is exact at 0 and 255, so
// every pixel takes the same straight path.
void BlendScalar(std::uint32_t* pixels, const std::uint8_t* coverage, int from, int count, std::uint32_t ink)
{
    for (int index = from; index < count; ++index)
        pixels[index] = Mix(ink, pixels[index], coverage[index]);
}

#if defined(__SSE2__)
// Each channel in a 16-bit lane: total = below * 255 + (ink - below) * a + 128, the same total as
// ink * a + below * (255 - a) + 128 with one multiplication; it never exceeds 65153, so lanes that
// wrap on the way still end exact. Then (total + (total >> 8)) >> 8, the rounded division by 255
// for every total that occurs.
__m128i MixLanes(__m128i ink, __m128i below, __m128i amount)
{
    const __m128i belowTimes255 = _mm_sub_epi16(_mm_slli_epi16(below, 8), below);
    const __m128i total = _mm_add_epi16(_mm_add_epi16(belowTimes255, _mm_mullo_epi16(_mm_sub_epi16(ink, below), amount)), _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(total, _mm_srli_epi16(total, 8)), 8);
}

int BlendSse2(std::uint32_t* pixels, const std::uint8_t* coverage, int count, int groupSpan, std::uint32_t ink)
{
    const __m128i inkGroup = _mm_set1_epi32(static_cast<int>(ink));
    const __m128i zero = _mm_setzero_si128();
    int index = 0;
    for (; index < count && index + 4 <= groupSpan; index += 4) {
        std::uint32_t amounts = 0;
        std::memcpy(&amounts, coverage + index, sizeof(amounts));
        if (count - index < 4)
            amounts &= (std::uint32_t { 1 } << (8 * (count - index))) - 1;
        if (amounts == 0)
            continue;
        __m128i spread = _mm_cvtsi32_si128(static_cast<int>(amounts));
        spread = _mm_unpacklo_epi8(spread, spread);
        spread = _mm_unpacklo_epi16(spread, spread); // each pixel's coverage in all four of its bytes
        auto* group = reinterpret_cast<__m128i*>(pixels + index);
        const __m128i below = _mm_loadu_si128(group);
        const __m128i low = MixLanes(_mm_unpacklo_epi8(inkGroup, zero), _mm_unpacklo_epi8(below, zero), _mm_unpacklo_epi8(spread, zero));
        const __m128i high = MixLanes(_mm_unpackhi_epi8(inkGroup, zero), _mm_unpackhi_epi8(below, zero), _mm_unpackhi_epi8(spread, zero));
        _mm_storeu_si128(group, _mm_packus_epi16(low, high));
    }
    return index;
}

#define TAVREL_AVX2 __attribute__((target("avx2")))

TAVREL_AVX2 __m256i MixLanesAvx2(__m256i ink, __m256i below, __m256i amount)
{
    const __m256i belowTimes255 = _mm256_sub_epi16(_mm256_slli_epi16(below, 8), below);
    const __m256i total = _mm256_add_epi16(_mm256_add_epi16(belowTimes255, _mm256_mullo_epi16(_mm256_sub_epi16(ink, below), amount)), _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(total, _mm256_srli_epi16(total, 8)), 8);
}

TAVREL_AVX2 int BlendAvx2(std::uint32_t* pixels, const std::uint8_t* coverage, int count, int groupSpan, std::uint32_t ink)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i inkLanes = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(ink)), zero);
    // Unpacking a group's pixels gives, in each 128-bit half, two pixels' channels in 16-bit
    // lanes: pixels 0, 1 | 4, 5 from the low bytes and 2, 3 | 6, 7 from the high ones. These pick
    // each pixel's coverage into its four lanes.
    const __m256i lowAmounts = _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 1, -1, 1, -1, 1, -1, 1, -1,
        4, -1, 4, -1, 4, -1, 4, -1, 5, -1, 5, -1, 5, -1, 5, -1);
    const __m256i highAmounts = _mm256_setr_epi8(2, -1, 2, -1, 2, -1, 2, -1, 3, -1, 3, -1, 3, -1, 3, -1,
        6, -1, 6, -1, 6, -1, 6, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    int index = 0;
    for (; index < count && index + 8 <= groupSpan; index += 8) {
        std::uint64_t amounts = 0;
        std::memcpy(&amounts, coverage + index, sizeof(amounts));
        if (count - index < 8)
            amounts &= (std::uint64_t { 1 } << (8 * (count - index))) - 1;
        if (amounts == 0)
            continue;
        const __m256i spread = _mm256_set1_epi64x(static_cast<long long>(amounts));
        auto* group = reinterpret_cast<__m256i*>(pixels + index);
        const __m256i below = _mm256_loadu_si256(group);
        const __m256i low = MixLanesAvx2(inkLanes, _mm256_unpacklo_epi8(below, zero), _mm256_shuffle_epi8(spread, lowAmounts));
        const __m256i high = MixLanesAvx2(inkLanes, _mm256_unpackhi_epi8(below, zero), _mm256_shuffle_epi8(spread, highAmounts));
        _mm256_storeu_si256(group, _mm256_packus_epi16(low, high));
    }
    return index;
}
#endif

#if defined(__wasm_simd128__)
// The SSE2 path's arithmetic in WebAssembly's 128-bit lanes: a module that holds it runs only
// where every lane operation exists, so there is nothing to choose at run time.
v128_t MixLanesSimd128(v128_t ink, v128_t below, v128_t amount)
{
    const v128_t belowTimes255 = wasm_i16x8_sub(wasm_i16x8_shl(below, 8), below);
    const v128_t total = wasm_i16x8_add(wasm_i16x8_add(belowTimes255, wasm_i16x8_mul(wasm_i16x8_sub(ink, below), amount)), wasm_i16x8_splat(128));
    return wasm_u16x8_shr(wasm_i16x8_add(total, wasm_u16x8_shr(total, 8)), 8);
}

int BlendSimd128(std::uint32_t* pixels, const std::uint8_t* coverage, int count, int groupSpan, std::uint32_t ink)
{
    const v128_t inkLanes = wasm_u16x8_extend_low_u8x16(wasm_i32x4_splat(static_cast<int>(ink)));
    const v128_t eachPixelsAmount = wasm_i8x16_const(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    int index = 0;
    for (; index < count && index + 4 <= groupSpan; index += 4) {
        std::uint32_t amounts = 0;
        std::memcpy(&amounts, coverage + index, sizeof(amounts));
        if (count - index < 4)
            amounts &= (std::uint32_t { 1 } << (8 * (count - index))) - 1;
        if (amounts == 0)
            continue;
        const v128_t spread = wasm_i8x16_swizzle(wasm_i32x4_splat(static_cast<int>(amounts)), eachPixelsAmount);
        std::uint32_t* group = pixels + index;
        const v128_t below = wasm_v128_load(group);
        const v128_t low = MixLanesSimd128(inkLanes, wasm_u16x8_extend_low_u8x16(below), wasm_u16x8_extend_low_u8x16(spread));
        const v128_t high = MixLanesSimd128(inkLanes, wasm_u16x8_extend_high_u8x16(below), wasm_u16x8_extend_high_u8x16(spread));
        wasm_v128_store(group, wasm_u8x16_narrow_i16x8(low, high));
    }
    return index;
}
#endif

std::vector<BlendPath> FindSupportedPaths()
{
    std::vector<BlendPath> paths { BlendPath::Scalar };
#if defined(__wasm_simd128__)
    paths.push_back(BlendPath::Simd128);
#endif
#if defined(__SSE2__)
    paths.push_back(BlendPath::Sse2);
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        paths.push_back(BlendPath::Avx2);
#endif
    return paths;
}

}

const std::vector<BlendPath>& SupportedBlendPaths()
{
    static const std::vector<BlendPath> paths = FindSupportedPaths();
    return paths;
}

namespace {

// One function per path with the rows' loop inside it, so that the choice is made once a glyph.
void BlendRowsScalar(const GlyphRows& rows)
{
    for (int row = 0; row < rows.Rows; ++row)
        BlendScalar(rows.Pixels + row * rows.Pitch, rows.Coverage + row * rows.Stride, 0, rows.Count, rows.Ink);
}

// A 128-bit path's rows: whole groups of four, then the scalar mix for a row's last pixels.
template<int (*BlendGroups)(std::uint32_t*, const std::uint8_t*, int, int, std::uint32_t)>
void BlendRowsInGroupsOfFour(const GlyphRows& rows)
{
    for (int row = 0; row < rows.Rows; ++row) {
        std::uint32_t* pixels = rows.Pixels + row * rows.Pitch;
        const std::uint8_t* coverage = rows.Coverage + row * rows.Stride;
        const int done = BlendGroups(pixels, coverage, rows.Count, rows.GroupSpan, rows.Ink);
        BlendScalar(pixels, coverage, done, rows.Count, rows.Ink);
    }
}

#if defined(__SSE2__)

TAVREL_AVX2 void BlendRowsAvx2(const GlyphRows& rows)
{
    for (int row = 0; row < rows.Rows; ++row) {
        std::uint32_t* pixels = rows.Pixels + row * rows.Pitch;
        const std::uint8_t* coverage = rows.Coverage + row * rows.Stride;
        int done = BlendAvx2(pixels, coverage, rows.Count, rows.GroupSpan, rows.Ink);
        // Only at the image's right edge is a row left over: it may still fit groups of four.
        if (done < rows.Count) {
            done += BlendSse2(pixels + done, coverage + done, rows.Count - done, rows.GroupSpan - done, rows.Ink);
            BlendScalar(pixels, coverage, done, rows.Count, rows.Ink);
        }
    }
}
#endif

using RowsBlender = void (*)(const GlyphRows&);

RowsBlender BlenderFor(BlendPath path)
{
    switch (path) {
#if defined(__wasm_simd128__)
    case BlendPath::Simd128:
        return BlendRowsInGroupsOfFour<BlendSimd128>;
#endif
#if defined(__SSE2__)
    case BlendPath::Avx2:
        return BlendRowsAvx2;
    case BlendPath::Sse2:
        return BlendRowsInGroupsOfFour<BlendSse2>;
#endif
    default:
        return BlendRowsScalar;
    }
}

}

void BlendRows(BlendPath path, const GlyphRows& rows) { BlenderFor(path)(rows); }

void BlendRows(const GlyphRows& rows)
{
    static const RowsBlender chosen = BlenderFor(SupportedBlendPaths().back());
    chosen(rows);
}

}
