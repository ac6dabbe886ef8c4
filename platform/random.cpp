// The 24-bit generator and its seeding from the clock.
#include "platform/random.h"

#include <chrono>

namespace tavrel {

namespace {

constexpr std::uint32_t kMultiplier = 1140671485;
constexpr std::uint32_t kIncrement = 12820163;
constexpr float kStateRange = 16777216.0f;

// Spreads the clock's low-order changes over every bit, so starts a moment apart differ widely.
std::uint64_t MixBits(std::uint64_t value)
{
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}

std::uint64_t WallClockNanoseconds()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

float RandomGenerator::NextRandom()
{
    m_state = (m_state * kMultiplier + kIncrement) & kStateMask;
    return static_cast<float>(m_state) / kStateRange;
}

void RandomGenerator::Skip(std::uint64_t count)
{
    // The step x -> a x + c taken n times is again a step x -> A x + C, and taking a step twice
    // squares it: the count's bits choose which squarings make up the whole.
    std::uint32_t multiplier = kMultiplier;
    std::uint32_t increment = kIncrement;
    std::uint32_t wholeMultiplier = 1;
    std::uint32_t wholeIncrement = 0;
    for (; count != 0; count >>= 1) {
        if (count & 1) {
            wholeMultiplier *= multiplier;
            wholeIncrement = wholeIncrement * multiplier + increment;
        }
        increment *= multiplier + 1;
        multiplier *= multiplier;
    }
    m_state = (m_state * wholeMultiplier + wholeIncrement) & kStateMask;
}

void RandomGenerator::SeedFromClock()
{
    if (m_seeding == ClockSeeding::Ignored)
        return;
    SetState(m_state ^ static_cast<std::uint32_t>(MixBits(m_clock())));
}

}
