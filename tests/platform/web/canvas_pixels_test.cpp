#include "platform/web/canvas_pixels.h"

#include "platform/raster/blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace tavrel::web {
namespace {

// Byte by byte, as the canvas reads them, for every length a vector loop splits differently.
TEST(CanvasPixels, RedGreenBlueInOrderAndOpaqueForEveryLength)
{
    std::mt19937 random(5);
    std::vector<std::uint32_t> pixels(40);
    for (std::uint32_t& each : pixels)
        each = random() & 0xFFFFFF;
    for (std::size_t count = 0; count <= pixels.size(); ++count) {
        std::vector<std::uint32_t> rgba(count + 1, 0xDEADBEEF);
        ToCanvasPixels(pixels.data(), count, rgba.data());
        for (std::size_t index = 0; index < count; ++index) {
            std::uint8_t bytes[4];
            std::memcpy(bytes, &rgba[index], sizeof bytes);
            const std::uint8_t expected[4] { static_cast<std::uint8_t>(pixels[index] >> 16), static_cast<std::uint8_t>(pixels[index] >> 8),
                static_cast<std::uint8_t>(pixels[index]), 0xFF };
            ASSERT_EQ(std::memcmp(bytes, expected, 4), 0) << "pixel " << index << " of " << count;
        }
        EXPECT_EQ(rgba[count], 0xDEADBEEF) << "written past " << count << " pixels";
    }
}

#if defined(__wasm_simd128__)
TEST(CanvasPixels, ABuildWithSimdBlendsWithIt)
{
    EXPECT_EQ(SupportedBlendPaths().back(), BlendPath::Simd128);
}
#endif

}
}
