// Ending the box's process with the program's own.
#include "platform/sdl/box_signals.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tavrel::sdl {

namespace {

constexpr std::array kEndingSignals { SIGTERM, SIGINT, SIGHUP };
std::array<struct sigaction, kEndingSignals.size()> g_previous {};
// The kernel's list of this process's children, among them the box's process; the path is made
// before any signal can come, since a handler may only use async-signal-safe calls.
char g_childrenPath[64] = "";

void EndWithTheBox(int signal)
{
    const int file = open(g_childrenPath, O_RDONLY);
    if (file >= 0) {
        char text[512];
        const ssize_t length = read(file, text, sizeof text - 1);
        close(file);
        pid_t child = 0;
        for (ssize_t index = 0; index < length; ++index) {
            if (text[index] >= '0' && text[index] <= '9') {
                child = child * 10 + (text[index] - '0');
            } else if (child > 0) {
                kill(child, SIGTERM);
                child = 0;
            }
        }
        if (child > 0)
            kill(child, SIGTERM);
    }
    std::signal(signal, SIG_DFL);
    raise(signal);
}

}

BoxSignals::BoxSignals()
{
    std::snprintf(g_childrenPath, sizeof g_childrenPath, "/proc/self/task/%d/children", static_cast<int>(getpid()));
    struct sigaction action {};
    action.sa_handler = EndWithTheBox;
    sigemptyset(&action.sa_mask);
    for (std::size_t index = 0; index < kEndingSignals.size(); ++index) {
        sigaction(kEndingSignals[index], &action, &g_previous[index]);
        // A signal the program was started with ignored (SIGINT in a background job) stays so.
        if (g_previous[index].sa_handler == SIG_IGN)
            sigaction(kEndingSignals[index], &g_previous[index], nullptr);
    }
}

BoxSignals::~BoxSignals()
{
    for (std::size_t index = 0; index < kEndingSignals.size(); ++index)
        sigaction(kEndingSignals[index], &g_previous[index], nullptr);
}

}
