// Whether a frame can be drawn straight into a window's framebuffer, decided afresh for every
// framebuffer the window hands out.
#pragma once

namespace tavrel {

// What a window's framebuffer is now. A resize may hand out a buffer of another size at the same
// address, so the address alone never identifies it.
struct FramebufferShape {
    const void* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    int Pitch = 0; // bytes from one row to the next
    // 0x00RRGGBB in 32 bits, with no alpha channel: a framebuffer that has one (a window on a
    // 32-bit visual) is copied into, which writes it opaque, and never drawn into with alpha 0.
    bool ImagePixelFormat = false;

    friend bool operator==(const FramebufferShape&, const FramebufferShape&) = default;
};

enum class FramebufferUse {
    KeepDrawingInto, // the one drawn into is still the window's
    StartDrawingInto, // a new one that holds the image exactly
    StopDrawingInto, // the one drawn into is gone: draw off screen and copy from now on
    CopyInto, // drawn off screen, copied in
};

class FramebufferAdoption {
public:
    // The use of the window's current framebuffer for an image of the size given.
    FramebufferUse Adopt(const FramebufferShape& framebuffer, int imageWidth, int imageHeight);

private:
    bool m_drawingInto = false;
    FramebufferShape m_adopted;
};

// Whether copying the image leaves part of the framebuffer uncovered, which must then show the
// background rather than what the buffer held.
bool ImageLeavesFramebufferUncovered(const FramebufferShape& framebuffer, int imageWidth, int imageHeight);

}
