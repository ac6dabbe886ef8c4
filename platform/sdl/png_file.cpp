// PNG output through SDL_image.
#include "platform/sdl/png_file.h"

#include "platform/sdl/sdl_handles.h"

#include <SDL2/SDL_image.h>

namespace tavrel::sdl {

void SavePng(const PixelBuffer& image, const std::string& path)
{
    const SurfaceHandle view = ViewOf(image);
    if (!view)
        throw SdlError("Couldn't prepare the image for " + path);
    if (IMG_SavePNG(view.get(), path.c_str()) != 0)
        throw PlatformError("Couldn't write " + path + ": " + IMG_GetError());
}

}
