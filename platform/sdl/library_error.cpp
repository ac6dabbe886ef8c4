// The process's own shortages, checked before a library's words are believed.
#include "platform/sdl/library_error.h"

#include "platform/failure.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tavrel::sdl {

namespace {

// A library being loaded, a configuration file being read, the display's connection and the font
// are open at once at their peak: a process without that many descriptors to spare fails in
// whichever library comes first.
constexpr int kDescriptorsNeeded = 3;

// Whether the process can open that many more files; errno's reason where it cannot.
int DescriptorShortage()
{
    int probes[kDescriptorsNeeded];
    int opened = 0;
    int shortage = 0;
    for (; opened < kDescriptorsNeeded; ++opened) {
        probes[opened] = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (probes[opened] < 0) {
            shortage = errno == EMFILE || errno == ENFILE ? errno : 0;
            break;
        }
    }
    while (opened > 0)
        close(probes[--opened]);
    return shortage;
}

}

PlatformError LibraryError(const std::string& what, const std::string& reason)
{
    if (MemoryIsShort())
        return PlatformError(FailureMessage(FailureKind::OutOfMemory));
    if (const int shortage = DescriptorShortage())
        return PlatformError(what + ": " + std::strerror(shortage));
    return PlatformError(what + ": " + reason);
}

}
