// Saving an off-screen image as a PNG file.
#pragma once

#include "platform/raster/pixel_buffer.h"

#include <string>

namespace tavrel::sdl {

// Encodes the whole image first. A regular file (or none) is written as a new file beside it and
// renamed into place, so that a failed write never leaves a truncated image or spoils an existing
// file; a symbolic link is followed to its target; a pipe or a device is written into as it is.
// Throws PlatformError("Couldn't write <path>: <reason>").
void SavePng(const PixelBuffer& image, const std::string& path);

}
