// The window's one event loop, shared by every backend: start-up under its failure rule, then
// key presses and timer ticks one at a time, each handler running to completion.
#pragma once

#include "platform/runtime.h"

#include <exception>
#include <optional>
#include <string>

namespace tavrel {

// What a backend gives the loop.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // Delivers every event already waiting: keys to Form_KeyDown, a close request noted for
    // CloseRequested, paint requests answered with the last image.
    virtual void DispatchPendingEvents(FormEvents& form) = 0;
    virtual bool CloseRequested() const = 0;

    // Sleeps until an event arrives or the given moment of the loop's clock (none: no timer).
    virtual void WaitForEventOrTick(std::optional<Microseconds> due) = 0;

    // Shows what the last handler drew, if it drew anything.
    virtual void PresentIfChanged() = 0;

    // The error report: the message shown to the user, after which the program ends.
    virtual void ReportFailure(const std::string& message) = 0;
};

// Ticks that fall due while the system runs a loop of its own (a window being dragged, a menu
// held open) are delivered from inside that loop, where nothing may unwind through the system's
// frames: a failure, or the program's end, is kept until the loop has returned.
class NestedTickDelivery {
public:
    // Runs every tick that is due and shows what it drew; after a failure, nothing more runs.
    void Deliver(WindowBackend& backend, TickScheduler& timers) noexcept;

    // Raises what a delivery kept, if anything; called by the backend once the system's loop is
    // over, so that the event loop ends the program as if the tick had run there.
    void RaiseKept();

private:
    std::exception_ptr m_kept;
};

// Raises Form_Load, then runs the loop until EndProgram or a close request; returns the exit
// status. A failure in start-up, or one that escapes a tick handler (a fault of the platform,
// since the handlers check what ordinary running meets), goes to the error report with status 1.
int RunEventLoop(WindowBackend& backend, FormEvents& form, TickScheduler& timers);

}
