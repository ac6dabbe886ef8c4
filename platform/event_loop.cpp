// The event loop: keys between ticks, one handler at a time, the image shown after each.
#include "platform/event_loop.h"

#include <utility>

namespace tavrel {

int RunEventLoop(WindowBackend& backend, FormEvents& form, TickScheduler& timers)
{
    try {
        try {
            form.Form_Load();
        } catch (const RuntimeFailure& failure) {
            backend.ReportFailure(failure.what());
            return kStartupFailureStatus;
        }
        backend.PresentIfChanged();
        for (;;) {
            backend.DispatchPendingEvents(form);
            if (backend.CloseRequested())
                return 0;
            if (timers.DispatchDue()) {
                backend.PresentIfChanged();
                continue;
            }
            backend.WaitForEventOrTick(timers.NextDue());
        }
    } catch (const ProgramEnded&) {
        return 0;
    } catch (const std::exception& failure) {
        backend.ReportFailure(FailureMessage(failure));
        return kStartupFailureStatus;
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
