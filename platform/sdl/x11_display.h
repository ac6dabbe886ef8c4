// What the program reads of the X display before SDL opens its window there, and the X events
// it takes from SDL.
#pragma once

#include <SDL2/SDL.h>

#include <optional>
#include <string>

// Xlib's display connection, named without Xlib's header.
struct _XDisplay;

namespace tavrel::sdl {

struct DisplayFacts {
    // The desktop's text scale (Xft.dpi, which desktops set when the user picks a scale); 96
    // when it is absent or unreadable.
    int DotsPerInch = 96;
    // The id of the visual the window is made with: a true-colour one that SDL's framebuffer can
    // fill, so that black is black at every depth.
    std::string WindowVisual;
    // The X screen DISPLAY names (":0.1" is screen 1).
    int Screen = 0;
};

// Opens the display that DISPLAY names, as SDL will. Throws PlatformError("Couldn't open the
// display: <reason>") when there is no display to open, so that the program never runs without
// a window, or when none of its visuals holds true colour.
DisplayFacts ReadDisplay();

// The window takes no pointer events at all: the program ignores the mouse, and a storm of
// clicks then costs nothing and cannot crowd a key out of the queue.
void IgnorePointer(SDL_Window& window);

struct ScreenWindow {
    // The X window's id, for SDL_CreateWindowFrom.
    unsigned long Window = 0;
    // The screen's area, in the screen's own coordinates.
    SDL_Rect Screen {};
};

// SDL makes every window on the screen of its first display, so for a later screen the program
// makes its window itself: on the connection of SDL's window `sameConnection` (so that it ends
// with that connection), with the visual ReadDisplay chose, centred, taking the keys, closing
// through WM_DELETE_WINDOW as SDL's own windows do. Throws PlatformError when it cannot.
ScreenWindow MakeWindowOnNamedScreen(SDL_Window& sameConnection, const std::string& visual, int width, int height);

// Whether an X event that SDL passes on is the end of the window given: destroyed by another
// client (a session manager, a crashing window manager), which SDL does not report.
bool WindowDestroyedBy(const SDL_SysWMmsg& message, SDL_Window& window);

// The X connection and window behind an SDL window; none where SDL runs on anything but X11.
struct X11Window {
    _XDisplay* Display = nullptr;
    unsigned long Window = 0;
};
std::optional<X11Window> X11WindowOf(SDL_Window& window);

// The window's X connection, watched without SDL reading it: each reading SDL makes of the
// display is a dozen system calls, which would be most of what an unseen window costs a tick.
class DisplayInput {
public:
    explicit DisplayInput(SDL_Window& window);

    // Whether events are queued or bytes wait on the connection.
    bool Pending() const;

    // Sends what requests wait to be sent, then sleeps until the connection has something to
    // read, a signal comes, or the microseconds given pass (none: no limit).
    void Wait(std::optional<long long> microseconds) const;

private:
    _XDisplay* m_display = nullptr;
    int m_socket = -1;
};

// Whether a window manager runs on the window's screen (one that names its check window).
bool WindowManagerRuns(SDL_Window& window);

// Makes the X connections of the process answer the display's errors as the program's own: a
// lost display (the server ended or the connection broke) ends the program through the error
// report, "The display closed: <reason>" on stderr, with status 1. A refused request is noted for
// TakeDisplayRefusal, where Xlib by default would print its own text and exit; only refusals of
// ordinary running (a window that is gone, the focus given to one not yet viewable) are ignored.
void HandleDisplayErrors();

// The first refusal noted since the last call, once the requests made so far on the window's
// connection have been answered: "The display refused a request: <reason> (request <name>)".
std::optional<std::string> TakeDisplayRefusal(SDL_Window* window);

}
