// Keyboards through wl_seat and wl_keyboard; xkbcommon only names the key and the modifiers.
#include "platform/wayland/keyboard.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace tavrel::wayland {

namespace {

struct KeymapUnref {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct StateUnref {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

}

struct Keyboards::Seat {
    Keyboards* Owner = nullptr;
    std::uint32_t Name = 0;
    Owned<wl_seat> Proxy;
    Owned<wl_keyboard> Keyboard;
    std::unique_ptr<xkb_keymap, KeymapUnref> Keymap;
    std::unique_ptr<xkb_state, StateUnref> State;

    static void Capabilities(void* data, wl_seat*, std::uint32_t capabilities);
    static void IgnoreName(void*, wl_seat*, const char*) { }
    static void ReceiveKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size);
    static void Enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) { }
    static void Leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) { }
    static void Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state);
    static void Modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group);
    static void RepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) { }

    PressedKey PressOf(std::uint32_t evdevKey) const;
};

namespace {

const wl_seat_listener kSeatListener { Keyboards::Seat::Capabilities, Keyboards::Seat::IgnoreName };
const wl_keyboard_listener kKeyboardListener { Keyboards::Seat::ReceiveKeymap, Keyboards::Seat::Enter, Keyboards::Seat::Leave, Keyboards::Seat::Key,
    Keyboards::Seat::Modifiers, Keyboards::Seat::RepeatInfo };

// Evdev key codes are X11's less 8.
constexpr xkb_keycode_t kEvdevToXkb = 8;

}

void Keyboards::Seat::Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities)
{
    auto& self = *static_cast<Seat*>(data);
    const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (hasKeyboard && !self.Keyboard) {
        self.Keyboard.reset(wl_seat_get_keyboard(seat));
        wl_keyboard_add_listener(self.Keyboard.get(), &kKeyboardListener, &self);
    } else if (!hasKeyboard && self.Keyboard) {
        self.Keyboard.reset();
        self.State.reset();
        self.Keymap.reset();
    }
}

void Keyboards::Seat::ReceiveKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size)
{
    auto& self = *static_cast<Seat*>(data);
    // A keymap that cannot be read leaves the keys without names: they still end the program.
    self.State.reset();
    self.Keymap.reset();
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0 && self.Owner->m_context) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            self.Keymap.reset(xkb_keymap_new_from_buffer(self.Owner->m_context.get(), static_cast<const char*>(text), strnlen(static_cast<const char*>(text), size),
                XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
            munmap(text, size);
        }
        if (self.Keymap)
            self.State.reset(xkb_state_new(self.Keymap.get()));
    }
    close(fd);
}

PressedKey Keyboards::Seat::PressOf(std::uint32_t evdevKey) const
{
    if (!State)
        return PressedKey {};
    // The key's own symbol in the layout in force, unshifted: Shift+A reports A's code and Shift.
    const xkb_keycode_t key = evdevKey + kEvdevToXkb;
    const xkb_keysym_t* symbols = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(Keymap.get(), key, xkb_state_key_get_layout(State.get(), key), 0, &symbols);
    const auto active = [&](const char* modifier) { return xkb_state_mod_name_is_active(State.get(), modifier, XKB_STATE_MODS_EFFECTIVE) > 0; };
    return PressedKey { count > 0 ? KeyCodeOfSymbol(symbols[0]) : std::int16_t { 0 },
        ShiftStateOf(active(XKB_MOD_NAME_SHIFT), active(XKB_MOD_NAME_CTRL), active(XKB_MOD_NAME_ALT)) };
}

void Keyboards::Seat::Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state)
{
    auto& self = *static_cast<Seat*>(data);
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        self.Owner->m_presses.push_back(self.PressOf(key));
}

void Keyboards::Seat::Modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    auto& self = *static_cast<Seat*>(data);
    if (self.State)
        xkb_state_update_mask(self.State.get(), depressed, latched, locked, 0, 0, group);
}

Keyboards::Keyboards()
    : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
}

Keyboards::~Keyboards() = default;

void Keyboards::AddSeat(Owned<wl_seat> proxy, std::uint32_t name)
{
    auto seat = std::make_unique<Seat>();
    seat->Owner = this;
    seat->Name = name;
    seat->Proxy = std::move(proxy);
    wl_seat_add_listener(seat->Proxy.get(), &kSeatListener, seat.get());
    m_seats.push_back(std::move(seat));
}

bool Keyboards::RemoveSeat(std::uint32_t name)
{
    const auto found = std::find_if(m_seats.begin(), m_seats.end(), [&](const auto& seat) { return seat->Name == name; });
    if (found == m_seats.end())
        return false;
    m_seats.erase(found);
    return true;
}

std::optional<PressedKey> Keyboards::TakeKeyPress()
{
    if (m_presses.empty())
        return std::nullopt;
    const PressedKey press = m_presses.front();
    m_presses.pop_front();
    return press;
}

}
