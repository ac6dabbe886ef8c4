// Owners of SDL and SDL_ttf resources.
#pragma once

#include "platform/failure.h"
#include "platform/raster/pixel_buffer.h"
#include "platform/sdl/library_error.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <memory>
#include <string>

namespace tavrel::sdl {

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
struct FontDeleter {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};

using WindowHandle = std::unique_ptr<SDL_Window, WindowDeleter>;
using SurfaceHandle = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
using FontHandle = std::unique_ptr<TTF_Font, FontDeleter>;

// "<what>: <SDL's reason>"
inline PlatformError SdlError(const std::string& what) { return LibraryError(what, SDL_GetError()); }

// The off-screen image in SDL's terms, sharing its pixels, so that copying or saving it is one call.
// Null when SDL refuses; SDL_GetError says why.
inline SurfaceHandle ViewOf(const PixelBuffer& image)
{
    return SurfaceHandle(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(image.Data()), image.Width(), image.Height(), 32, image.Width() * 4, SDL_PIXELFORMAT_XRGB8888));
}

// SDL_ttf with nothing else of SDL started, for off-screen drawing; released on destruction.
class TtfLibrary {
public:
    TtfLibrary()
    {
        if (TTF_Init() != 0)
            throw SdlError("Couldn't start the font engine");
    }
    ~TtfLibrary() { TTF_Quit(); }
    TtfLibrary(const TtfLibrary&) = delete;
    TtfLibrary& operator=(const TtfLibrary&) = delete;
};

}
