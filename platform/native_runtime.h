// The runtime of the platform the program is built for, chosen when it is built.
#pragma once

#if defined(_WIN32)
#include "platform/win32/win32_runtime.h"
namespace tavrel {
using NativeRuntime = win32::Win32Runtime;
}
#else
#include "platform/sdl/sdl_runtime.h"
namespace tavrel {
using NativeRuntime = sdl::SdlRuntime;
}
#endif
