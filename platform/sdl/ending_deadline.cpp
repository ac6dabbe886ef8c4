// The deadline as an alarm whose handler ends the process.
#include "platform/sdl/ending_deadline.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tavrel::sdl {

namespace {

constexpr std::array kEndingSignals { SIGTERM, SIGINT };
std::array<struct sigaction, kEndingSignals.size()> g_chained {};
volatile std::sig_atomic_t g_status = 0;
volatile std::sig_atomic_t g_signalled = 0;

// An end the deadline forces after a signal says so as the signal's own default action would,
// with 128 + its number, so that a supervisor can tell it from a clean end.
void EndAtDeadline(int) { _exit(g_signalled != 0 ? 128 + g_signalled : g_status); }

void ArmDeadline()
{
    struct sigaction action {};
    action.sa_handler = EndAtDeadline;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    alarm(1);
}

// The handler SDL installed still runs, so that the loop sees the close request and ends the
// program the ordinary way within the second.
void ArmDeadlineAndChain(int signal)
{
    g_signalled = signal;
    ArmDeadline();
    for (std::size_t index = 0; index < kEndingSignals.size(); ++index) {
        if (kEndingSignals[index] == signal && g_chained[index].sa_handler != SIG_DFL && g_chained[index].sa_handler != SIG_IGN)
            g_chained[index].sa_handler(signal);
    }
}

}

void BoundEndingSignals()
{
    struct sigaction action {};
    action.sa_handler = ArmDeadlineAndChain;
    sigemptyset(&action.sa_mask);
    for (std::size_t index = 0; index < kEndingSignals.size(); ++index) {
        sigaction(kEndingSignals[index], nullptr, &g_chained[index]);
        // A signal the program was started with ignored (SIGINT in a background job), or one
        // nobody turns into a close request, keeps what it had.
        if (g_chained[index].sa_handler == SIG_IGN || g_chained[index].sa_handler == SIG_DFL || (g_chained[index].sa_flags & SA_SIGINFO))
            continue;
        sigaction(kEndingSignals[index], &action, nullptr);
    }
}

bool EndingSignalCame() { return g_signalled != 0; }

void EndWithinASecond(int status)
{
    g_status = status;
    ArmDeadline();
}

void EndWithoutTeardown(int status)
{
    std::fflush(nullptr);
    _exit(status);
}

}
