// The window's making and placing through SDL, and through Xlib where SDL cannot reach a screen.
#include "platform/sdl/window_placement.h"

#include "platform/sdl/window_icon.h"

#include <SDL2/SDL_image.h>

#include <algorithm>
#include <span>

namespace tavrel::sdl {

namespace {

// A missing or unreadable icon leaves the desktop's default one: the window works the same.
void SetWindowIcon(SDL_Window& window, std::span<const unsigned char> png)
{
    SurfaceHandle icon(IMG_Load_RW(SDL_RWFromConstMem(png.data(), static_cast<int>(png.size())), 1));
    if (icon)
        SDL_SetWindowIcon(&window, icon.get());
}

// SDL makes every window on the first X screen; on another one that DISPLAY names, SDL's window
// only lends its connection to the window the program makes there itself.
PlacedWindow CreateWindowOnNamedScreen(const std::string& caption, int width, int height, const DisplayFacts& display)
{
    WindowHandle window(SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, SDL_WINDOW_HIDDEN));
    if (!window)
        throw SdlError("Couldn't open the window");
    if (display.Screen == 0)
        return PlacedWindow { std::move(window), std::nullopt };
    const ScreenWindow own = MakeWindowOnNamedScreen(*window, display.WindowVisual, width, height);
    WindowHandle adopted(SDL_CreateWindowFrom(reinterpret_cast<const void*>(own.Window)));
    if (!adopted)
        throw SdlError("Couldn't open the window");
    SDL_SetWindowTitle(adopted.get(), caption.c_str());
    return PlacedWindow { std::move(adopted), own.Screen };
}

}

PlacedWindow MakeProgramWindow(const std::string& caption, int width, int height, const DisplayFacts& display)
{
    PlacedWindow placed = CreateWindowOnNamedScreen(caption, width, height, display);
    SetWindowIcon(*placed.Window, kWindowIconPng);
    IgnorePointer(*placed.Window);
    return placed;
}

// X11 lets a window reach beyond the screen and most window managers leave it there, with its title
// bar out of reach, so the program keeps the frame on the screen as other desktops do of themselves.
void FitOnScreen(SDL_Window& window, const std::optional<SDL_Rect>& screen)
{
    SDL_Rect usable = screen.value_or(SDL_Rect {});
    if (!screen && SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(&window), &usable) != 0)
        return;
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(&window, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(&window, &x, &y);
    SDL_GetWindowSize(&window, &width, &height);
    const int roomWidth = usable.w - left - right;
    const int roomHeight = usable.h - top - bottom;
    const bool fits = width <= roomWidth && height <= roomHeight && x - left >= usable.x && y - top >= usable.y
        && x + width + right <= usable.x + usable.w && y + height + bottom <= usable.y + usable.h;
    if (fits)
        return;
    // A screen too small for even a line of the window still gets a window, which start-up then
    // finds smaller than one cell.
    const int fitWidth = std::max(1, std::min(width, roomWidth));
    const int fitHeight = std::max(1, std::min(height, roomHeight));
    SDL_SetWindowSize(&window, fitWidth, fitHeight);
    SDL_SetWindowPosition(&window, usable.x + left + std::max(0, roomWidth - fitWidth) / 2, usable.y + top + std::max(0, roomHeight - fitHeight) / 2);
    SDL_PumpEvents();
}

}
