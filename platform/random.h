// The runtime's pseudo-random sequence: a 24-bit linear congruential generator.
#pragma once

#include <cstdint>

namespace tavrel {

// Whether SeedFromClock really reads the clock. Tools and tests that need a repeatable run
// ignore it and set the state themselves.
enum class ClockSeeding { FromClock, Ignored };

// Nanoseconds of the wall clock, which SeedFromClock reads.
using SeedClock = std::uint64_t (*)();
std::uint64_t WallClockNanoseconds();

class RandomGenerator {
public:
    static constexpr std::uint32_t kUnseededState = 0x50000;

    explicit RandomGenerator(ClockSeeding seeding = ClockSeeding::FromClock, SeedClock clock = WallClockNanoseconds)
        : m_seeding(seeding)
        , m_clock(clock)
    {
    }

    // The next number of the sequence, 0 <= x < 1. The state has 24 bits, so x is exact in
    // single precision. Without seeding the sequence is the same at every start.
    float NextRandom();

    // Moves the sequence on by count numbers, as count calls of NextRandom would, in a few steps
    // however large the count.
    void Skip(std::uint64_t count);

    // Mixes the current time into the state, so that two starts draw different sequences.
    void SeedFromClock();

    std::uint32_t State() const { return m_state; }
    void SetState(std::uint32_t state) { m_state = state & kStateMask; }

private:
    static constexpr std::uint32_t kStateMask = 0xFFFFFF;

    ClockSeeding m_seeding;
    SeedClock m_clock;
    std::uint32_t m_state = kUnseededState;
};

}
