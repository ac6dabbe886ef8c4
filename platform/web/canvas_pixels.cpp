// Swapping red and blue and making alpha opaque.
#include "platform/web/canvas_pixels.h"

#include <cstring>

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace tavrel::web {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

// In memory a pixel is blue, green, red, 0; the canvas reads red, green, blue, alpha.
std::uint32_t CanvasPixel(std::uint32_t pixel)
{
    return kOpaque | ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

}

void ToCanvasPixelsOneByOne(const std::uint32_t* pixels, std::size_t count, std::uint32_t* rgba)
{
    for (std::size_t index = 0; index < count; ++index)
        rgba[index] = CanvasPixel(pixels[index]);
}

void ToCanvasPixels(const std::uint32_t* pixels, std::size_t count, std::uint32_t* rgba)
{
    std::size_t index = 0;
#if defined(__wasm_simd128__)
    const v128_t redGreenBlue = wasm_i8x16_const(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
    const v128_t opaque = wasm_i32x4_splat(static_cast<int>(kOpaque));
    for (; index + 4 <= count; index += 4)
        wasm_v128_store(rgba + index, wasm_v128_or(wasm_i8x16_swizzle(wasm_v128_load(pixels + index), redGreenBlue), opaque));
#endif
    ToCanvasPixelsOneByOne(pixels + index, count - index, rgba + index);
}

}
