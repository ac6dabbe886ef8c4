// The image's pixels (0x00RRGGBB) as a canvas takes them: bytes red, green, blue and an opaque
// alpha. Done once per frame shown, as the image goes to the canvas.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrel::web {

// rgba holds count pixels; it may not overlap pixels.
void ToCanvasPixels(const std::uint32_t* pixels, std::size_t count, std::uint32_t* rgba);

}
