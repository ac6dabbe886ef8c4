// Watching key presses where Xlib turns the server's bytes into events.
#include "platform/sdl/key_watch.h"

#include "platform/sdl/x11_display.h"

#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/keysym.h>

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
    const KeySym symbol = XLookupKeysym(&key, 0);
    PressedKey press;
    if (symbol >= XK_a && symbol <= XK_z)
        press.KeyCode = static_cast<std::int16_t>('A' + (symbol - XK_a));
    else if (symbol >= XK_0 && symbol <= XK_9)
        press.KeyCode = static_cast<std::int16_t>('0' + (symbol - XK_0));
    press.Shift = static_cast<std::int16_t>(((key.state & ShiftMask) ? 1 : 0) | ((key.state & ControlMask) ? 2 : 0) | ((key.state & Mod1Mask) ? 4 : 0));
    return press;
}

}
