// PNG output through SDL_image, encoded in memory and written whole.
#include "platform/sdl/png_file.h"

#include "platform/sdl/sdl_handles.h"

#include <SDL2/SDL_image.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
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

// The file a path names once its symbolic links are followed, whether that file exists or not.
std::string FollowLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat facts {};
        if (lstat(current.c_str(), &facts) != 0 || !S_ISLNK(facts.st_mode))
            return current;
        std::vector<char> target(static_cast<std::size_t>(facts.st_size > 0 ? facts.st_size : PATH_MAX) + 1);
        const ssize_t length = readlink(current.c_str(), target.data(), target.size() - 1);
        if (length < 0)
            ThrowWriteError(path, errno);
        const std::string link(target.data(), static_cast<std::size_t>(length));
        const std::size_t slash = current.rfind('/');
        current = link.starts_with('/') || slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
    }
    ThrowWriteError(path, ELOOP);
}

// Returns 0, or the errno of the write that failed.
int WriteAll(int file, const std::vector<unsigned char>& bytes)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = write(file, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? errno : EIO;
        written += static_cast<std::size_t>(count);
    }
    return 0;
}

// A pipe or a device takes the bytes as they are: renaming over it would put a plain file in
// place of a system's device node, and leave a pipe's reader with nothing.
void WriteInto(const std::string& target, const std::vector<unsigned char>& bytes, const std::string& path)
{
    const int file = open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (file < 0)
        ThrowWriteError(path, errno);
    int error = WriteAll(file, bytes);
    if (close(file) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ThrowWriteError(path, error);
}

// Writes every byte to a new file in the target's directory, then renames it over the target.
void ReplaceFile(const std::string& target, const std::vector<unsigned char>& bytes, const std::string& path)
{
    std::string temporary = target + ".XXXXXX";
    const int file = mkstemp(temporary.data());
    if (file < 0)
        ThrowWriteError(path, errno);
    int error = WriteAll(file, bytes);
    // mkstemp makes the file for its owner alone; an image is as readable as any other new file.
    const mode_t mask = umask(0);
    umask(mask);
    if (error == 0 && (fchmod(file, 0666 & ~mask) != 0 || fsync(file) != 0))
        error = errno;
    if (close(file) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        ThrowWriteError(path, error);
    }
}

}

void SavePng(const PixelBuffer& image, const std::string& path)
{
    const std::vector<unsigned char> bytes = EncodePng(image, path);
    const std::string target = FollowLinks(path);
    struct stat facts {};
    if (stat(target.c_str(), &facts) == 0 && !S_ISREG(facts.st_mode))
        WriteInto(target, bytes, path);
    else
        ReplaceFile(target, bytes, path);
}

}
