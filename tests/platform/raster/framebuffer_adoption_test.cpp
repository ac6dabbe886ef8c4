#include "platform/raster/framebuffer_adoption.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tavrel {
namespace {

FramebufferShape Shape(const void* pixels, int width, int height) { return FramebufferShape { pixels, width, height, width * 4, true }; }

// A window resized from outside often gets its new framebuffer at the old one's address: rows of
// the old width drawn into it would shear the picture and run past its end.
TEST(FramebufferAdoption, ABufferReusedAtTheSameAddressWithANewSizeIsLeft)
{
    std::vector<std::uint32_t> memory(546 * 336);
    FramebufferAdoption adoption;
    EXPECT_EQ(adoption.Adopt(Shape(memory.data(), 545, 336), 545, 336), FramebufferUse::StartDrawingInto);
    EXPECT_EQ(adoption.Adopt(Shape(memory.data(), 545, 336), 545, 336), FramebufferUse::KeepDrawingInto);
    EXPECT_EQ(adoption.Adopt(Shape(memory.data(), 546, 335), 545, 336), FramebufferUse::StopDrawingInto);
    EXPECT_EQ(adoption.Adopt(Shape(memory.data(), 546, 335), 545, 336), FramebufferUse::CopyInto);
    // Resized back, the window's buffer holds the image exactly again.
    EXPECT_EQ(adoption.Adopt(Shape(memory.data(), 545, 336), 545, 336), FramebufferUse::StartDrawingInto);
}

TEST(FramebufferAdoption, OnlyABufferOfTheImagesRowsAndFormatIsDrawnInto)
{
    std::vector<std::uint32_t> memory(600 * 400);
    FramebufferAdoption adoption;
    FramebufferShape padded = Shape(memory.data(), 545, 336);
    padded.Pitch += 4;
    FramebufferShape otherFormat = Shape(memory.data(), 545, 336);
    otherFormat.ImagePixelFormat = false;
    EXPECT_EQ(adoption.Adopt(padded, 545, 336), FramebufferUse::CopyInto);
    EXPECT_EQ(adoption.Adopt(otherFormat, 545, 336), FramebufferUse::CopyInto);
    EXPECT_EQ(adoption.Adopt(Shape(nullptr, 545, 336), 545, 336), FramebufferUse::CopyInto);
    EXPECT_EQ(adoption.Adopt(Shape(memory.data(), 545, 336), 545, 336), FramebufferUse::StartDrawingInto);
    // A new buffer of the same size elsewhere is drawn into in its turn.
    EXPECT_EQ(adoption.Adopt(Shape(memory.data() + 1, 545, 336), 545, 336), FramebufferUse::StartDrawingInto);
}

TEST(FramebufferAdoption, AWiderOrTallerBufferIsClearedAroundTheImage)
{
    EXPECT_TRUE(ImageLeavesFramebufferUncovered(Shape(nullptr, 546, 335), 545, 336));
    EXPECT_TRUE(ImageLeavesFramebufferUncovered(Shape(nullptr, 500, 400), 545, 336));
    EXPECT_FALSE(ImageLeavesFramebufferUncovered(Shape(nullptr, 500, 300), 545, 336));
}

}
}
