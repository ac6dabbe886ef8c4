// Timers whose ticks the window's event loop delivers, one handler at a time.
//
// The platform's timer runs at 1/64 second: a requested interval is rounded up to a whole number
// of those periods. Ticks fall due on a fixed grid from the moment the timer was armed; ticks that
// fall due while a handler runs are merged into one, and missed ones are never caught up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavrel {

using Microseconds = std::int64_t;

inline constexpr Microseconds kTimerResolution = 15625;

// The period an interval in milliseconds yields; 0 for a stopped timer.
Microseconds TimerPeriod(std::int32_t intervalMilliseconds);

class Clock {
public:
    virtual ~Clock() = default;
    virtual Microseconds Now() const = 0;
};

class SteadyClock final : public Clock {
public:
    Microseconds Now() const override;
};

class TickScheduler;

class Timer {
public:
    // Enabled with no period: it does not tick until an interval is set.
    Timer(TickScheduler& scheduler, std::function<void()> onTick);
    ~Timer();

    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::int32_t Interval() const { return m_interval; }
    // Milliseconds; 0 stops the timer. Setting it re-arms the timer from now.
    void SetInterval(std::int32_t milliseconds);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

private:
    friend class TickScheduler;

    void Arm();
    bool IsArmed() const { return m_enabled && m_interval > 0; }

    TickScheduler& m_scheduler;
    std::function<void()> m_onTick;
    std::int32_t m_interval = 0;
    bool m_enabled = true;
    Microseconds m_anchor = 0;
    Microseconds m_nextDue = 0;
};

class TickScheduler {
public:
    explicit TickScheduler(const Clock& clock)
        : m_clock(clock)
    {
    }

    TickScheduler(const TickScheduler&) = delete;
    TickScheduler& operator=(const TickScheduler&) = delete;

    // When the earliest armed timer falls due; nothing when no timer is armed.
    std::optional<Microseconds> NextDue() const;

    // Runs the handler of the timer that fell due first, if any is due now; timers due at the same
    // moment run in the order they were created. Returns whether a handler ran.
    bool DispatchDue();

private:
    friend class Timer;

    const Clock& m_clock;
    std::vector<Timer*> m_timers;
};

}
