// Saving an off-screen image as a PNG file.
#pragma once

#include "platform/raster/pixel_buffer.h"

#include <string>

namespace tavrel::sdl {

// Encodes the whole image first, then writes it to a new file beside the path and renames that
// into place, so that a failed write never leaves a truncated image or spoils an existing file.
// Throws PlatformError("Couldn't write <path>: <reason>").
void SavePng(const PixelBuffer& image, const std::string& path);

}
