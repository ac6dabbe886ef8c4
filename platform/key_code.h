// The key code and shift state a key press is reported with, from the keyboard's symbols.
#pragma once

#include <cstdint>

namespace tavrel {

struct PressedKey {
    std::int16_t KeyCode = 0;
    std::int16_t Shift = 0;
};

// The key code of a key whose unshifted symbol is the keysym given (X11's and xkbcommon's
// numbering): letters and digits report their upper-case character codes, other keys 0.
constexpr std::int16_t KeyCodeOfSymbol(std::uint32_t keysym)
{
    if (keysym >= 'a' && keysym <= 'z')
        return static_cast<std::int16_t>('A' + (keysym - 'a'));
    if (keysym >= '0' && keysym <= '9')
        return static_cast<std::int16_t>(keysym);
    return 0;
}

// 1 for Shift, 2 for Ctrl and 4 for Alt.
constexpr std::int16_t ShiftStateOf(bool shift, bool control, bool alt)
{
    return static_cast<std::int16_t>((shift ? 1 : 0) | (control ? 2 : 0) | (alt ? 4 : 0));
}

}
