// The window's pixels in shared memory: two buffers the compositor reads in turn.
#pragma once

#include "platform/wayland/proxy.h"

#include <wayland-client.h>

#include <array>
#include <cstdint>

namespace tavrel::wayland {

class ShmBuffers {
public:
    struct Buffer {
        Owned<wl_buffer> Proxy;
        std::uint32_t* Pixels = nullptr;
        // Between being attached and the compositor's release, it is the compositor's to read.
        bool Held = false;
    };

    // Two buffers of width x height 0x00RRGGBB pixels in one memory file. Throws PlatformError
    // when the memory cannot be had.
    ShmBuffers(wl_shm& shm, int width, int height);
    ~ShmBuffers();
    ShmBuffers(const ShmBuffers&) = delete;
    ShmBuffers& operator=(const ShmBuffers&) = delete;

    // A buffer the compositor is not reading, the one at `preferred` where it is such a one; none
    // while it holds both.
    Buffer* Released(const std::uint32_t* preferred);
    // The buffer whose pixels start at `pixels`, if one does.
    Buffer* BufferAt(const std::uint32_t* pixels);

private:
    static void Release(void* data, wl_buffer*);

    void* m_memory = nullptr;
    std::size_t m_size = 0;
    std::array<Buffer, 2> m_buffers;
};

}
