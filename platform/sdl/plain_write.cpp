// A whole file's bytes written as a shell's redirection would write them.
#include "platform/sdl/plain_write.h"

#include "platform/sdl/library_error.h"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrel::sdl {

namespace {

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw PlatformError("Couldn't write " + path + ": " + std::strerror(error));
}

class Descriptor {
public:
    explicit Descriptor(int file)
        : m_file(file)
    {
    }
    ~Descriptor()
    {
        if (m_file >= 0)
            close(m_file);
    }
    Descriptor(Descriptor&& other) noexcept
        : m_file(std::exchange(other.m_file, -1))
    {
    }
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(m_file, other.m_file);
        return *this;
    }

    int Get() const { return m_file; }
    bool IsOpen() const { return m_file >= 0; }

    // Returns 0, or the errno of a close that failed: a network file system may only report a
    // failed write there.
    int Close()
    {
        const int file = m_file;
        m_file = -1;
        return close(file) == 0 ? 0 : errno;
    }

private:
    int m_file;
};

// The name of a file not yet whole, removed if a signal ends the process meanwhile. Kept in
// static storage, since a signal handler may only make async-signal-safe calls.
constexpr std::array kInterruptingSignals { SIGINT, SIGTERM, SIGHUP, SIGQUIT };
std::array<struct sigaction, kInterruptingSignals.size()> g_previousActions {};
int g_unfinishedFolder = AT_FDCWD;
char g_unfinishedName[PATH_MAX] = "";

