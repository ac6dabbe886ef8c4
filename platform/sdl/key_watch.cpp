// Watching key presses where Xlib turns the server's bytes into events.
#include "platform/sdl/key_watch.h"

#include "platform/key_code.h"
#include "platform/sdl/x11_display.h"

#include <X11/Xlib.h>
#include <X11/Xlibint.h>

namespace tavrel::sdl {

namespace {

using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);

WireToEvent g_convert = nullptr;
// Written inside Xlib's reading of the connection, with its lock held: the hook only copies the
// event, and the loop reads it on the same thread once SDL has returned.
std::optional<XKeyEvent> g_pressed;

Bool NoteKeyPress(Display* display, XEvent* event, xEvent* wire)
{
    const Bool converted = g_convert(display, event, wire);
    if (converted && event->type == KeyPress && !g_pressed)
        g_pressed = event->xkey;
    return converted;
}

}

void WatchKeyPresses(SDL_Window& window)
{
    const auto x11 = X11WindowOf(window);
    if (g_convert || !x11)
        return;
    g_convert = XESetWireToEvent(x11->Display, KeyPress, NoteKeyPress);
}

std::optional<PressedKey> TakeKeyPress()
{
    if (!g_pressed)
        return std::nullopt;
    XKeyEvent key = *g_pressed;
    g_pressed.reset();
    return PressedKey { KeyCodeOfSymbol(static_cast<std::uint32_t>(XLookupKeysym(&key, 0))),
        ShiftStateOf(key.state & ShiftMask, key.state & ControlMask, key.state & Mod1Mask) };
}

}
