// The window, its event loop and the error report on SDL.
#include "platform/sdl/sdl_runtime.h"

#include "platform/raster/framebuffer_adoption.h"
#include "platform/sdl/box_signals.h"
#include "platform/sdl/ending_deadline.h"
#include "platform/sdl/font_file.h"
#include "platform/sdl/key_watch.h"
#include "platform/sdl/window_placement.h"
#include "platform/sdl/x11_display.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace tavrel::sdl {

namespace {

// Start-up has no use for a window the display refused to make as asked (a BadAlloc, a
// BadMatch): it ends with the refusal in the error report rather than a silent black window.
void ThrowIfRefused(SDL_Window* window)
{
    if (const auto refusal = TakeDisplayRefusal(window))
        throw PlatformError(*refusal);
}

}

void ReportFailure(const std::string& message, SDL_Window* parent)
{
    std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str());
    std::fflush(stderr);
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        const BoxSignals endWithTheBox;
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kProgramName, message.c_str(), parent);
    }
}

VideoLibrary::VideoLibrary(const DisplayFacts& display)
{
    // Only a driver that shows a window will do: left to itself, SDL falls back to an off-screen
    // one where there is no display, and the program would run unseen until killed.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    HandleDisplayErrors();
    // The visual is of the screen DISPLAY names, and SDL makes its windows on the first screen.
    if (display.Screen == 0)
        SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, display.WindowVisual.c_str());
    // The program ignores the mouse: no pointer grab on every press.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // The image is composed on the CPU, so the window needs only a place to copy it to. SDL would
    // otherwise show it through an OpenGL texture, which without a GPU (under Xvfb) means a
    // software rasteriser with threads of its own and a hundred megabytes of memory; the native
    // framebuffer is one shared-memory copy to the X server.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        throw SdlError("Couldn't open the display");
    // Every key press is taken from the X connection itself (TakeKeyPress), so that no key is
    // lost for want of a scancode or to the input method; the mouse's events are not even queued.
    // X events themselves are passed on for the one SDL does not report: the window destroyed.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    SDL_EventState(SDL_KEYDOWN, SDL_IGNORE);
    SDL_EventState(SDL_KEYUP, SDL_IGNORE);
    SDL_EventState(SDL_TEXTINPUT, SDL_IGNORE);
    for (const Uint32 mouse : { SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL })
        SDL_EventState(mouse, SDL_IGNORE);
}

VideoLibrary::~VideoLibrary() { SDL_Quit(); }

// The window's surface: drawing goes straight to the window's framebuffer where it can, to an
// off-screen image copied in otherwise; Show shows the window and takes the client area the
// desktop gave it.
class SdlRuntime::WindowSurface final : public RasterSurface {
public:
    WindowSurface(SDL_Window& window, std::optional<SDL_Rect> screen, GlyphSource& glyphs, int width, int height, const FormDesign& design)
        : RasterSurface(glyphs, static_cast<float>(width), static_cast<float>(height), design.BackColor, kWindowFontSize)
        , m_window(window)
        , m_screen(screen)
        , m_backColor(design.BackColor)
        , m_printSizes(design.SmallestPrintSize, design.LargestPrintSize)
    {
        MakeView();
    }

    void Show() override
    {
        SDL_ShowWindow(&m_window);
        // The window manager's placement and frame are waiting in the queue; keys that arrive
        // meanwhile stay queued for the loop.
        SDL_PumpEvents();
        FitOnScreen(m_window, m_screen);
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(&m_window, &width, &height);
        if (width != ImageWidth() || height != ImageHeight()) {
            SetClientSize(width, height);
            MakeView();
        }
        ShowOn(WindowFramebuffer());
        ThrowIfRefused(&m_window);
        PrepareFontSizes(m_printSizes.first, m_printSizes.second);
    }

    SDL_Surface& WindowFramebuffer()
    {
        SDL_Surface* framebuffer = SDL_GetWindowSurface(&m_window);
        if (!framebuffer)
            throw SdlError("Couldn't reach the window's pixels");
        return *framebuffer;
    }

    // Makes the image show on the framebuffer given, the window's latest: drawn straight into it
    // where it holds the image exactly, drawn off screen and copied in otherwise (at another depth,
    // or after a resize from outside). Returns whether it has to be copied.
    bool ShowOn(SDL_Surface& framebuffer)
    {
        const FramebufferShape shape { framebuffer.pixels, framebuffer.w, framebuffer.h, framebuffer.pitch,
            framebuffer.format->format == SDL_PIXELFORMAT_XRGB8888 };
        switch (m_adoption.Adopt(shape, ImageWidth(), ImageHeight())) {
        case FramebufferUse::KeepDrawingInto:
            return false;
        case FramebufferUse::StartDrawingInto:
            DrawInto(static_cast<std::uint32_t*>(framebuffer.pixels));
            return false;
        case FramebufferUse::StopDrawingInto:
            // SDL freed the framebuffer drawn into, or reuses its memory at another size: the
            // image is the surface's own again, of the size the field was made for.
            SetClientSize(ImageWidth(), ImageHeight());
            MakeView();
            break;
        case FramebufferUse::CopyInto:
            break;
        }
        if (ImageLeavesFramebufferUncovered(shape, ImageWidth(), ImageHeight())
            && SDL_FillRect(&framebuffer, nullptr, SDL_MapRGB(framebuffer.format, m_backColor.Red, m_backColor.Green, m_backColor.Blue)) != 0)
            throw SdlError("Couldn't show the window's image");
        return true;
    }

