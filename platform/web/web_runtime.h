// The runtime in a web page: the window is a canvas, glyphs come from the browser's font engine,
// and the page turns the event loop from its timer and key callbacks, since a page may not block.
#pragma once

#include "platform/event_loop.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime.h"
#include "platform/web/canvas_glyph_source.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::web {

// The error report: the message in the page where the canvas was, and on the console.
void ReportFailure(const std::string& message);

class WebRuntime final : public Runtime, private WindowBackend {
public:
    // dotsPerInch is 96 times the page's device pixel ratio, kept within the scales a desktop
    // may set; the client area is the pixels of the box the page laid the canvas out in (the
    // window's size in CSS pixels, on the device's pixels), or, where the page gives none, the
    // window's size at dotsPerInch.
    WebRuntime(const FormDesign& design, int dotsPerInch, int clientWidth = 0, int clientHeight = 0);
    ~WebRuntime() override;

    Surface& Form() override;
    RandomGenerator& Random() override { return m_random; }
    TickScheduler& Timers() override { return m_timers; }

    // Raises Form_Load; false when the program did not start (the failure went to the page).
    bool Start(FormEvents& form);

    // Runs the loop's turns until it is idle or has ended. Returns the microseconds until the next
    // tick falls due (0 when one is due already), or nothing: no timer armed, or the program ended
    // (Ended says which).
    std::optional<Microseconds> RunTurns();

    // A key that reached the page; it is handled by the next turn, before any tick.
    void PressKey(std::int16_t keyCode, std::int16_t shift) { m_keys.emplace_back(keyCode, shift); }

    // The page shown or hidden (a background tab): unseen, frames are passed over.
    void SetSeen(bool seen);

    bool Ended() const { return m_loop && m_loop->Ended(); }

    // How many tick handlers have run, for the page's counters.
    std::uint32_t TicksRun() const { return m_ticksRun; }

    // The error report, for a fault outside the loop's turns.
    void ReportFailure(const std::string& message) override;

private:
    class CanvasSurface;

    void DispatchPendingEvents(FormEvents& form) override;
    bool CloseRequested() const override { return false; }
    // The page waits itself, with a timer aimed at the next due moment.
    void WaitForEventOrTick(std::optional<Microseconds>) override { }
    void PresentIfChanged() override;

    int m_dotsPerInch;
    CanvasGlyphSource m_glyphs;
    std::unique_ptr<CanvasSurface> m_surface;
    std::vector<std::uint32_t> m_canvasPixels;
    std::vector<std::pair<std::int16_t, std::int16_t>> m_keys;
    RandomGenerator m_random;
    SteadyClock m_clock;
    TickScheduler m_timers { m_clock };
    std::optional<EventLoop> m_loop;
    std::uint32_t m_ticksRun = 0;
};

}
