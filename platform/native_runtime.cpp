// The one place that decides which display system the program's window opens on.
#include "platform/native_runtime.h"

#include "platform/display_choice.h"
#include "platform/sdl/sdl_runtime.h"
#include "platform/wayland/wayland_runtime.h"

#include <algorithm>

namespace tavrel {

std::unique_ptr<DesktopRuntime> NativeRuntime::Start(const FormDesign& design)
{
    const DisplayEnvironment environment = CurrentDisplayEnvironment();
    const std::vector<DisplaySystem> systems = DisplaysToTry(environment);
    // A compositor that cannot be reached hands over to the next system; one that answers and
    // then fails reports its failure itself.
    std::string unreachable;
    for (const DisplaySystem system : systems) {
        if (system == DisplaySystem::X11)
            return sdl::SdlRuntime::Start(design);
        if (auto connection = wayland::Connection::Open(unreachable))
            return wayland::WaylandRuntime::Start(design, std::move(connection));
    }
    std::string why = "neither WAYLAND_DISPLAY nor DISPLAY is set";
    if (!unreachable.empty())
        why = unreachable + (environment.X11Named ? "" : ", and DISPLAY is not set");
    wayland::ReportFailure("Couldn't open the display: " + why);
    return nullptr;
}

}
