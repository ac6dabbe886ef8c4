#include "platform/timer.h"

#include "platform/headless/headless_runtime.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {
namespace {

TEST(TimerPeriod, RoundsUpToTheSixtyFourthOfASecond)
{
    EXPECT_EQ(TimerPeriod(0), 0);
    EXPECT_EQ(TimerPeriod(1), 15625);
    EXPECT_EQ(TimerPeriod(15), 15625);
    EXPECT_EQ(TimerPeriod(16), 31250);
    EXPECT_EQ(TimerPeriod(1000), 1000000);
}

struct Scheduling : testing::Test {
    ManualClock clock;
    TickScheduler scheduler { clock };
    std::string ticks;
    Timer first { scheduler, [this] { ticks += '1'; } };
    Timer second { scheduler, [this] { ticks += '2'; } };
};

TEST_F(Scheduling, NothingTicksBeforeAnIntervalIsSet)
{
    clock.Advance(1000000);
    EXPECT_FALSE(scheduler.NextDue());
    EXPECT_FALSE(scheduler.DispatchDue());
    EXPECT_EQ(ticks, "");
}

TEST_F(Scheduling, TicksSixtyFourTimesASecondForAnIntervalOfOne)
{
    first.SetInterval(1);
    for (int tick = 0; tick < 64; ++tick) {
        clock.Advance(*scheduler.NextDue() - clock.Now());
        EXPECT_TRUE(scheduler.DispatchDue());
        EXPECT_FALSE(scheduler.DispatchDue());
    }
    EXPECT_EQ(ticks.size(), 64u);
    EXPECT_EQ(clock.Now(), 1000000);
}

TEST_F(Scheduling, LateTicksMergeIntoOneWithoutCatchUp)
{
    first.SetInterval(1);
    clock.Advance(5 * kTimerResolution + 100);
    EXPECT_TRUE(scheduler.DispatchDue());
    EXPECT_FALSE(scheduler.DispatchDue());
    EXPECT_EQ(ticks, "1");
    // The next tick keeps to the timer's grid.
    EXPECT_EQ(*scheduler.NextDue(), 6 * kTimerResolution);
}

TEST_F(Scheduling, TimersDueTogetherRunInCreationOrderOneAtATime)
{
    second.SetInterval(1);
    first.SetInterval(1);
    clock.Advance(kTimerResolution);
    EXPECT_TRUE(scheduler.DispatchDue());
    EXPECT_EQ(ticks, "1");
    EXPECT_TRUE(scheduler.DispatchDue());
    EXPECT_EQ(ticks, "12");
    EXPECT_FALSE(scheduler.DispatchDue());
}

TEST_F(Scheduling, StoppedOrDisabledTimersDoNotTick)
{
    first.SetInterval(1);
    second.SetInterval(1);
    first.SetInterval(0);
    second.SetEnabled(false);
    clock.Advance(10 * kTimerResolution);
    EXPECT_FALSE(scheduler.DispatchDue());
    second.SetEnabled(true);
    clock.Advance(kTimerResolution);
    EXPECT_TRUE(scheduler.DispatchDue());
    EXPECT_EQ(ticks, "2");
}

}
}
