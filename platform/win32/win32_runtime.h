// The runtime on Win32: the program's window with its raster surface, the message loop that
// delivers keys and timer ticks, and the error report.
#pragma once

#include "platform/event_loop.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime.h"
#include "platform/win32/gdi_glyph_source.h"

#include <windows.h>

#include <memory>
#include <string>

namespace tavrel::win32 {

// Shows a failure to the user in a message box, and on stderr where there is one.
void ReportFailure(const std::string& message, HWND parent);

class Win32Runtime final : public Runtime, private WindowBackend {
public:
    // Makes the window, hidden until Show. A failure is reported to the user, and nothing is
    // returned.
    static std::unique_ptr<Win32Runtime> Start(const FormDesign& design);
    ~Win32Runtime() override;

    Surface& Form() override;
    RandomGenerator& Random() override { return m_random; }
    TickScheduler& Timers() override { return m_timers; }

    // Loads the window and runs its messages until the program ends; returns the exit status.
    int Run(FormEvents& form);

private:
    class WindowSurface;

    Win32Runtime();
    void OpenWindow(const FormDesign& design);
    void DispatchPendingEvents(FormEvents& form) override;
    bool CloseRequested() const override { return m_closeRequested; }
    void WaitForEventOrTick(std::optional<Microseconds> due) override;
    void PresentIfChanged() override;
    void ReportFailure(const std::string& message) override;
    void Present(HDC target);
    // A loop of the system's own runs between these: the window's timer then delivers the ticks.
    void EnterSystemLoop();
    void LeaveSystemLoop();

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Read once, before the window and its fonts are made.
    int m_dotsPerInch;
    GdiGlyphSource m_glyphs;
    HWND m_window = nullptr;
    std::unique_ptr<WindowSurface> m_surface;
    RandomGenerator m_random;
    SteadyClock m_clock;
    TickScheduler m_timers { m_clock };
    NestedTickDelivery m_nestedTicks;
    int m_systemLoops = 0;
    // Wakes the loop's wait at the moment the next tick is due, finer than a millisecond.
    HANDLE m_wakeUp = nullptr;
    bool m_closeRequested = false;
};

}
