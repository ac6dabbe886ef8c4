// A runtime without a display: a given surface, a generator that ignores clock seeding, and
// timers on a clock that moves only when told to.
#pragma once

#include "platform/runtime.h"

namespace tavrel {

class ManualClock final : public Clock {
public:
    Microseconds Now() const override { return m_now; }
    void Advance(Microseconds by) { m_now += by; }

private:
    Microseconds m_now = 0;
};

class HeadlessRuntime final : public Runtime {
public:
    explicit HeadlessRuntime(Surface& form)
        : m_form(form)
    {
    }

    Surface& Form() override { return m_form; }
    RandomGenerator& Random() override { return m_random; }
    TickScheduler& Timers() override { return m_timers; }
    ManualClock& Time() { return m_clock; }

private:
    Surface& m_form;
    RandomGenerator m_random { ClockSeeding::Ignored };
    ManualClock m_clock;
    TickScheduler m_timers { m_clock };
};

}
