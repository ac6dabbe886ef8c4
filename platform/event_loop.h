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

// What one turn of the loop did.
enum class TurnResult {
    TickRan,  // a handler ran: turn again at once, more may be due
    Idle,     // nothing was due: wait for an event or the next tick
    Ended     // the program ended; Status() says how
};

// The loop's rules, driven one turn at a time: a desktop backend turns it between waits
// (RunEventLoop), a page from its timer and key callbacks. Nothing runs once it has ended.
class EventLoop {
public:
    EventLoop(WindowBackend& backend, FormEvents& form, TickScheduler& timers);

    // Raises Form_Load and shows what it drew. Returns whether the program runs on: a failure
    // went to the error report, with status 1.
    bool Start();

    // Delivers every waiting event, then at most one due tick, and shows what it drew. Before
    // Start, and once ended, it does nothing.
    TurnResult Turn();

    bool Ended() const { return m_status.has_value(); }
    // The exit status once ended: 0 for EndProgram or a close request, 1 after a failure.
    int Status() const { return m_status.value_or(0); }

private:
    TurnResult End(int status);
    TurnResult Fail(const std::string& message);

    WindowBackend& m_backend;
    FormEvents& m_form;
    TickScheduler& m_timers;
    bool m_started = false;
    std::optional<int> m_status;
};

// Raises Form_Load, then runs the loop until EndProgram or a close request; returns the exit
// status. A failure in start-up, or one that escapes a tick handler (a fault of the platform,
// since the handlers check what ordinary running meets), goes to the error report with status 1.
int RunEventLoop(WindowBackend& backend, FormEvents& form, TickScheduler& timers);

}
