#include "platform/web/canvas_pixels.h"

#include "platform/raster/blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace tavrel::web {
namespace {

TEST(CanvasPixels, RedGreenBlueInOrderAndOpaqueForEveryLengthAndAnyStart)
{
    const std::uint32_t pixel = 0x00123456;
    std::uint32_t rgba = 0;
    ToCanvasPixels(&pixel, 1, &rgba);
    std::uint8_t bytes[4];
    std::memcpy(bytes, &rgba, sizeof bytes);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x56);
    EXPECT_EQ(bytes[3], 0xFF);

    std::mt19937 random(5);
    std::vector<std::uint32_t> pixels(40);
    for (std::uint32_t& each : pixels)
        each = random() & 0xFFFFFF;
    for (std::size_t start = 0; start < 4; ++start) {
        for (std::size_t count = 0; start + count <= pixels.size(); ++count) {
            std::vector<std::uint32_t> fast(count + 1, 0xDEADBEEF), oneByOne(count + 1, 0xDEADBEEF);
            ToCanvasPixels(pixels.data() + start, count, fast.data());
            ToCanvasPixelsOneByOne(pixels.data() + start, count, oneByOne.data());
            ASSERT_EQ(fast, oneByOne) << "from " << start << ", " << count << " pixels";
        }
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
