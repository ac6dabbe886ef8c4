// Which client area a window just shown has, whatever state the launcher opened it in.
#pragma once

namespace tavrel {

struct PixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

struct PixelSize {
    int Width = 0;
    int Height = 0;
};

// A launcher may open the window minimised ("Run: Minimized", start /min) whatever the program
// asks, and a minimised window's client area is 0 x 0. Start-up then takes the client area of the
// window's normal placement: its rectangle less the frame that surrounds a client area (given as
// the rectangle of the frame around an empty client area at the origin).
PixelSize ShownClientSize(bool minimised, const PixelRect& shownClient, const PixelRect& normalWindow, const PixelRect& frameAroundClient);

}
