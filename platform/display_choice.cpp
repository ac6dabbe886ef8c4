// Choosing the display system from the environment.
#include "platform/display_choice.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace tavrel {

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

}

std::vector<DisplaySystem> DisplaysToTry(const DisplayEnvironment& environment)
{
    std::vector<DisplaySystem> forced;
    std::istringstream names(Lowered(environment.VideoDriver));
    for (std::string name; std::getline(names, name, ',');) {
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t") + 1);
        const auto system = name == "wayland" ? std::optional(DisplaySystem::Wayland) : name == "x11" ? std::optional(DisplaySystem::X11) : std::nullopt;
        if (system && std::find(forced.begin(), forced.end(), *system) == forced.end())
            forced.push_back(*system);
    }
    if (!forced.empty())
        return forced;
    std::vector<DisplaySystem> chosen;
    if (environment.WaylandNamed)
        chosen.push_back(DisplaySystem::Wayland);
    if (environment.X11Named)
        chosen.push_back(DisplaySystem::X11);
    return chosen;
}

DisplayEnvironment CurrentDisplayEnvironment()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return DisplayEnvironment { driver ? driver : "", IsSet("WAYLAND_DISPLAY") || IsSet("WAYLAND_SOCKET"), IsSet("DISPLAY") };
}

}
