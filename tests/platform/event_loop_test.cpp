#include "platform/event_loop.h"

#include "platform/headless/headless_runtime.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tavrel {
namespace {

// A backend whose events are scripted: a key is pressed once the clock reaches a moment, and
// waiting moves the clock straight to the next tick. A system loop, if scripted, runs inside the
// first dispatch, with a timer message at a fixed period.
class ScriptedBackend final : public WindowBackend {
public:
    explicit ScriptedBackend(ManualClock& clock, TickScheduler& timers, std::string& log)
        : m_clock(clock)
        , m_timers(timers)
        , m_log(log)
    {
    }

    Microseconds KeyAt = -1;
    bool CloseAtFirstWait = false;
    Microseconds SystemLoopLength = 0;
    Microseconds SystemLoopTimerPeriod = 10000;
    std::string Reported;

    void DispatchPendingEvents(FormEvents& form) override
    {
        if (SystemLoopLength > 0)
            RunSystemLoop();
        if (KeyAt >= 0 && m_clock.Now() >= KeyAt)
            form.Form_KeyDown(65, 0);
    }
    bool CloseRequested() const override { return m_close; }
    void WaitForEventOrTick(std::optional<Microseconds> due) override
    {
        ASSERT_TRUE(due) << "the loop waited with no timer armed";
        if (CloseAtFirstWait)
            m_close = true;
        m_clock.Advance(*due - m_clock.Now());
    }
    void PresentIfChanged() override { m_log += "P"; }
    void ReportFailure(const std::string& message) override { Reported = message; }

private:
    void RunSystemLoop()
    {
        const Microseconds end = m_clock.Now() + std::exchange(SystemLoopLength, 0);
        m_log += "[";
        while (m_clock.Now() < end) {
            m_clock.Advance(SystemLoopTimerPeriod);
            m_nested.Deliver(*this, m_timers);
        }
        m_log += "]";
        m_nested.RaiseKept();
    }

    ManualClock& m_clock;
    TickScheduler& m_timers;
    std::string& m_log;
    NestedTickDelivery m_nested;
    bool m_close = false;
};

struct EventLoopRun : testing::Test {
    ManualClock clock;
    TickScheduler timers { clock };
    std::string log;
    ScriptedBackend backend { clock, timers, log };
    std::function<void()> onTick = [] { };
    std::vector<Microseconds> tickTimes;
    Timer timer { timers, [this] {
        log += "T";
        tickTimes.push_back(clock.Now());
        onTick();
    } };

