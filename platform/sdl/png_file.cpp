// PNG output through SDL_image, encoded in memory and written whole.
#include "platform/sdl/png_file.h"

#include "platform/sdl/plain_write.h"
#include "platform/sdl/sdl_handles.h"

#include <SDL2/SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tavrel::sdl {

namespace {

[[noreturn]] void ThrowWriteError(const std::string& path, int error)
{
    throw PlatformError("Couldn't write " + path + ": " + std::strerror(error));
}

// Encoded into a stdio stream in memory, so that the encoder's output is complete before a byte
// of the file is written.
std::vector<unsigned char> EncodePng(const PixelBuffer& image, const std::string& path)
{
    const SurfaceHandle view = ViewOf(image);
    if (!view)
        throw SdlError("Couldn't prepare the image for " + path);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&buffer, &size);
    if (!memory)
        ThrowWriteError(path, errno);
    SDL_RWops* output = SDL_RWFromFP(memory, SDL_FALSE);
    const bool encoded = output && IMG_SavePNG_RW(view.get(), output, 1) == 0 && !std::ferror(memory);
    const std::string reason = IMG_GetError();
    const bool closed = std::fclose(memory) == 0;
    const std::unique_ptr<char, decltype(&std::free)> bytes(buffer, &std::free);
    if (!encoded || !closed)
        throw PlatformError("Couldn't write " + path + ": " + (reason.empty() ? "the image could not be encoded" : reason));
    return std::vector<unsigned char>(bytes.get(), bytes.get() + size);
}

}

void SavePng(const PixelBuffer& image, const std::string& path)
{
    WriteFileAsShellWould(path, EncodePng(image, path));
}

}
