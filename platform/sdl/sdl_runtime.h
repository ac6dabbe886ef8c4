// The runtime on SDL: the program's window with its raster surface, the event loop that delivers
// keys and timer ticks, and the error report.
#pragma once

#include "platform/event_loop.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime.h"
#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/ttf_glyph_source.h"
#include "platform/sdl/x11_display.h"

#include <memory>
#include <optional>
#include <string>

namespace tavrel::sdl {

// Shows a failure to the user: "tavrel: <message>" on stderr, and a message box where a display
// is open. Returns when the box is closed.
void ReportFailure(const std::string& message, SDL_Window* parent);

class VideoLibrary {
public:
    explicit VideoLibrary(const DisplayFacts& display);
    ~VideoLibrary();
    VideoLibrary(const VideoLibrary&) = delete;
    VideoLibrary& operator=(const VideoLibrary&) = delete;
};

class SdlRuntime final : public DesktopRuntime, private WindowBackend {
public:
    // Opens the display and the window font and makes the window, hidden until Show. A failure is
    // reported to the user, and nothing is returned.
    static std::unique_ptr<SdlRuntime> Start(const FormDesign& design);
    ~SdlRuntime() override;

    Surface& Form() override;
    RandomGenerator& Random() override { return m_random; }
    TickScheduler& Timers() override { return m_timers; }

    int Run(FormEvents& form) override;

private:
    class WindowSurface;
    enum class Redraw { IfChanged, Always };

    SdlRuntime() = default;
    void OpenWindow(const FormDesign& design);

    void DispatchPendingEvents(FormEvents& form) override;
    bool CloseRequested() const override { return m_closeRequested; }
    void WaitForEventOrTick(std::optional<Microseconds> due) override;
    void PresentIfChanged() override { Present(Redraw::IfChanged); }
    void ReportFailure(const std::string& message) override;
    void Present(Redraw redraw);

    // Read first: without a display there is nothing to start. The video library is started next
    // and released last, so that the error report can still show a message box when the font
    // engine, the font or the window fails: those start in OpenWindow, with the runtime whole.
    DisplayFacts m_display = ReadDisplay();
    VideoLibrary m_video { m_display };
    std::optional<TtfLibrary> m_ttf;
    std::unique_ptr<TtfGlyphSource> m_glyphs;
    WindowHandle m_window;
    std::unique_ptr<DisplayInput> m_input;
    std::unique_ptr<WindowSurface> m_surface;
    RandomGenerator m_random;
    SteadyClock m_clock;
    TickScheduler m_timers { m_clock };
    bool m_closeRequested = false;
    bool m_windowDestroyed = false;
};

}
