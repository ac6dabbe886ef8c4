// Colour values: red, green and blue of 0..255 each.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tavrel {

struct Colour {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;

    friend bool operator==(const Colour&, const Colour&) = default;
};

// Components outside 0..255 are clamped to the nearest end, as colour packing does in the runtime.
constexpr Colour MakeColour(int red, int green, int blue)
{
    const auto component = [](int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); };
    return Colour { component(red), component(green), component(blue) };
}

}
