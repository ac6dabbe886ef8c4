#include "platform/random.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrel {
namespace {

TEST(RandomGenerator, UnseededSequenceIsTheKnownOne)
{
    RandomGenerator random;
    EXPECT_FLOAT_EQ(random.NextRandom(), 0.7055475f);
    EXPECT_FLOAT_EQ(random.NextRandom(), 0.5334240f);
    EXPECT_FLOAT_EQ(random.NextRandom(), 0.5795186f);
    EXPECT_FLOAT_EQ(random.NextRandom(), 0.2895625f);
    EXPECT_FLOAT_EQ(random.NextRandom(), 0.3019480f);
}

TEST(RandomGenerator, NumbersAreExactTwentyFourBitFractionsBelowOne)
{
    RandomGenerator random;
    random.SetState(0xFFFFFF);
    for (int draw = 0; draw < 100000; ++draw) {
        const float value = random.NextRandom();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        ASSERT_EQ(static_cast<double>(value) * 16777216.0, static_cast<double>(random.State()));
    }
}

// Passing over a frame that cannot be seen moves the generator on by its count of numbers at once.
TEST(RandomGenerator, SkippingACountIsDrawingThatManyNumbers)
{
    for (const std::uint64_t count : { 0ull, 1ull, 2ull, 3ull, 879ull, 1000ull, 123457ull }) {
        RandomGenerator drawn;
        RandomGenerator skipped;
        drawn.SetState(0xABCDEF);
        skipped.SetState(0xABCDEF);
        for (std::uint64_t draw = 0; draw < count; ++draw)
            drawn.NextRandom();
        skipped.Skip(count);
        EXPECT_EQ(skipped.State(), drawn.State()) << count;
    }
    // The sequence's period is the whole state range: skipping it comes back to the start.
    RandomGenerator random;
    random.Skip(std::uint64_t { 1 } << 24);
    EXPECT_EQ(random.State(), RandomGenerator::kUnseededState);
}

std::uint64_t g_fakeNanoseconds = 0;
std::uint64_t FakeClock() { return g_fakeNanoseconds; }

TEST(RandomGenerator, SeedingFromTheClockChangesTheSequenceUnlessIgnored)
{
    // Starts a nanosecond apart, or a whole second, all draw different sequences.
    std::set<std::uint32_t> states;
    for (const std::uint64_t now : { 1'700'000'000'000'000'000ull, 1'700'000'000'000'000'001ull, 1'700'000'000'000'000'002ull, 1'700'000'001'000'000'000ull, 0ull }) {
        g_fakeNanoseconds = now;
        RandomGenerator random(ClockSeeding::FromClock, FakeClock);
        random.SeedFromClock();
        states.insert(random.State());
    }
    EXPECT_EQ(states.size(), 5u);

    RandomGenerator repeatable(ClockSeeding::Ignored);
    repeatable.SeedFromClock();
    EXPECT_EQ(repeatable.State(), RandomGenerator::kUnseededState);
}

}
}
