// Tick scheduling: a fixed grid per timer, merged late ticks, no catch-up.
#include "platform/timer.h"

#include "platform/failure.h"

#include <algorithm>
#include <chrono>

namespace tavrel {

Microseconds TimerPeriod(std::int32_t intervalMilliseconds)
{
    if (intervalMilliseconds <= 0)
        return 0;
    const Microseconds requested = Microseconds { intervalMilliseconds } * 1000;
    return (requested + kTimerResolution - 1) / kTimerResolution * kTimerResolution;
}

Microseconds SteadyClock::Now() const
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(sinceStart).count();
}

Timer::Timer(TickScheduler& scheduler, std::function<void()> onTick)
    : m_scheduler(scheduler)
    , m_onTick(std::move(onTick))
{
    m_scheduler.m_timers.push_back(this);
}

Timer::~Timer()
{
    std::erase(m_scheduler.m_timers, this);
}

void Timer::SetInterval(std::int32_t milliseconds)
{
    if (milliseconds < 0)
        throw RuntimeFailure(FailureKind::InvalidArgument);
    m_interval = milliseconds;
    Arm();
}

void Timer::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    Arm();
}

void Timer::Arm()
{
    m_anchor = m_scheduler.m_clock.Now();
    m_nextDue = m_anchor + TimerPeriod(m_interval);
}

std::optional<Microseconds> TickScheduler::NextDue() const
{
    std::optional<Microseconds> earliest;
    for (const Timer* timer : m_timers) {
        if (timer->IsArmed() && (!earliest || timer->m_nextDue < *earliest))
            earliest = timer->m_nextDue;
    }
    return earliest;
}

bool TickScheduler::DispatchDue()
{
    const Microseconds now = m_clock.Now();
    Timer* due = nullptr;
    for (Timer* timer : m_timers) {
        if (timer->IsArmed() && timer->m_nextDue <= now && (!due || timer->m_nextDue < due->m_nextDue))
            due = timer;
    }
    if (!due)
        return false;
    // The next tick is the first grid point after this delivery: every tick that fell due
    // meanwhile merges into this one, and a slow handler never triggers a burst of catch-up ticks.
    const Microseconds period = TimerPeriod(due->m_interval);
    due->m_nextDue = due->m_anchor + ((now - due->m_anchor) / period + 1) * period;
    due->m_onTick();
    return true;
}

}
