// Saving an off-screen image as a PNG file.
#pragma once

#include "platform/pixel_buffer.h"

#include <string>

namespace tavrel::sdl {

// Throws PlatformError with the reason when the file cannot be written.
void SavePng(const PixelBuffer& image, const std::string& path);

}
