// The window, its event loop and the error report on Wayland.
#include "platform/wayland/wayland_runtime.h"

#include "platform/raster/raster_surface.h"
#include "platform/sdl/ending_deadline.h"
#include "platform/sdl/font_file.h"

#include <array>
#include <cstdio>

namespace tavrel::wayland {

namespace {

// The desktop entry's name, so that the desktop shows its icon and name for the window.
constexpr const char* kAppId = "tavrel";
// A compositor tells the window's scale as it maps it; one that has not in this time is taken
// at the scale of its largest output.
constexpr Microseconds kScaleWait = 2'000'000;

constexpr std::array kEndingSignals { SIGTERM, SIGINT };
volatile std::sig_atomic_t g_endingSignal = 0;

void NoteEndingSignal(int signal) { g_endingSignal = signal; }

// SIGTERM and SIGINT end the program as a close request does. They are held back except while it
// waits, so that one cannot slip in between the check and the wait and be slept through.
sigset_t TakeEndingSignals()
{
    struct sigaction action {};
    action.sa_handler = NoteEndingSignal;
    sigemptyset(&action.sa_mask);
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        // One the program was started with ignored (SIGINT in a background job) stays ignored.
        if (previous.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
        sigaddset(&ending, signal);
    }
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &ending, &waitMask);
    return waitMask;
}

}

void ReportFailure(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str());
    std::fflush(stderr);
}

// The window's surface: drawing goes straight into the shared-memory buffer the compositor has
// released; Show maps the window and makes the buffers at the scale the compositor asks for.
class WaylandRuntime::BufferSurface final : public RasterSurface {
public:
    BufferSurface(WaylandRuntime& runtime, const FormDesign& design, int logicalWidth, int logicalHeight)
        : RasterSurface(*runtime.m_glyphs, static_cast<float>(logicalWidth), static_cast<float>(logicalHeight), design.BackColor, kWindowFontSize)
        , m_runtime(runtime)
        , m_printSizes(design.SmallestPrintSize, design.LargestPrintSize)
    {
    }

    void Show() override
    {
        Connection& connection = *m_runtime.m_connection;
        Toplevel& window = *m_runtime.m_window;
        window.AwaitFirstConfigure();
        // A first picture at the likeliest scale maps the window; the compositor then says which
        // output it is on and the scale it wants.
        UseLayout(LayoutAt(window.ScaleToDrawAt()));
        SteadyClock clock;
        const Microseconds deadline = clock.Now() + kScaleWait;
        for (Microseconds left = kScaleWait; !window.ScaleKnown() && left > 0; left = deadline - clock.Now()) {
            connection.Wait(left);
            connection.Dispatch();
            window.AnswerConfigure();
        }
        window.KeepSize();
        const BufferLayout layout = LayoutAt(window.ScaleToDrawAt());
        if (layout != m_layout)
            UseLayout(layout);
        m_runtime.m_glyphs->SetDotsPerInch(layout.DotsPerInch);
        ForgetGlyphs();
        PrepareFontSizes(m_printSizes.first, m_printSizes.second);
    }

    // Shows the image if a handler drew since, where it was drawn into a buffer the compositor
    // was not reading (a frame drawn while it held both is not shown); the next is aimed at a
    // buffer it is not reading.
    void PresentIfChanged()
    {
        if (!TakeChanged())
            return;
        Image(); // composes what the last handler drew
        if (ShmBuffers::Buffer* buffer = m_buffers->BufferAt(Target()); buffer && !buffer->Held) {
            m_runtime.m_window->Show(*buffer->Proxy, m_runtime.m_clock.Now());
            buffer->Held = true;
            m_retired.reset();
        }
        AimNextFrame();
    }

    void AimNextFrame()
    {
        ShmBuffers::Buffer* free = m_buffers->Released(Target());
        DrawNextInto(free ? free->Pixels : nullptr);
    }

private:
    BufferLayout LayoutAt(int scale120) const
    {
        const Toplevel& window = *m_runtime.m_window;
        return LayoutFor(window.LogicalWidth(), window.LogicalHeight(), scale120, m_runtime.m_connection->Viewporter() != nullptr);
    }

