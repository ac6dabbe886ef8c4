// The display's text scale through Xlib's resource manager.
#include "platform/sdl/x11_display.h"

#include "platform/display_scale.h"
#include "platform/runtime.h"
#include "platform/sdl/sdl_handles.h"

#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xatom.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>

#include <cmath>
#include <poll.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace tavrel::sdl {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct DatabaseDestroyer {
    void operator()(XrmDatabase database) const { XrmDestroyDatabase(database); }
};

std::string WhyNoDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return "DISPLAY is not set";
    return std::string("cannot connect to \"") + name + "\", or it has no such screen";
}

// SDL prefers a DirectColor visual where the server lists one first, and a DirectColor window
// shows the image through a colour map nobody set (black as (8, 0, 8) at depth 16); its
// framebuffer knows no 30-bit format either. The default visual where it is a true-colour one
// SDL can fill, else a 24-bit one, else a 32-bit one.
std::string WindowVisualOf(Display& display)
{
    const int screen = DefaultScreen(&display);
    Visual* standard = DefaultVisual(&display, screen);
    const int depth = DefaultDepth(&display, screen);
    if (standard->c_class == TrueColor && (depth == 15 || depth == 16 || depth == 24))
        return std::to_string(XVisualIDFromVisual(standard));
    XVisualInfo found {};
    for (const int candidate : { 24, 32 }) {
        if (XMatchVisualInfo(&display, screen, candidate, TrueColor, &found))
            return std::to_string(found.visualid);
    }
    throw PlatformError("Couldn't open the display: its " + std::to_string(depth) + "-bit colours have no true-colour visual");
}

int DotsPerInchOf(Display& display)
{
    const char* resources = XResourceManagerString(&display);
    if (!resources)
        return kStandardDotsPerInch;
    XrmInitialize();
    const std::unique_ptr<std::remove_pointer_t<XrmDatabase>, DatabaseDestroyer> database(XrmGetStringDatabase(resources));
    char* type = nullptr;
    XrmValue value {};
    if (!database || !XrmGetResource(database.get(), "Xft.dpi", "Xft.Dpi", &type, &value) || !value.addr)
        return kStandardDotsPerInch;
    char* end = nullptr;
    const double dotsPerInch = std::strtod(value.addr, &end);
    if (end == value.addr || !(dotsPerInch >= kLowestDotsPerInch && dotsPerInch <= kHighestDotsPerInch))
        return kStandardDotsPerInch;
    return static_cast<int>(std::lround(dotsPerInch));
}

// The first refused request not yet reported, in the user's words.
std::optional<std::string> g_refusal;

// Windows that are gone (closed by the program a moment before, or destroyed by another client)
// and a focus given to a window not yet viewable are refused in ordinary running.
bool IsExpectedRefusal(const XErrorEvent& error)
{
    return error.error_code == BadWindow || error.error_code == BadDrawable || (error.error_code == BadMatch && error.request_code == X_SetInputFocus);
}

int NoteRefusedRequest(Display* display, XErrorEvent* error)
{
    if (IsExpectedRefusal(*error) || g_refusal)
        return 0;
    char reason[256] = "";
    XGetErrorText(display, error->error_code, reason, sizeof reason);
    char request[128] = "";
    const std::string major = std::to_string(error->request_code);
    XGetErrorDatabaseText(display, "XRequest", major.c_str(), major.c_str(), request, sizeof request);
    g_refusal = std::string("The display refused a request: ") + reason + " (request " + request + ")";
    return 0;
}

// Xlib ends the process when this returns, and nothing may unwind through it; with the display
// gone there is no box to show either, so the report is the line on stderr.
int ReportDisplayClosed(Display* display)
{
    const char* name = display ? DisplayString(display) : nullptr;
    std::fprintf(stderr, "%s: The display closed: the connection to \"%s\" was lost\n", kProgramName, name ? name : "");
    std::fflush(stderr);
    std::_Exit(kStartupFailureStatus);
}

}

void HandleDisplayErrors()
{
    XSetErrorHandler(NoteRefusedRequest);
    XSetIOErrorHandler(ReportDisplayClosed);
}

DisplayFacts ReadDisplay()
{
    const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display)
        throw LibraryError("Couldn't open the display", WhyNoDisplay());
    return DisplayFacts { DotsPerInchOf(*display), WindowVisualOf(*display), DefaultScreen(display.get()) };
}

std::optional<X11Window> X11WindowOf(SDL_Window& window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(&window, &info) || info.subsystem != SDL_SYSWM_X11)
        return std::nullopt;
    return X11Window { info.info.x11.display, info.info.x11.window };
}

