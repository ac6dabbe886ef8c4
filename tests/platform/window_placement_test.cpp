#include "platform/window_placement.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

// A frame of a 30-pixel title bar and 8-pixel borders around the client area.
constexpr PixelRect kFrame { -8, -38, 8, 8 };

TEST(WindowPlacement, AWindowShownNormallyHasTheClientAreaItShows)
{
    const PixelSize size = ShownClientSize(false, PixelRect { 0, 0, 545, 336 }, PixelRect { 100, 50, 661, 432 }, kFrame);
    EXPECT_EQ(size.Width, 545);
    EXPECT_EQ(size.Height, 336);
}

// Opened minimised by its launcher, the window shows a client area of 0 x 0; start-up sizes the
// grid from the area it has once restored.
TEST(WindowPlacement, AWindowShownMinimisedHasTheClientAreaOfItsNormalPlacement)
{
    const PixelSize size = ShownClientSize(true, PixelRect {}, PixelRect { 100, 50, 100 + 545 + 16, 50 + 336 + 46 }, kFrame);
    EXPECT_EQ(size.Width, 545);
    EXPECT_EQ(size.Height, 336);
    // A placement smaller than its frame leaves no client area, which start-up then reports.
    const PixelSize none = ShownClientSize(true, PixelRect {}, PixelRect { 0, 0, 10, 10 }, kFrame);
    EXPECT_EQ(none.Width, 0);
    EXPECT_EQ(none.Height, 0);
}

}
}
