// Ending the program from inside a handler.
#pragma once

namespace tavrel {

// Thrown by EndProgram and caught only by the event loop, so that the window, its fonts and the
// display connection are released on the way out.
struct ProgramEnded { };

// Ends the program at once with exit status 0: no statement after it and no handler runs.
[[noreturn]] inline void EndProgram() { throw ProgramEnded {}; }

}
