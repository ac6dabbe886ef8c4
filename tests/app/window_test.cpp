#include "app/window.h"

#include "platform/headless/fixed_metrics_surface.h"
#include "platform/headless/headless_runtime.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

struct StartUp : testing::Test {
    FixedMetricsSurface surface { 545, 336, 7, 13 };
    HeadlessRuntime runtime { surface };
    Tavrel window { runtime };
};

TEST_F(StartUp, ShowsArmsMeasuresSizesAndFills)
{
    window.Form_Load();
    EXPECT_TRUE(surface.IsShown());
    EXPECT_EQ(window.Timer1().Interval(), 1);
    EXPECT_EQ(window.Timer2().Interval(), 1);
    const RainField& field = window.Field();
    EXPECT_EQ(field.CellWidth, 7);
    EXPECT_EQ(field.CellHeight, 13);
    EXPECT_EQ(field.MaxColumn, 76);
    EXPECT_EQ(field.MaxRow, 24);
    EXPECT_EQ(field.DropRow(1), 17);
    EXPECT_EQ(field.GlyphSize(76) >= 0 && field.GlyphSize(76) <= 20, true);
    // The fill used two numbers per filled column, and nothing else has drawn since.
    RandomGenerator expected;
    for (int draw = 0; draw < 2 * 76; ++draw)
        expected.NextRandom();
    EXPECT_EQ(runtime.Random().State(), expected.State());
}

TEST_F(StartUp, NoTickRunsBeforeTheEventLoopDeliversOne)
{
    window.Form_Load();
    EXPECT_FALSE(runtime.Timers().DispatchDue());
    runtime.Time().Advance(kTimerResolution);
    // Timer1 draws first, then Timer2 steps; neither draws a number before its tick.
    const std::uint32_t before = runtime.Random().State();
    EXPECT_TRUE(runtime.Timers().DispatchDue());
    EXPECT_EQ(runtime.Random().State(), before); // the field is still dark: no character drawn
    EXPECT_TRUE(runtime.Timers().DispatchDue());
    EXPECT_NE(runtime.Random().State(), before); // the step picked its column
}

TEST(StartUpFailure, EndsWithTheRuntimesFailure)
{
    const auto failureFor = [](float width, float height, float cellWidth, float cellHeight) {
        FixedMetricsSurface surface { width, height, cellWidth, cellHeight };
        HeadlessRuntime runtime { surface };
        Tavrel window { runtime };
        try {
            window.Form_Load();
        } catch (const RuntimeFailure& failure) {
            return std::string(failure.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(failureFor(6, 336, 7, 13), "Subscript out of range");
    EXPECT_EQ(failureFor(545, 12, 7, 13), "Subscript out of range");
    EXPECT_EQ(failureFor(545, 336, 0.4f, 13), "Division by zero");
    EXPECT_EQ(failureFor(545, 336, 40000, 13), "Overflow");
    EXPECT_EQ(failureFor(40000, 336, 1, 13), "Overflow");
    EXPECT_EQ(failureFor(13, 13, 7, 13), "no failure");
}

TEST_F(StartUp, EveryKeyEndsTheProgram)
{
    window.Form_Load();
    EXPECT_THROW(window.Form_KeyDown(65, 0), ProgramEnded);
    EXPECT_THROW(window.Form_KeyDown(0, 1), ProgramEnded);
    EXPECT_THROW(window.Form_KeyDown(0, 7), ProgramEnded);
}

}
}
