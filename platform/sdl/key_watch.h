// Key presses taken as they arrive from the X server, before an input method can swallow them.
#pragma once

#include "platform/key_code.h"

#include <SDL2/SDL.h>

#include <optional>

namespace tavrel::sdl {

// SDL passes every key event through the X input method first, and a key the method takes (a
// dead key, Compose and what follows it) never reaches the program as an event. From now on every
// key press the window's connection receives is noted as it is read from the server, whatever the
// layout, input method or compose state.
void WatchKeyPresses(SDL_Window& window);

// The first key press noted since the last call, if any: letters and digits report their
// upper-case codes, other keys 0.
std::optional<PressedKey> TakeKeyPress();

}
