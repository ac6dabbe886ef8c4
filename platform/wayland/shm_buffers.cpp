// Shared memory from a sealed memory file, offered to the compositor as one pool.
#include "platform/wayland/shm_buffers.h"

#include "platform/failure.h"
#include "platform/sdl/library_error.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace tavrel::wayland {

namespace {

struct FileCloser {
    int Descriptor;
    ~FileCloser() { close(Descriptor); }
};

}

ShmBuffers::ShmBuffers(wl_shm& shm, int width, int height)
{
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    const std::size_t bufferSize = stride * static_cast<std::size_t>(height);
    m_size = bufferSize * m_buffers.size();
    if (width <= 0 || height <= 0 || m_size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw RuntimeFailure(FailureKind::OutOfMemory);
    const auto failure = [](const char* what) { return sdl::LibraryError(std::string("Couldn't make the window's pixels: ") + what, std::strerror(errno)); };
    const int descriptor = memfd_create("tavrel-window", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (descriptor < 0)
        throw failure("memfd_create");
    const FileCloser closer { descriptor };
    // posix_fallocate rather than ftruncate: a tmpfs that is full says so now, not with SIGBUS
    // at the first frame.
    if (ftruncate(descriptor, static_cast<off_t>(m_size)) != 0 || (errno = posix_fallocate(descriptor, 0, static_cast<off_t>(m_size))) != 0)
        throw failure("the memory file");
    // The compositor maps the file too: sealed, it cannot be shrunk under either of us.
    fcntl(descriptor, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL);
    m_memory = mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (m_memory == MAP_FAILED) {
        m_memory = nullptr;
        throw failure("mmap");
    }
    const Owned<wl_shm_pool> pool(wl_shm_create_pool(&shm, descriptor, static_cast<std::int32_t>(m_size)));
    static const wl_buffer_listener listener { Release };
    for (std::size_t index = 0; index < m_buffers.size(); ++index) {
        Buffer& buffer = m_buffers[index];
        buffer.Pixels = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(m_memory) + index * bufferSize);
        buffer.Proxy.reset(wl_shm_pool_create_buffer(pool.get(), static_cast<std::int32_t>(index * bufferSize), width, height, static_cast<std::int32_t>(stride), WL_SHM_FORMAT_XRGB8888));
        wl_buffer_add_listener(buffer.Proxy.get(), &listener, &buffer);
    }
}

ShmBuffers::~ShmBuffers()
{
    for (Buffer& buffer : m_buffers)
        buffer.Proxy.reset();
    if (m_memory)
        munmap(m_memory, m_size);
}

void ShmBuffers::Release(void* data, wl_buffer*) { static_cast<Buffer*>(data)->Held = false; }

ShmBuffers::Buffer* ShmBuffers::Released(const std::uint32_t* preferred)
{
    if (Buffer* buffer = BufferAt(preferred); buffer && !buffer->Held)
        return buffer;
    for (Buffer& buffer : m_buffers) {
        if (!buffer.Held)
            return &buffer;
    }
    return nullptr;
}

ShmBuffers::Buffer* ShmBuffers::BufferAt(const std::uint32_t* pixels)
{
    for (Buffer& buffer : m_buffers) {
        if (pixels && buffer.Pixels == pixels)
            return &buffer;
    }
    return nullptr;
}

}
