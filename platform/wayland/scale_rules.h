// How a window of a fixed logical size is drawn at the scale a Wayland compositor asks for: the
// buffer's pixels, how the compositor is told their scale, and the dots per inch glyphs are made at.
#pragma once

#include <optional>
#include <span>

namespace tavrel::wayland {

// Scales are counted in 120ths, as the fractional scale protocol sends them: 120 is 100%, 180 is
// 150%.
inline constexpr int kWholeScale = 120;

// What the compositor has said about the window's scale by the time it is shown.
struct ScaleHints {
    // The fractional scale it prefers for the window, where it offers the protocol for that.
    std::optional<int> Preferred120;
    // The integer scale of the output the window entered, where it has entered one.
    std::optional<int> EnteredOutputScale;
    // The integer scales of every output it announced.
    std::span<const int> OutputScales;
};

// The scale to draw at: the compositor's preferred fractional scale, else the scale of the output
// the window is on, else the largest output's (a shrunk image stays sharp, an enlarged one would
// not), else 100%. Kept within 50% to 500%, the scales a desktop may set.
int ChosenScale120(const ScaleHints& hints);

struct BufferLayout {
    int PixelWidth = 0;
    int PixelHeight = 0;
    // What wl_surface.set_buffer_scale is given: the integer scale, or 1 where a viewport maps
    // the pixels onto the logical size.
    int BufferScale = 1;
    bool UsesViewport = false;
    // The window font's resolution: 96 at 100%.
    int DotsPerInch = 96;

    bool operator==(const BufferLayout&) const = default;
};

// The buffer for a logical size at a scale. An integer scale gives that many pixels per logical
// one, announced as the buffer scale. A fractional one, where a viewport can show it, gives the
// logical size times the scale with halves rounded up (818 x 504 for 545 x 336 at 150%); without
// a viewport it is drawn at the next integer scale up and the compositor shrinks it.
BufferLayout LayoutFor(int logicalWidth, int logicalHeight, int scale120, bool viewportAvailable);

}
