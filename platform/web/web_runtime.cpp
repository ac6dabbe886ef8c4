// The window as a canvas, and the loop turned by the page.
#include "platform/web/web_runtime.h"

#include "platform/display_scale.h"
#include "platform/web/canvas_pixels.h"
#include "platform/web/page_imports.h"

#include <algorithm>
#include <stdexcept>

namespace tavrel::web {

// The window's surface: drawn off screen, shown on the canvas after each handler. The canvas has
// the pixels of the box the page laid it out in, at the size in CSS pixels the window has at 100%.
class WebRuntime::CanvasSurface final : public RasterSurface {
public:
    CanvasSurface(GlyphSource& glyphs, const FormDesign& design, int width, int height)
        : RasterSurface(glyphs, static_cast<float>(width), static_cast<float>(height), design.BackColor, kWindowFontSize)
        , m_design(design)
    {
    }

    void Show() override
    {
        if (!tavrel_page_open_window(m_design.Caption.data(), static_cast<int>(m_design.Caption.size()), ImageWidth(), ImageHeight()))
            throw std::runtime_error("Couldn't open the window");
        // The window font too, which measures the cell: every size on one sheet, read once.
        PrepareFontSizes(std::min(static_cast<int>(kWindowFontSize), m_design.SmallestPrintSize), m_design.LargestPrintSize);
    }

private:
    const FormDesign& m_design;
};

WebRuntime::WebRuntime(const FormDesign& design, int dotsPerInch, int clientWidth, int clientHeight)
    : m_dotsPerInch(std::clamp(dotsPerInch, kLowestDotsPerInch, kHighestDotsPerInch))
    , m_glyphs(m_dotsPerInch)
    , m_surface(std::make_unique<CanvasSurface>(m_glyphs, design,
          clientWidth > 0 ? clientWidth : TwipsToPixels(design.ClientWidthTwips, m_dotsPerInch),
          clientHeight > 0 ? clientHeight : TwipsToPixels(design.ClientHeightTwips, m_dotsPerInch)))
{
}

WebRuntime::~WebRuntime() = default;

Surface& WebRuntime::Form() { return *m_surface; }

bool WebRuntime::Start(FormEvents& form)
{
    m_loop.emplace(static_cast<WindowBackend&>(*this), form, m_timers);
    return m_loop->Start();
}

std::optional<Microseconds> WebRuntime::RunTurns()
{
    if (!m_loop)
        return std::nullopt;
    for (;;) {
        switch (m_loop->Turn()) {
        case TurnResult::TickRan:
            ++m_ticksRun;
            continue;
        case TurnResult::Ended:
            return std::nullopt;
        case TurnResult::Idle:
            break;
        }
        const auto due = m_timers.NextDue();
        if (!due)
            return std::nullopt;
        return std::max<Microseconds>(0, *due - m_clock.Now());
    }
}

void WebRuntime::SetSeen(bool seen) { m_surface->SetSeen(seen); }

void ReportFailure(const std::string& message)
{
    tavrel_page_report_failure(message.data(), static_cast<int>(message.size()));
}

void WebRuntime::ReportFailure(const std::string& message) { web::ReportFailure(message); }

void WebRuntime::DispatchPendingEvents(FormEvents& form)
{
    // Taken out first: a handler that ends the program leaves the rest unread, as a closed
    // window's keys are.
    const auto keys = std::exchange(m_keys, {});
    for (const auto& [keyCode, shift] : keys)
        form.Form_KeyDown(keyCode, shift);
}

void WebRuntime::PresentIfChanged()
{
    if (!m_surface->Seen() || !m_surface->TakeChanged())
        return;
    const PixelBuffer& image = m_surface->Image();
    const auto count = static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height());
    m_canvasPixels.resize(count);
    ToCanvasPixels(image.Data(), count, m_canvasPixels.data());
    if (!tavrel_page_show_image(reinterpret_cast<const std::uint8_t*>(m_canvasPixels.data()), image.Width(), image.Height()))
        throw std::runtime_error("Couldn't show the window's image");
}

}
