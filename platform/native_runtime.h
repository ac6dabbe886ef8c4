// The runtime of the platform the program is built for: on Windows chosen when it is built, on
// Linux when it starts, from the displays the environment names.
#pragma once

#if defined(_WIN32)
#include "platform/win32/win32_runtime.h"
namespace tavrel {
using NativeRuntime = win32::Win32Runtime;
}
#else
#include "platform/runtime.h"

#include <memory>

namespace tavrel {

class NativeRuntime {
public:
    // The runtime on Wayland or X11 (see DisplaysToTry), with its window made and hidden until
    // Show. A failure is reported to the user, and nothing is returned.
    static std::unique_ptr<DesktopRuntime> Start(const FormDesign& design);
};

}
#endif
