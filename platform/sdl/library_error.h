// Failures of the platform's libraries, worded for the user.
#pragma once

#include <stdexcept>
#include <string>

namespace tavrel::sdl {

// A failure of the platform itself (no display, no font), with a message fit for the user.
class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "<what>: <the library's reason>". Libraries that run out of memory or of file descriptors
// mostly say something else ("x11 not available", "no font is installed"), so where the process
// is short of either, that is the reason given instead: "Out of memory" the runtime's way, or the
// system's words ("Too many open files").
PlatformError LibraryError(const std::string& what, const std::string& reason);

}