    // The image in SDL's terms, for copying to the window.
    SDL_Surface& View() { return *m_view; }

private:
    void MakeView()
    {
        m_view = ViewOf(Image());
        if (!m_view)
            throw SdlError("Couldn't prepare the window's image");
    }

    SDL_Window& m_window;
    std::optional<SDL_Rect> m_screen;
    Colour m_backColor;
    std::pair<int, int> m_printSizes;
    SurfaceHandle m_view;
    FramebufferAdoption m_adoption;
};

SdlRuntime::~SdlRuntime() = default;

Surface& SdlRuntime::Form() { return *m_surface; }

std::unique_ptr<SdlRuntime> SdlRuntime::Start(const FormDesign& design)
{
    std::unique_ptr<SdlRuntime> runtime;
    try {
        runtime.reset(new SdlRuntime());
        runtime->OpenWindow(design);
    } catch (const std::exception& failure) {
        sdl::ReportFailure(FailureMessage(failure), nullptr);
        return nullptr;
    }
    return runtime;
}

void SdlRuntime::OpenWindow(const FormDesign& design)
{
    m_ttf.emplace();
    m_glyphs = std::make_unique<TtfGlyphSource>(FindFontFile(kWindowFontFamily, kWindowFontFileName), m_display.DotsPerInch);
    const int width = TwipsToPixels(design.ClientWidthTwips, m_display.DotsPerInch);
    const int height = TwipsToPixels(design.ClientHeightTwips, m_display.DotsPerInch);
    PlacedWindow placed = MakeProgramWindow(design.Caption, width, height, m_display);
    m_window = std::move(placed.Window);
    WatchKeyPresses(*m_window);
    m_input = std::make_unique<DisplayInput>(*m_window);
    m_surface = std::make_unique<WindowSurface>(*m_window, placed.Screen, *m_glyphs, width, height, design);
    ThrowIfRefused(m_window.get());
}

int SdlRuntime::Run(FormEvents& form)
{
    BoundEndingSignals();
    const int status = RunEventLoop(*this, form, m_timers);
    // SDL's teardown of a window that another client destroyed waits for an unmapping that
    // never comes, and with the window gone there is nothing left to tear down.
    if (m_windowDestroyed)
        EndWithoutTeardown(status);
    EndWithinASecond(status);
    return status;
}

void SdlRuntime::ReportFailure(const std::string& message) { sdl::ReportFailure(message, m_window.get()); }

void SdlRuntime::DispatchPendingEvents(FormEvents& form)
{
    // SDL reads the display only when it has something to say (or a signal is to be turned into
    // a close request), and then once for all that waits: SDL_PollEvent would read it again for
    // every event, each reading a dozen system calls.
    if (m_input->Pending() || EndingSignalCame())
        SDL_PumpEvents();
    SDL_Event event;
    while (!m_closeRequested && SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (event.type) {
        case SDL_SYSWMEVENT:
            // Another client destroyed the window: nothing can show the rain or take a key, so
            // the program ends as it does when the window is closed.
            if (WindowDestroyedBy(*event.syswm.msg, *m_window))
                m_closeRequested = m_windowDestroyed = true;
            break;
        case SDL_QUIT:
            m_closeRequested = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                m_closeRequested = true;
            // Mapped again (after a desktop hid it, say): without a window manager nobody else
            // gives the focus back, and the keys would go nowhere. Where one runs, the focus is
            // its to give: taking it would override its focus-stealing prevention, and a user
            // typing in another window would end the rain.
            else if (event.window.event == SDL_WINDOWEVENT_SHOWN && !WindowManagerRuns(*m_window))
                SDL_SetWindowInputFocus(m_window.get());
            else if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
                Present(Redraw::Always);
            // Unseen, frames are passed over (the window shows the last one drawn until the
            // next tick): a minimised rain costs next to nothing.
            if (event.window.event == SDL_WINDOWEVENT_HIDDEN || event.window.event == SDL_WINDOWEVENT_MINIMIZED)
                m_surface->SetSeen(false);
            else if (event.window.event == SDL_WINDOWEVENT_SHOWN || event.window.event == SDL_WINDOWEVENT_RESTORED || event.window.event == SDL_WINDOWEVENT_EXPOSED)
                m_surface->SetSeen(true);
            break;
        default:
            break;
        }
    }
    // Once running, a refused request costs at most a frame: it is told, and the rain goes on.
    if (const auto refusal = TakeDisplayRefusal(nullptr))
        std::fprintf(stderr, "%s: %s\n", kProgramName, refusal->c_str());
    if (const auto press = TakeKeyPress(); press && !m_closeRequested)
        form.Form_KeyDown(press->KeyCode, press->Shift);
}

void SdlRuntime::WaitForEventOrTick(std::optional<Microseconds> due)
{
    if (!due) {
        m_input->Wait(std::nullopt);
        return;
    }
    const Microseconds wait = *due - m_clock.Now();
    if (wait > 0)
        m_input->Wait(wait);
}

void SdlRuntime::Present(Redraw redraw)
{
    if (SDL_GetWindowFlags(m_window.get()) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED))
        return;
    if (!m_surface->TakeChanged() && redraw == Redraw::IfChanged)
        return;
    SDL_Surface& framebuffer = m_surface->WindowFramebuffer();
    const bool copy = m_surface->ShowOn(framebuffer);
    m_surface->Image(); // composes what the last handler drew
    if ((copy && SDL_BlitSurface(&m_surface->View(), nullptr, &framebuffer, nullptr) != 0) || SDL_UpdateWindowSurface(m_window.get()) != 0)
        throw SdlError("Couldn't show the window's image");
}

}
