// Signals while the error box is shown.
#pragma once

namespace tavrel::sdl {

// While it lives, SIGTERM, SIGINT and SIGHUP end the program as they would anywhere else, and
// take the error box with it. SDL shows the box from a process of its own and only waits for it
// here, so without this a signal was either swallowed (SDL turns SIGTERM and SIGINT into a quit
// event nobody reads while the box is up) or left the box on screen, orphaned.
class BoxSignals {
public:
    BoxSignals();
    ~BoxSignals();
    BoxSignals(const BoxSignals&) = delete;
    BoxSignals& operator=(const BoxSignals&) = delete;
};

}