    struct Form final : FormEvents {
        EventLoopRun& loop;
        std::function<void()> load;
        explicit Form(EventLoopRun& owner) : loop(owner) { }
        void Form_Load() override { loop.log += "L"; load(); }
        void Form_KeyDown(std::int16_t, std::int16_t) override
        {
            loop.log += "K";
            EndProgram();
        }
    } form { *this };
};

TEST_F(EventLoopRun, LoadsThenTicksUntilAKeyEndsTheProgram)
{
    form.load = [this] { timer.SetInterval(1); };
    backend.KeyAt = 3 * kTimerResolution;
    EXPECT_EQ(RunEventLoop(backend, form, timers), 0);
    // Loaded and shown, two ticks each followed by showing the image, then the key: a key and a
    // tick due at the same moment are taken key first.
    EXPECT_EQ(log, "LPTPTPK");
}

TEST_F(EventLoopRun, AKeyPressedDuringATickIsHandledAfterItReturns)
{
    form.load = [this] { timer.SetInterval(1); };
    onTick = [this] {
        backend.KeyAt = 0;
        log += "t";
    };
    EXPECT_EQ(RunEventLoop(backend, form, timers), 0);
    EXPECT_EQ(log, "LPTtPK");
}

TEST_F(EventLoopRun, ACloseRequestEndsTheProgramWithoutAHandler)
{
    form.load = [this] { timer.SetInterval(1); };
    backend.CloseAtFirstWait = true;
    EXPECT_EQ(RunEventLoop(backend, form, timers), 0);
    EXPECT_EQ(log, "LP");
}

TEST_F(EventLoopRun, AStartUpFailureIsReportedAndNoTickRuns)
{
    form.load = [this] {
        timer.SetInterval(1);
        throw RuntimeFailure(FailureKind::DivisionByZero);
    };
    EXPECT_EQ(RunEventLoop(backend, form, timers), kStartupFailureStatus);
    EXPECT_EQ(backend.Reported, "Division by zero");
    EXPECT_EQ(log, "L");
}

TEST_F(EventLoopRun, AFailureEscapingATickIsReportedRatherThanLost)
{
    form.load = [this] { timer.SetInterval(1); };
    onTick = [] { throw std::runtime_error("Couldn't open the window font"); };
    EXPECT_EQ(RunEventLoop(backend, form, timers), kStartupFailureStatus);
    EXPECT_EQ(backend.Reported, "Couldn't open the window font");
}

TEST_F(EventLoopRun, TicksRunInsideASystemLoopOnTheGridMergedAndShown)
{
    form.load = [this] { timer.SetInterval(1); };
    backend.SystemLoopLength = 100000;
    backend.KeyAt = 100000;
    EXPECT_EQ(RunEventLoop(backend, form, timers), 0);
    // Timer messages every 10 ms: each delivers the tick due by then, never two at once.
    EXPECT_EQ(log, "LP[TPTPTPTPTPTP]K");
    EXPECT_EQ(tickTimes, (std::vector<Microseconds> { 20000, 40000, 50000, 70000, 80000, 100000 }));
}

TEST_F(EventLoopRun, AFailureInATickInsideASystemLoopIsReportedOnceTheLoopReturns)
{
    form.load = [this] { timer.SetInterval(1); };
    onTick = [] { throw std::runtime_error("Couldn't open the window font"); };
    backend.SystemLoopLength = 100000;
    EXPECT_EQ(RunEventLoop(backend, form, timers), kStartupFailureStatus);
    EXPECT_EQ(log, "LP[T]");
    EXPECT_EQ(backend.Reported, "Couldn't open the window font");
}

TEST_F(EventLoopRun, TurnedFromCallbacksItKeepsTheRulesAndRunsNothingOnceEnded)
{
    form.load = [this] { timer.SetInterval(1); };
    EventLoop loop(backend, form, timers);
    EXPECT_EQ(loop.Turn(), TurnResult::Ended) << "a turn before start-up ran";
    ASSERT_TRUE(loop.Start());
    // A callback two ticks late: one merged tick, then nothing to do.
    clock.Advance(2 * kTimerResolution + 1);
    EXPECT_EQ(loop.Turn(), TurnResult::TickRan);
    EXPECT_EQ(loop.Turn(), TurnResult::Idle);
    backend.KeyAt = 0;
    clock.Advance(kTimerResolution);
    EXPECT_EQ(loop.Turn(), TurnResult::Ended);
    EXPECT_EQ(loop.Status(), 0);
    clock.Advance(kTimerResolution);
    EXPECT_EQ(loop.Turn(), TurnResult::Ended);
    EXPECT_FALSE(loop.Start());
    EXPECT_EQ(log, "LPTPK");
}

TEST_F(EventLoopRun, TurnedFromCallbacksAFailureIsReportedOnceAndEndsTheTurns)
{
    form.load = [this] { timer.SetInterval(1); };
    onTick = [] { throw std::runtime_error("Couldn't open the window font"); };
    EventLoop loop(backend, form, timers);
    ASSERT_TRUE(loop.Start());
    clock.Advance(kTimerResolution);
    EXPECT_EQ(loop.Turn(), TurnResult::Ended);
    EXPECT_EQ(loop.Status(), kStartupFailureStatus);
    backend.Reported.clear();
    clock.Advance(kTimerResolution);
    EXPECT_EQ(loop.Turn(), TurnResult::Ended);
    EXPECT_EQ(backend.Reported, "");
    EXPECT_EQ(log, "LPT");
}

}
}
