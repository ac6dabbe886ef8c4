// The command line of tavrel-trace.
#pragma once

#include "platform/display_scale.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::trace {

struct TraceOptions {
    float ClientWidth = 0;
    float ClientHeight = 0;
    std::optional<float> CellWidth;
    std::optional<float> CellHeight;
    long long Steps = 0;
    bool Frame = false;
    std::optional<std::uint32_t> State;
    std::optional<std::string> PngFile;
    int DotsPerInch = 96;
};

// The display scales --dpi takes: 50% to 500% of 96 dots per inch.

inline constexpr const char* kUsage =
    "usage: tavrel-trace --client W H (--cell CW CH | --png FILE [--dpi D]) [--steps N] [--frame] [--state S]\n"
    "  --client W H   client area in pixels (surface units)\n"
    "  --cell CW CH   size of the measured \"X\", without a font\n"
    "  --png FILE     draw with the window font instead, and save the last frame as a PNG\n"
    "  --dpi D        the display's dots per inch for --png, 48..480 (default 96)\n"
    "  --steps N      rain steps to run after start-up (default 0)\n"
    "  --frame        draw one frame after the steps and list its prints\n"
    "  --state S      generator state 0..16777215 for the steps, in place of the clock\n";

// Throws std::invalid_argument with a one-line reason for a command line it cannot take.
TraceOptions ParseTraceOptions(const std::vector<std::string>& arguments);

}
