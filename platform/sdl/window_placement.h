// Making the program's window on the screen DISPLAY names, and keeping its frame on that screen.
#pragma once

#include "platform/sdl/sdl_handles.h"
#include "platform/sdl/x11_display.h"

#include <optional>
#include <string>

namespace tavrel::sdl {

struct PlacedWindow {
    WindowHandle Window;
    // The screen's area where SDL's displays do not tell it.
    std::optional<SDL_Rect> Screen;
};

// A hidden window of the client size given, centred, with the program's icon. Throws SdlError
// when it cannot be made.
PlacedWindow MakeProgramWindow(const std::string& caption, int width, int height, const DisplayFacts& display);

// Makes a window whose frame does not fit the screen's usable area smaller, and places it so that
// its frame is on the screen.
void FitOnScreen(SDL_Window& window, const std::optional<SDL_Rect>& screen);

}
