// The scale rules, free of any Wayland type so that they are tested on every build.
#include "platform/wayland/scale_rules.h"

#include "platform/display_scale.h"

#include <algorithm>

namespace tavrel::wayland {

namespace {

constexpr int kLowestScale120 = kLowestDotsPerInch * kWholeScale / kStandardDotsPerInch;
constexpr int kHighestScale120 = kHighestDotsPerInch * kWholeScale / kStandardDotsPerInch;

// A length times a scale in 120ths, halves rounded up, as the fractional scale protocol asks.
int Scaled(int length, int scale120) { return (length * scale120 + kWholeScale / 2) / kWholeScale; }

}

int ChosenScale120(const ScaleHints& hints)
{
    int scale120 = kWholeScale;
    if (hints.Preferred120 && *hints.Preferred120 > 0)
        scale120 = *hints.Preferred120;
    else if (hints.EnteredOutputScale && *hints.EnteredOutputScale > 0)
        scale120 = *hints.EnteredOutputScale * kWholeScale;
    else if (!hints.OutputScales.empty())
        scale120 = std::max(1, *std::max_element(hints.OutputScales.begin(), hints.OutputScales.end())) * kWholeScale;
    return std::clamp(scale120, kLowestScale120, kHighestScale120);
}

BufferLayout LayoutFor(int logicalWidth, int logicalHeight, int scale120, bool viewportAvailable)
{
    // Without a viewport only whole scales can be announced (below 100% too): the next one up.
    if (scale120 % kWholeScale != 0 && !viewportAvailable)
        scale120 = (scale120 / kWholeScale + 1) * kWholeScale;
    if (scale120 % kWholeScale == 0) {
        const int whole = scale120 / kWholeScale;
        return BufferLayout { logicalWidth * whole, logicalHeight * whole, whole, false, kStandardDotsPerInch * whole };
    }
    return BufferLayout { Scaled(logicalWidth, scale120), Scaled(logicalHeight, scale120), 1, true, Scaled(kStandardDotsPerInch, scale120) };
}

}