void IgnorePointer(SDL_Window& window)
{
    const auto x11 = X11WindowOf(window);
    if (!x11)
        return;
    constexpr long kPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | ButtonMotionMask | EnterWindowMask | LeaveWindowMask;
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(x11->Display, x11->Window, &attributes))
        return;
    XSelectInput(x11->Display, x11->Window, attributes.your_event_mask & ~kPointerEvents);
    XFlush(x11->Display);
}

ScreenWindow MakeWindowOnNamedScreen(SDL_Window& sameConnection, const std::string& visual, int width, int height)
{
    const auto x11 = X11WindowOf(sameConnection);
    if (!x11)
        throw PlatformError("Couldn't open the window on the display's screen");
    Display* display = x11->Display;
    const int screen = DefaultScreen(display);
    XVisualInfo wanted {};
    wanted.visualid = std::strtoul(visual.c_str(), nullptr, 10);
    wanted.screen = screen;
    int found = 0;
    const std::unique_ptr<XVisualInfo, int (*)(void*)> chosen(XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &found), XFree);
    if (!chosen || found < 1)
        throw PlatformError("Couldn't open the window: screen " + std::to_string(screen) + " has no visual " + visual);
    const Window root = RootWindow(display, screen);
    const SDL_Rect area { 0, 0, WidthOfScreen(ScreenOfDisplay(display, screen)), HeightOfScreen(ScreenOfDisplay(display, screen)) };
    XSetWindowAttributes attributes {};
    attributes.colormap = XCreateColormap(display, root, chosen->visual, AllocNone);
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | ExposureMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
    const Window window = XCreateWindow(display, root, (area.w - width) / 2, (area.h - height) / 2, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
        chosen->depth, InputOutput, chosen->visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XWMHints hints {};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display, window, &hints);
    std::string name = kProgramName;
    XClassHint windowClass { name.data(), name.data() };
    XSetClassHint(display, window, &windowClass);
    Atom closeRequest = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &closeRequest, 1);
    XSync(display, False);
    return ScreenWindow { window, area };
}

bool WindowDestroyedBy(const SDL_SysWMmsg& message, SDL_Window& window)
{
    if (message.subsystem != SDL_SYSWM_X11 || message.msg.x11.event.type != DestroyNotify)
        return false;
    const auto x11 = X11WindowOf(window);
    return x11 && message.msg.x11.event.xdestroywindow.window == x11->Window;
}

std::optional<std::string> TakeDisplayRefusal(SDL_Window* window)
{
    if (const auto x11 = window ? X11WindowOf(*window) : std::nullopt)
        XSync(x11->Display, False);
    return std::exchange(g_refusal, std::nullopt);
}

DisplayInput::DisplayInput(SDL_Window& window)
{
    const auto x11 = X11WindowOf(window);
    if (!x11)
        throw PlatformError("Couldn't reach the window's display");
    m_display = x11->Display;
    m_socket = ConnectionNumber(m_display);
}

bool DisplayInput::Pending() const
{
    if (XEventsQueued(m_display, QueuedAlready) > 0)
        return true;
    pollfd socket { m_socket, POLLIN, 0 };
    return poll(&socket, 1, 0) > 0;
}

void DisplayInput::Wait(std::optional<long long> microseconds) const
{
    XFlush(m_display);
    if (XEventsQueued(m_display, QueuedAlready) > 0)
        return;
    pollfd socket { m_socket, POLLIN, 0 };
    const long long wait = microseconds.value_or(0);
    const timespec timeout { static_cast<time_t>(wait / 1000000), static_cast<long>(wait % 1000000 * 1000) };
    ppoll(&socket, 1, microseconds ? &timeout : nullptr, nullptr);
}

bool WindowManagerRuns(SDL_Window& window)
{
    const auto x11 = X11WindowOf(window);
    if (!x11)
        return true;
    Display* display = x11->Display;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    // The manager's check window names itself: a property left by a manager that has gone names
    // a window that is gone or someone else's.
    const auto checkWindowOf = [&](Window holder) -> Window {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, holder, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &left, &data) != Success || !data)
            return None;
        const Window named = type == XA_WINDOW && format == 32 && count == 1 ? *reinterpret_cast<Window*>(data) : None;
        XFree(data);
        return named;
    };
    XWindowAttributes attributes {};
    XGetWindowAttributes(display, x11->Window, &attributes);
    const Window named = checkWindowOf(attributes.root ? attributes.root : DefaultRootWindow(display));
    return named != None && checkWindowOf(named) == named;
}

}
