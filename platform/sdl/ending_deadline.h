// A bound on how long the program takes to end once it has been asked to.
#pragma once

namespace tavrel::sdl {

// From now on SIGTERM and SIGINT, which SDL turns into a close request, also set the deadline of
// EndWithinASecond: a program that cannot reach its event loop, or whose window's teardown waits
// on a display that will never answer, still ends, then with 128 + the signal's number.
void BoundEndingSignals();

// Whether SIGTERM or SIGINT has come since BoundEndingSignals: SDL turns it into a close request
// only when it next reads its events.
bool EndingSignalCame();

// Ends the process with the status given a second from now, unless it has ended by then (with
// 128 + the number of an ending signal that has come).
void EndWithinASecond(int status);

// Ends the process at once with the status given, leaving its windows and libraries as they are:
// for when their teardown cannot finish.
[[noreturn]] void EndWithoutTeardown(int status);

}
