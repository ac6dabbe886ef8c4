// Key presses from every keyboard of every seat, taken as the compositor sends them.
#pragma once

#include "platform/key_code.h"
#include "platform/wayland/proxy.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace tavrel::wayland {

class Keyboards {
public:
    Keyboards();
    ~Keyboards();
    Keyboards(const Keyboards&) = delete;
    Keyboards& operator=(const Keyboards&) = delete;

    // A seat the compositor announced, bound as `name`; its keyboard is taken whenever it has one.
    void AddSeat(Owned<wl_seat> seat, std::uint32_t name);
    // Whether `name` was a seat; it is gone, with its keyboard.
    bool RemoveSeat(std::uint32_t name);

    // The first press not yet taken. Every press counts, a modifier's or a dead key's as much as a
    // letter's: no compose state or input method stands between the compositor and the window.
    std::optional<PressedKey> TakeKeyPress();

    struct Seat;

private:
    struct ContextUnref {
        void operator()(xkb_context* context) const { xkb_context_unref(context); }
    };

    std::unique_ptr<xkb_context, ContextUnref> m_context;
    std::vector<std::unique_ptr<Seat>> m_seats;
    std::deque<PressedKey> m_presses;
};

}