void RemoveUnfinishedAndEnd(int signal)
{
    unlinkat(g_unfinishedFolder, g_unfinishedName, 0);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

class RemovedIfInterrupted {
public:
    RemovedIfInterrupted(int folder, const std::string& name)
    {
        g_unfinishedFolder = folder;
        std::snprintf(g_unfinishedName, sizeof g_unfinishedName, "%s", name.c_str());
        struct sigaction action {};
        action.sa_handler = RemoveUnfinishedAndEnd;
        sigfillset(&action.sa_mask);
        for (std::size_t index = 0; index < kInterruptingSignals.size(); ++index) {
            sigaction(kInterruptingSignals[index], nullptr, &g_previousActions[index]);
            // A signal the process ignores (SIGINT in a background job) cannot interrupt it.
            if (g_previousActions[index].sa_handler != SIG_IGN)
                sigaction(kInterruptingSignals[index], &action, nullptr);
        }
    }
    ~RemovedIfInterrupted()
    {
        for (std::size_t index = 0; index < kInterruptingSignals.size(); ++index)
            sigaction(kInterruptingSignals[index], &g_previousActions[index], nullptr);
    }
    RemovedIfInterrupted(const RemovedIfInterrupted&) = delete;
    RemovedIfInterrupted& operator=(const RemovedIfInterrupted&) = delete;
};

// Returns 0, or the errno of the write that failed. From the descriptor's offset, or from the
// file's start where fromStart says so.
int WriteAll(int file, const std::vector<unsigned char>& bytes, bool fromStart = false)
{
    for (std::size_t written = 0; written < bytes.size();) {
        const std::size_t left = bytes.size() - written;
        const ssize_t count = fromStart ? pwrite(file, bytes.data() + written, left, static_cast<off_t>(written))
                                        : write(file, bytes.data() + written, left);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? errno : EIO;
        written += static_cast<std::size_t>(count);
    }
    return 0;
}

bool SameFile(const struct stat& one, const struct stat& other) { return one.st_dev == other.st_dev && one.st_ino == other.st_ino; }

// The open that "> NAME" makes, without its truncation, and whether it made the file: a new
// name is made exclusively, so that it is known to be this write's own.
Descriptor OpenAsShellWould(const std::string& path, bool& created)
{
    constexpr int kFlags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY;
    Descriptor file(open(path.c_str(), kFlags | O_EXCL, 0666));
    created = file.IsOpen();
    if (!created && errno != EEXIST)
        Fail(path, errno);
    // An existing name, or a link to a name not yet there, which the kernel follows as it judges.
    if (!created)
        file = Descriptor(open(path.c_str(), kFlags, 0666));
    if (!file.IsOpen())
        Fail(path, errno);
    return file;
}

// Closes the file; returns the first of the write's error and the close's, or 0.
int Closed(Descriptor& file, int error)
{
    const int closed = file.Close();
    return error != 0 ? error : closed;
}

void Finish(Descriptor& file, int error, const std::string& path)
{
    error = Closed(file, error);
    if (error != 0)
        Fail(path, error);
}

// Whether the process holds the file as its standard input, output or error: "--png
// /dev/stdout" with the output redirected to a file must write into that file, not replace it.
bool IsStandardStream(const struct stat& facts)
{
    for (int stream = 0; stream <= 2; ++stream) {
        struct stat streamFacts {};
        if (fstat(stream, &streamFacts) == 0 && SameFile(streamFacts, facts))
            return true;
    }
    return false;
}

// The folder and the name of the file the kernel opened, whatever links led there.
bool ResolvedLocation(int file, std::string& folder, std::string& name)
{
    char descriptorPath[32];
    std::snprintf(descriptorPath, sizeof descriptorPath, "/proc/self/fd/%d", file);
    std::array<char, PATH_MAX + 1> resolved {};
    const ssize_t length = readlink(descriptorPath, resolved.data(), PATH_MAX);
    if (length <= 0 || resolved[0] != '/')
        return false;
    const std::string path(resolved.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    folder = slash == 0 ? "/" : path.substr(0, slash);
    name = path.substr(slash + 1);
    return !name.empty();
}

// A new file in the folder, named short enough beside any name the folder can hold and marked
// as temporary.
Descriptor MakeTemporaryFile(int folder, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned int random = 0;
        if (getrandom(&random, sizeof random, 0) != sizeof random)
            random = static_cast<unsigned int>(getpid()) * 2654435761U + static_cast<unsigned int>(attempt);
        char candidate[32];
        std::snprintf(candidate, sizeof candidate, ".tavrel-%08x.tmp", random);
        Descriptor file(openat(folder, candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file.IsOpen() || errno != EEXIST) {
            name = candidate;
            return file;
        }
    }
    return Descriptor(-1);
}

// Replaces the file by a new one written whole beside it, which takes its mode, owner and group
// first. Returns false, with nothing changed, where the replacement could not keep what the file
// is or where it is.
bool ReplaceBeside(int target, const struct stat& facts, const std::vector<unsigned char>& bytes, const std::string& path)
{
    std::string folderPath, name;
    if (facts.st_nlink != 1 || IsStandardStream(facts) || !ResolvedLocation(target, folderPath, name))
        return false;
    Descriptor folder(open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat named {};
    if (!folder.IsOpen() || fstatat(folder.Get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(named, facts))
        return false;
    std::string temporaryName;
    Descriptor temporary = MakeTemporaryFile(folder.Get(), temporaryName);
    if (!temporary.IsOpen())
        return false;
    const RemovedIfInterrupted removal(folder.Get(), temporaryName);
    const auto discard = [&] { unlinkat(folder.Get(), temporaryName.c_str(), 0); };
    struct stat made {};
    const bool sameOwner = fstat(temporary.Get(), &made) == 0 && made.st_uid == facts.st_uid && made.st_gid == facts.st_gid;
    if (!sameOwner && fchown(temporary.Get(), facts.st_uid, facts.st_gid) != 0) {
        discard();
        return false;
    }
    int error = fchmod(temporary.Get(), facts.st_mode & 07777) == 0 ? 0 : errno;
    if (error == 0)
        error = WriteAll(temporary.Get(), bytes);
    if (error == 0 && fsync(temporary.Get()) != 0)
        error = errno;
    error = Closed(temporary, error);
    if (error == 0 && renameat(folder.Get(), temporaryName.c_str(), folder.Get(), name.c_str()) != 0)
        error = errno;
    if (error != 0) {
        discard();
        Fail(path, error);
    }
    return true;
}

// Room for the whole image is reserved before the first byte, so that a full disk fails while
// the old content is still whole.
void WriteInPlace(Descriptor& file, const std::vector<unsigned char>& bytes, const std::string& path)
{
    const off_t size = static_cast<off_t>(bytes.size());
    if (size > 0 && fallocate(file.Get(), 0, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
        Fail(path, errno);
    int error = WriteAll(file.Get(), bytes, true);
    if (error == 0 && ftruncate(file.Get(), size) != 0)
        error = errno;
    Finish(file, error, path);
}

// A file this write made is removed again if it cannot be made whole.
void WriteNewFile(Descriptor& file, const struct stat& facts, const std::vector<unsigned char>& bytes, const std::string& path)
{
    const RemovedIfInterrupted removal(AT_FDCWD, path);
    const int error = Closed(file, WriteAll(file.Get(), bytes));
    if (error != 0) {
        struct stat named {};
        if (lstat(path.c_str(), &named) == 0 && SameFile(named, facts))
            unlink(path.c_str());
        Fail(path, error);
    }
}

}

void WriteFileAsShellWould(const std::string& path, const std::vector<unsigned char>& bytes)
{
    bool created = false;
    Descriptor file = OpenAsShellWould(path, created);
    struct stat facts {};
    if (fstat(file.Get(), &facts) != 0)
        Fail(path, errno);
    if (S_ISBLK(facts.st_mode))
        throw PlatformError("Couldn't write " + path + ": it is a block device, whose first sectors an image would overwrite");
    if (S_ISDIR(facts.st_mode))
        Fail(path, EISDIR);
    if (!S_ISREG(facts.st_mode))
        Finish(file, WriteAll(file.Get(), bytes), path);
    else if (created)
        WriteNewFile(file, facts, bytes, path);
    else if (!ReplaceBeside(file.Get(), facts, bytes, path))
        WriteInPlace(file, bytes, path);
}

}
