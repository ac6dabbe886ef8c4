// Saving an off-screen image as a PNG file.
#pragma once

#include "platform/raster/pixel_buffer.h"

#include <string>

namespace tavrel::sdl {

// Encodes the whole image first, then writes it as "> path" in a shell would
// (WriteFileAsShellWould). Throws PlatformError("Couldn't write <path>: <reason>").
void SavePng(const PixelBuffer& image, const std::string& path);

}
