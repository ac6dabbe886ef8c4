#include "platform/wayland/scale_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrel::wayland {
namespace {

TEST(ScaleChoice, PreferredFractionalThenEnteredOutputThenLargestOutputThenWhole)
{
    const std::vector<int> outputs { 1, 3, 2 };
    EXPECT_EQ(ChosenScale120({ 180, 2, outputs }), 180);
    EXPECT_EQ(ChosenScale120({ std::nullopt, 2, outputs }), 240);
    EXPECT_EQ(ChosenScale120({ std::nullopt, std::nullopt, outputs }), 360);
    EXPECT_EQ(ChosenScale120({ std::nullopt, std::nullopt, {} }), 120);
    // A compositor's nonsense (a zero scale) is no scale at all.
    EXPECT_EQ(ChosenScale120({ 0, 0, outputs }), 360);
}

TEST(ScaleChoice, KeptWithinTheScalesADesktopMaySet)
{
    EXPECT_EQ(ChosenScale120({ 30, std::nullopt, {} }), 60);
    EXPECT_EQ(ChosenScale120({ 1200, std::nullopt, {} }), 600);
    const std::vector<int> huge { 9 };
    EXPECT_EQ(ChosenScale120({ std::nullopt, std::nullopt, huge }), 600);
}

void ExpectLayout(const BufferLayout& layout, int width, int height, int bufferScale, bool viewport, int dotsPerInch)
{
    EXPECT_EQ(layout.PixelWidth, width);
    EXPECT_EQ(layout.PixelHeight, height);
    EXPECT_EQ(layout.BufferScale, bufferScale);
    EXPECT_EQ(layout.UsesViewport, viewport);
    EXPECT_EQ(layout.DotsPerInch, dotsPerInch);
}

TEST(BufferLayout, WholeScalesMultiplyThePixelsAndAreAnnouncedAsTheBufferScale)
{
    ExpectLayout(LayoutFor(545, 336, 120, true), 545, 336, 1, false, 96);
    ExpectLayout(LayoutFor(545, 336, 240, true), 1090, 672, 2, false, 192);
    ExpectLayout(LayoutFor(545, 336, 360, false), 1635, 1008, 3, false, 288);
}

TEST(BufferLayout, FractionalScalesRoundHalvesUpAndGoThroughTheViewport)
{
    ExpectLayout(LayoutFor(545, 336, 180, true), 818, 504, 1, true, 144);
    ExpectLayout(LayoutFor(545, 336, 150, true), 681, 420, 1, true, 120);
    // 110%: 599.5 x 369.6 pixels, and 105.6 dots per inch.
    ExpectLayout(LayoutFor(545, 336, 132, true), 600, 370, 1, true, 106);
    ExpectLayout(LayoutFor(545, 336, 60, true), 273, 168, 1, true, 48);
}

TEST(BufferLayout, WithoutAViewportAFractionalScaleIsDrawnAtTheWholeScaleAbove)
{
    ExpectLayout(LayoutFor(545, 336, 180, false), 1090, 672, 2, false, 192);
    ExpectLayout(LayoutFor(545, 336, 150, false), 1090, 672, 2, false, 192);
    ExpectLayout(LayoutFor(545, 336, 60, false), 545, 336, 1, false, 96);
}

TEST(BufferLayout, AConfiguredSizeIsScaledAlike)
{
    ExpectLayout(LayoutFor(800, 600, 240, false), 1600, 1200, 2, false, 192);
    ExpectLayout(LayoutFor(801, 601, 180, true), 1202, 902, 1, true, 144);
}

}
}