    // New buffers of the layout, the first shown at once, blank: the scale and a buffer of its
    // size reach the compositor in one commit, as they must (545 pixels are no buffer at 2).
    void UseLayout(const BufferLayout& layout)
    {
        m_layout = layout;
        // The buffers shown so far stay until the compositor has the new ones.
        m_retired = std::move(m_buffers);
        m_buffers = std::make_unique<ShmBuffers>(m_runtime.m_connection->Shm(), layout.PixelWidth, layout.PixelHeight);
        m_runtime.m_window->UseLayout(layout);
        SetClientSize(layout.PixelWidth, layout.PixelHeight);
        DrawInto(m_buffers->Released(nullptr)->Pixels);
        PresentIfChanged();
    }

    WaylandRuntime& m_runtime;
    std::pair<int, int> m_printSizes;
    BufferLayout m_layout;
    std::unique_ptr<ShmBuffers> m_buffers;
    std::unique_ptr<ShmBuffers> m_retired;
};

WaylandRuntime::WaylandRuntime(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection))
{
}

WaylandRuntime::~WaylandRuntime()
{
    // The surface's buffers and the window go before the connection they live on.
    m_surface.reset();
    m_window.reset();
}

Surface& WaylandRuntime::Form() { return *m_surface; }

std::unique_ptr<WaylandRuntime> WaylandRuntime::Start(const FormDesign& design, std::unique_ptr<Connection> connection)
{
    std::unique_ptr<WaylandRuntime> runtime;
    try {
        runtime.reset(new WaylandRuntime(std::move(connection)));
        runtime->OpenWindow(design);
    } catch (const std::exception& failure) {
        wayland::ReportFailure(FailureMessage(failure));
        return nullptr;
    }
    return runtime;
}

void WaylandRuntime::OpenWindow(const FormDesign& design)
{
    m_connection->Bind();
    m_ttf.emplace();
    // Made at 100%, the resolution set once the window is shown and its scale known.
    m_glyphs = std::make_unique<sdl::TtfGlyphSource>(sdl::FindFontFile(sdl::kWindowFontFamily, sdl::kWindowFontFileName), kStandardDotsPerInch);
    const int width = TwipsToPixels(design.ClientWidthTwips, kStandardDotsPerInch);
    const int height = TwipsToPixels(design.ClientHeightTwips, kStandardDotsPerInch);
    m_window = std::make_unique<Toplevel>(*m_connection, design.Caption, kAppId, width, height);
    m_surface = std::make_unique<BufferSurface>(*this, design, width, height);
}

int WaylandRuntime::Run(FormEvents& form)
{
    m_waitMask = TakeEndingSignals();
    sdl::BoundEndingSignals();
    const int status = RunEventLoop(*this, form, m_timers);
    sdl::EndWithinASecond(status);
    return status;
}

bool WaylandRuntime::CloseRequested() const { return g_endingSignal != 0 || m_window->CloseRequested(); }

void WaylandRuntime::DispatchPendingEvents(FormEvents& form)
{
    m_connection->Dispatch();
    m_window->AnswerConfigure();
    // No frame shown for a while: the window is out of sight, and frames are passed over until
    // the compositor shows one again.
    m_surface->SetSeen(!m_window->FrameOverdue(m_clock.Now()));
    m_surface->AimNextFrame();
    while (!CloseRequested()) {
        const auto press = m_connection->TakeKeyPress();
        if (!press)
            break;
        form.Form_KeyDown(press->KeyCode, press->Shift);
    }
}

void WaylandRuntime::WaitForEventOrTick(std::optional<Microseconds> due)
{
    if (CloseRequested())
        return;
    std::optional<Microseconds> wait;
    if (due)
        wait = *due - m_clock.Now();
    if (!wait || *wait > 0)
        m_connection->Wait(wait, &m_waitMask);
}

void WaylandRuntime::PresentIfChanged() { m_surface->PresentIfChanged(); }

}
