// The floor of showing a frame on Wayland: the program's window (the same toplevel, scale and
// shared-memory buffers) whose released buffer is cleared and shown 64 times a second, and
// nothing else. Any key ends it. Usage: tavrel_wayland_floor
#include "platform/display_scale.h"
#include "platform/timer.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/shm_buffers.h"
#include "platform/wayland/toplevel.h"

#include <algorithm>
#include <cstdio>
#include <exception>

using namespace tavrel;
using namespace tavrel::wayland;

int main()
{
    try {
        std::string whyNot;
        const auto connection = Connection::Open(whyNot);
        if (!connection) {
            std::fprintf(stderr, "tavrel_wayland_floor: %s\n", whyNot.c_str());
            return 1;
        }
        connection->Bind();
        Toplevel window(*connection, "Form1", "tavrel", TwipsToPixels(8175, kStandardDotsPerInch), TwipsToPixels(5040, kStandardDotsPerInch));
        window.AwaitFirstConfigure();
        // The scale of the output it will be on, as the program has it once shown.
        const BufferLayout layout = LayoutFor(window.LogicalWidth(), window.LogicalHeight(), window.ScaleToDrawAt(), connection->Viewporter() != nullptr);
        window.UseLayout(layout);
        ShmBuffers buffers(connection->Shm(), layout.PixelWidth, layout.PixelHeight);
        const std::size_t pixels = static_cast<std::size_t>(layout.PixelWidth) * static_cast<std::size_t>(layout.PixelHeight);
        SteadyClock clock;
        // The same 1/64 s grid as the program's timers, without catching up.
        constexpr Microseconds kPeriod = 15625;
        Microseconds due = clock.Now();
        while (!window.CloseRequested() && !connection->TakeKeyPress()) {
            const Microseconds now = clock.Now();
            if (now < due) {
                connection->Wait(due - now);
                connection->Dispatch();
                window.AnswerConfigure();
                continue;
            }
            due += ((now - due) / kPeriod + 1) * kPeriod;
            if (ShmBuffers::Buffer* buffer = buffers.Released(nullptr)) {
                std::fill_n(buffer->Pixels, pixels, 0u);
                window.Show(*buffer->Proxy, now);
                buffer->Held = true;
            }
        }
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tavrel_wayland_floor: %s\n", failure.what());
        return 1;
    }
}
