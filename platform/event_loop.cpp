// The event loop: keys between ticks, one handler at a time, the image shown after each.
#include "platform/event_loop.h"

#include <utility>

namespace tavrel {

EventLoop::EventLoop(WindowBackend& backend, FormEvents& form, TickScheduler& timers)
    : m_backend(backend)
    , m_form(form)
    , m_timers(timers)
{
}

bool EventLoop::Start()
{
    if (m_started)
        return !Ended();
    m_started = true;
    try {
        try {
            m_form.Form_Load();
        } catch (const RuntimeFailure& failure) {
            Fail(failure.what());
            return false;
        }
        m_backend.PresentIfChanged();
    } catch (const ProgramEnded&) {
        End(0);
    } catch (const std::exception& failure) {
        Fail(FailureMessage(failure));
    }
    return !Ended();
}

TurnResult EventLoop::Turn()
{
    if (Ended() || !m_started)
        return TurnResult::Ended;
    try {
        m_backend.DispatchPendingEvents(m_form);
        if (m_backend.CloseRequested())
            return End(0);
        if (!m_timers.DispatchDue())
            return TurnResult::Idle;
        m_backend.PresentIfChanged();
        return TurnResult::TickRan;
    } catch (const ProgramEnded&) {
        return End(0);
    } catch (const std::exception& failure) {
        return Fail(FailureMessage(failure));
    }
}

TurnResult EventLoop::End(int status)
{
    m_status = status;
    return TurnResult::Ended;
}

TurnResult EventLoop::Fail(const std::string& message)
{
    // Ended first: nothing may run again, even while the report is shown.
    End(kStartupFailureStatus);
    m_backend.ReportFailure(message);
    return TurnResult::Ended;
}

int RunEventLoop(WindowBackend& backend, FormEvents& form, TickScheduler& timers)
{
    EventLoop loop(backend, form, timers);
    if (!loop.Start())
        return loop.Status();
    for (;;) {
        switch (loop.Turn()) {
        case TurnResult::TickRan:
            break;
        case TurnResult::Idle:
            backend.WaitForEventOrTick(timers.NextDue());
            break;
        case TurnResult::Ended:
            return loop.Status();
        }
    }
}

void NestedTickDelivery::Deliver(WindowBackend& backend, TickScheduler& timers) noexcept
{
    if (m_kept)
        return;
    try {
        while (timers.DispatchDue())
            backend.PresentIfChanged();
    } catch (...) {
        m_kept = std::current_exception();
    }
}

void NestedTickDelivery::RaiseKept()
{
    if (m_kept)
        std::rethrow_exception(std::exchange(m_kept, nullptr));
}

}
