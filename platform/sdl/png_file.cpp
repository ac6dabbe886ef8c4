// PNG output through SDL_image.
#include "platform/sdl/png_file.h"

#include "platform/sdl/sdl_handles.h"

#include <SDL2/SDL_image.h>

namespace tavrel::sdl {

void SavePng(const PixelBuffer& image, const std::string& path)
{
    SurfaceHandle view(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image.Data()), image.Width(), image.Height(), 32, image.Width() * 4, SDL_PIXELFORMAT_XRGB8888));
    if (!view)
        throw SdlError("Couldn't prepare the image for " + path);
    if (IMG_SavePNG(view.get(), path.c_str()) != 0)
        throw PlatformError("Couldn't write " + path + ": " + IMG_GetError());
}

}
