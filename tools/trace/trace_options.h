// The command line of tavrel-trace.
#pragma once

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
    long Steps = 0;
    bool Frame = false;
    std::optional<std::uint32_t> State;
    std::optional<std::string> PngFile;
};

inline constexpr const char* kUsage =
    "usage: tavrel-trace --client W H (--cell CW CH | --png FILE) [--steps N] [--frame] [--state S]\n"
    "  --client W H   client area in pixels\n"
    "  --cell CW CH   size of the measured \"X\", without a font\n"
    "  --png FILE     draw with the window font instead, and save the last frame as a PNG\n"
    "  --steps N      rain steps to run after start-up (default 0)\n"
    "  --frame        draw one frame after the steps and list its prints\n"
    "  --state S      generator state 0..16777215 for the steps, in place of the clock\n";

// Throws std::invalid_argument with a one-line reason for a command line it cannot take.
TraceOptions ParseTraceOptions(const std::vector<std::string>& arguments);

}
