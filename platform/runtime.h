// The runtime services the program is built on: its window and surface, timers, random numbers,
// colours, characters, numeric conversions, the error report and the ending of the program.
#pragma once

#include "platform/characters.h"
#include "platform/colour.h"
#include "platform/display_scale.h"
#include "platform/ending.h"
#include "platform/failure.h"
#include "platform/numeric.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "platform/timer.h"

#include <cstdint>
#include <string>

namespace tavrel {

// Exit status of a program that could not start; EndProgram and a close request give 0.
inline constexpr int kStartupFailureStatus = 1;

// The name the error report and the window's class go by.
inline constexpr const char* kProgramName = "tavrel";

// The window font's size, in points, before the program sets one; the same on every platform.
inline constexpr float kWindowFontSize = 8.0f;

// The fixed properties of the program's one window. Its client area is given in twips, so that
// it keeps its size in inches at every display scale.
struct FormDesign {
    std::string Caption;
    int ClientWidthTwips = 0;
    int ClientHeightTwips = 0;
    Colour BackColor;
    // The font sizes, in whole points, that the window prints in once it runs: their glyphs are
    // made while the window is shown, before any timer can fall due, so that no tick waits for them.
    int SmallestPrintSize = 0;
    int LargestPrintSize = -1;
};

// The events the runtime raises on the window.
class FormEvents {
public:
    virtual ~FormEvents() = default;

    // Raised once, when the runtime loads the window at program start.
    virtual void Form_Load() = 0;

    // Raised for every key pressed while the window has the focus. The key code follows the
    // runtime's convention (letters and digits are their upper-case character codes); the shift
    // state has 1 for Shift, 2 for Ctrl and 4 for Alt.
    virtual void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) = 0;
};

// What a window's logic reaches of the runtime.
class Runtime {
public:
    virtual ~Runtime() = default;

    virtual Surface& Form() = 0;
    virtual RandomGenerator& Random() = 0;
    virtual TickScheduler& Timers() = 0;
};

// A desktop's runtime, which runs the window's event loop itself.
class DesktopRuntime : public Runtime {
public:
    // Loads the window and runs its events until the program ends; returns the exit status.
    virtual int Run(FormEvents& form) = 0;
};

}
