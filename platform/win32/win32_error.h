// A failed Win32 or GDI call as the error report shows it.
#pragma once

#include "platform/failure.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace tavrel::win32 {

// "<what>: <call> failed (error <code>)", or the runtime's "Out of memory" where memory or the
// system's resources have run out, whatever the call says: GDI sets no error code for most of its
// failures, so the heap is asked as well.
inline std::runtime_error Win32Error(const std::string& what, const char* call)
{
    const DWORD code = GetLastError();
    const bool outOfMemory = code == ERROR_NOT_ENOUGH_MEMORY || code == ERROR_OUTOFMEMORY || code == ERROR_NO_SYSTEM_RESOURCES;
    if (outOfMemory || MemoryIsShort())
        return std::runtime_error(FailureMessage(FailureKind::OutOfMemory));
    std::string message = what + ": " + call + " failed";
    if (code != ERROR_SUCCESS)
        message += " (error " + std::to_string(code) + ")";
    return std::runtime_error(message);
}

}
