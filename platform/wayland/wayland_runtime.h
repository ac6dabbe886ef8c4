// The runtime on a Wayland compositor: the window as an xdg_toplevel drawn into shared memory at
// the compositor's scale, the event loop over the compositor's connection, and the error report.
#pragma once

#include "platform/event_loop.h"
#include "platform/runtime.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/ttf_glyph_source.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/shm_buffers.h"
#include "platform/wayland/toplevel.h"

#include <csignal>
#include <memory>
#include <optional>
#include <string>

namespace tavrel::wayland {

// "tavrel: <message>" on stderr: a compositor has no message box to show it in.
void ReportFailure(const std::string& message);

class WaylandRuntime final : public DesktopRuntime, private WindowBackend {
public:
    // Learns the compositor's globals, opens the window font and makes the window, unmapped until
    // Show. A failure is reported to the user, and nothing is returned.
    static std::unique_ptr<WaylandRuntime> Start(const FormDesign& design, std::unique_ptr<Connection> connection);
    ~WaylandRuntime() override;

    Surface& Form() override;
    RandomGenerator& Random() override { return m_random; }
    TickScheduler& Timers() override { return m_timers; }

    int Run(FormEvents& form) override;

private:
    class BufferSurface;

    explicit WaylandRuntime(std::unique_ptr<Connection> connection);
    void OpenWindow(const FormDesign& design);

    void DispatchPendingEvents(FormEvents& form) override;
    bool CloseRequested() const override;
    void WaitForEventOrTick(std::optional<Microseconds> due) override;
    void PresentIfChanged() override;
    void ReportFailure(const std::string& message) override { wayland::ReportFailure(message); }

    std::unique_ptr<Connection> m_connection;
    std::optional<sdl::TtfLibrary> m_ttf;
    std::unique_ptr<sdl::TtfGlyphSource> m_glyphs;
    std::unique_ptr<Toplevel> m_window;
    std::unique_ptr<BufferSurface> m_surface;
    RandomGenerator m_random;
    SteadyClock m_clock;
    TickScheduler m_timers { m_clock };
    // The signals that end the program reach it only while it waits for the compositor.
    sigset_t m_waitMask {};
};

}
