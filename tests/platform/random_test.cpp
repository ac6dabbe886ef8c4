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

TEST(RandomGenerator, SeedingFromTheClockChangesTheSequenceUnlessIgnored)
{
    std::set<std::uint32_t> states;
    for (int start = 0; start < 5; ++start) {
        RandomGenerator random;
        random.SeedFromClock();
        states.insert(random.State());
    }
    EXPECT_GE(states.size(), 4u);

    RandomGenerator repeatable(ClockSeeding::Ignored);
    repeatable.SeedFromClock();
    EXPECT_EQ(repeatable.State(), RandomGenerator::kUnseededState);
}

}
}
