// Which display system a desktop program on Linux opens its window on: Wayland or X11.
#pragma once

#include <string>
#include <vector>

namespace tavrel {

enum class DisplaySystem { Wayland, X11 };

// What the environment says about the displays.
struct DisplayEnvironment {
    // SDL_VIDEODRIVER, the setting people steer SDL programs with: "x11", "wayland", or a comma
    // separated list of drivers tried in order; other drivers in it are passed over.
    std::string VideoDriver;
    // WAYLAND_DISPLAY, or that a compositor handed over its socket (WAYLAND_SOCKET).
    bool WaylandNamed = false;
    // DISPLAY.
    bool X11Named = false;
};

// The systems to try, in order, each next one only where the one before could not be reached:
// those SDL_VIDEODRIVER names where it names any, else Wayland where a compositor is named and
// then X11 where a display is. Empty when nothing names a display at all.
std::vector<DisplaySystem> DisplaysToTry(const DisplayEnvironment& environment);

// The environment of this process.
DisplayEnvironment CurrentDisplayEnvironment();

}
