// PNG output through SDL_image, encoded in memory and written whole.
#include "platform/sdl/png_file.h"

#include "platform/sdl/sdl_handles.h"

#include <SDL2/SDL_image.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrel::sdl {

namespace {

// An SDL stream that grows a byte vector, so the encoder's output can be checked and written at once.
struct MemoryStream {
    std::vector<unsigned char> Bytes;
    std::size_t Position = 0;
};

MemoryStream& StreamOf(SDL_RWops* context) { return *static_cast<MemoryStream*>(context->hidden.unknown.data1); }

Sint64 StreamSize(SDL_RWops* context) { return static_cast<Sint64>(StreamOf(context).Bytes.size()); }

Sint64 StreamSeek(SDL_RWops* context, Sint64 offset, int whence)
{
    MemoryStream& stream = StreamOf(context);
    const Sint64 base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? static_cast<Sint64>(stream.Position) : static_cast<Sint64>(stream.Bytes.size());
    if (base + offset < 0)
        return SDL_SetError("seek before the start of the image");
    stream.Position = static_cast<std::size_t>(base + offset);
    return base + offset;
}

std::size_t StreamWrite(SDL_RWops* context, const void* data, std::size_t size, std::size_t count)
{
    MemoryStream& stream = StreamOf(context);
    const std::size_t length = size * count;
    try {
        if (stream.Bytes.size() < stream.Position + length)
            stream.Bytes.resize(stream.Position + length);
    } catch (const std::bad_alloc&) {
        SDL_SetError("Out of memory");
        return 0;
    }
    std::memcpy(stream.Bytes.data() + stream.Position, data, length);
    stream.Position += length;
    return count;
}

std::size_t StreamRead(SDL_RWops*, void*, std::size_t, std::size_t) { return 0; }
int StreamClose(SDL_RWops* context)
{
    SDL_FreeRW(context);
    return 0;
}

std::vector<unsigned char> EncodePng(const PixelBuffer& image, const std::string& path)
{
    const SurfaceHandle view = ViewOf(image);
    if (!view)
        throw SdlError("Couldn't prepare the image for " + path);
    MemoryStream stream;
    SDL_RWops* output = SDL_AllocRW();
    if (!output)
        throw SdlError("Couldn't write " + path);
    output->size = StreamSize;
    output->seek = StreamSeek;
    output->read = StreamRead;
    output->write = StreamWrite;
    output->close = StreamClose;
    output->hidden.unknown.data1 = &stream;
    if (IMG_SavePNG_RW(view.get(), output, 1) != 0)
        throw PlatformError("Couldn't write " + path + ": " + IMG_GetError());
    return std::move(stream.Bytes);
}

[[noreturn]] void ThrowWriteError(const std::string& path, int error)
{
    throw PlatformError("Couldn't write " + path + ": " + std::strerror(error));
}

// Writes every byte to a new file in the target's directory, then renames it over the target.
void ReplaceFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::string temporary = path + ".XXXXXX";
    const int file = mkstemp(temporary.data());
    if (file < 0)
        ThrowWriteError(path, errno);
    const auto abandon = [&](int error) {
        close(file);
        unlink(temporary.c_str());
        ThrowWriteError(path, error);
    };
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = write(file, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            abandon(count < 0 ? errno : EIO);
        written += static_cast<std::size_t>(count);
    }
    // mkstemp makes the file for its owner alone; an image is as readable as any other new file.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(file, 0666 & ~mask) != 0 || fsync(file) != 0)
        abandon(errno);
    if (close(file) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        ThrowWriteError(path, error);
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        ThrowWriteError(path, error);
    }
}

}

void SavePng(const PixelBuffer& image, const std::string& path) { ReplaceFile(path, EncodePng(image, path)); }

}
