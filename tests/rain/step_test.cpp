#include "rain/step.h"

#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrel {
namespace {

RainField MakeField(std::int16_t maxColumn, std::int16_t maxRow)
{
    RainField field;
    field.MaxColumn = maxColumn;
    field.MaxRow = maxRow;
    CreateField(field);
    return field;
}

// The column the next step restarts, found on a copy of the generator.
std::int16_t NextRestartedColumn(const RandomGenerator& random, std::int16_t maxColumn)
{
    RandomGenerator probe = random;
    return ToInt16(ProductInDouble(probe.NextRandom(), maxColumn));
}

// A column the next step does not restart, other than `besides`.
int OtherColumn(const RandomGenerator& random, std::int16_t maxColumn, int besides = -1)
{
    const int restarted = NextRestartedColumn(random, maxColumn);
    for (int column = 0;; ++column) {
        if (column != restarted && column != besides)
            return column;
    }
}

// The step as its rules read, with the trail loop over every k from 0 to D and the two checks
// that skip a store; kept plain so that it can vouch for the optimised step.
void ReferenceStep(RainField& field, RandomGenerator& random)
{
    const int restarted = static_cast<int>(RoundHalfToEven(static_cast<double>(random.NextRandom()) * field.MaxColumn));
    field.GlyphSize(restarted) = 20;
    field.DropRow(restarted) = 0;
    for (int column = 0; column <= field.MaxColumn; ++column) {
        field.DropRow(column) = static_cast<std::int16_t>(field.DropRow(column) + 1);
        field.GlyphSize(column) = static_cast<std::int16_t>(field.GlyphSize(column) - 1);
        if (field.GlyphSize(column) <= 8)
            field.GlyphSize(column) = 20;
        if (field.DropRow(column) >= field.MaxRow + 50) {
            field.DropRow(column) = 0;
            field.GlyphSize(column) = 20;
        }
        const int head = field.DropRow(column);
        for (int k = 0; k <= head; ++k) {
            const int value = 255 - 8 * k;
            if (head - k <= field.MaxRow && value >= 0)
                field.Brightness(column, head - k) = static_cast<std::uint8_t>(value);
        }
    }
}

void ExpectSameField(const RainField& actual, const RainField& expected)
{
    for (int column = 0; column <= expected.MaxColumn; ++column) {
        ASSERT_EQ(actual.DropRow(column), expected.DropRow(column)) << "column " << column;
        ASSERT_EQ(actual.GlyphSize(column), expected.GlyphSize(column)) << "column " << column;
        for (int row = 0; row <= expected.MaxRow; ++row)
            ASSERT_EQ(actual.Brightness(column, row), expected.Brightness(column, row)) << "cell " << column << "," << row;
    }
}

TEST(RainStep, ASingleColumnRestartsAtEveryStep)
{
    RainField field = MakeField(0, 24);
    RandomGenerator random;
    for (int step = 0; step < 100; ++step) {
        StepRain(field, random);
        ASSERT_EQ(field.DropRow(0), 1);
        ASSERT_EQ(field.GlyphSize(0), 19);
        ASSERT_EQ(field.Brightness(0, 0), 247);
        ASSERT_EQ(field.Brightness(0, 1), 255);
    }
}

TEST(RainStep, TheRestartedColumnEndsTheStepOnRowOneAtNineteenPoints)
{
    RainField field = MakeField(10, 24);
    RandomGenerator random;
    const std::int16_t restarted = NextRestartedColumn(random, 10);
    field.DropRow(restarted) = 20;
    field.GlyphSize(restarted) = 9;
    StepRain(field, random);
    EXPECT_EQ(field.DropRow(restarted), 1);
    EXPECT_EQ(field.GlyphSize(restarted), 19);
}

TEST(RainStep, GlyphSizesCountDownAndJumpBackToTwenty)
{
    RainField field = MakeField(10, 24);
    RandomGenerator random;
    const int column = OtherColumn(random, 10);
    const int neighbour = OtherColumn(random, 10, column);
    field.GlyphSize(column) = 9;
    field.GlyphSize(neighbour) = 0;
    StepRain(field, random);
    EXPECT_EQ(field.GlyphSize(column), 20);
    EXPECT_EQ(field.GlyphSize(neighbour), 20);

    // Left alone, a size runs 20, 19, ..., 9 and then 20 again: a cycle of 12 steps.
    RainField wide = MakeField(1000, 200);
    RandomGenerator probe = random;
    std::vector<bool> restartedSoon(1001, false);
    for (int step = 0; step < 13; ++step)
        restartedSoon[static_cast<std::size_t>(ToInt16(ProductInDouble(probe.NextRandom(), 1000)))] = true;
    const int quiet = 500 + (restartedSoon[500] ? 1 : 0);
    ASSERT_FALSE(restartedSoon[static_cast<std::size_t>(quiet)]);
    wide.GlyphSize(quiet) = 20;
    std::vector<int> sizes;
    for (int step = 0; step < 13; ++step) {
        StepRain(wide, random);
        sizes.push_back(wide.GlyphSize(quiet));
    }
    EXPECT_EQ(sizes, (std::vector<int> { 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 20, 19 }));
}

TEST(RainStep, ADropAtTheOverrunStartsAgainWithOnlyRowZeroWritten)
{
    RainField field = MakeField(10, 24);
    RandomGenerator random;
    const int column = OtherColumn(random, 10);
    field.DropRow(column) = 24 + 49;
    field.GlyphSize(column) = 15;
    StepRain(field, random);
    EXPECT_EQ(field.DropRow(column), 0);
    EXPECT_EQ(field.GlyphSize(column), 20);
    EXPECT_EQ(field.Brightness(column, 0), 255);
    for (int row = 1; row <= 24; ++row)
        EXPECT_EQ(field.Brightness(column, row), 0) << "row " << row;
}

TEST(RainStep, ATrailIsWrittenAboveTheHeadOnlyAndNothingElseChanges)
{
    RainField field = MakeField(10, 100);
    RandomGenerator random;
    const int column = OtherColumn(random, 10);
    for (int row = 0; row <= 100; ++row)
        field.Brightness(column, row) = 1;
    field.DropRow(column) = 40;
    StepRain(field, random);
    EXPECT_EQ(field.DropRow(column), 41);
    for (int row = 0; row <= 9; ++row)
        EXPECT_EQ(field.Brightness(column, row), 1) << "row " << row;
    for (int k = 0; k <= 31; ++k)
        EXPECT_EQ(field.Brightness(column, 41 - k), 255 - 8 * k) << "row " << 41 - k;
    for (int row = 42; row <= 100; ++row)
        EXPECT_EQ(field.Brightness(column, row), 1) << "row " << row;
}

TEST(RainStep, TrailsAreCutAtRowZeroAndAtTheLastRow)
{
    std::vector<std::uint8_t> rows(50, 1);
    WriteTrail(rows, 5); // D < 31: rows 5 down to 0, D + 1 cells
    EXPECT_EQ(rows[0], 255 - 8 * 5);
    EXPECT_EQ(rows[5], 255);
    EXPECT_EQ(rows[6], 1);

    std::vector<std::uint8_t> bottom(10, 1);
    WriteTrail(bottom, 12); // head below the grid: rows 9..0 take k = 3..12
    EXPECT_EQ(bottom[9], 255 - 8 * 3);
    EXPECT_EQ(bottom[0], 255 - 8 * 12);

    std::vector<std::uint8_t> gone(10, 1);
    WriteTrail(gone, 9 + 32); // the whole trail has run out below the grid
    EXPECT_EQ(gone, std::vector<std::uint8_t>(10, 1));
}

TEST(RainStep, MatchesTheFullLoopStepOverManySteps)
{
    for (const auto& [maxColumn, maxRow] : std::vector<std::pair<std::int16_t, std::int16_t>> { { 76, 24 }, { 0, 0 }, { 3, 0 }, { 0, 40 }, { 30, 2 }, { 5, 120 } }) {
        RainField optimised = MakeField(maxColumn, maxRow);
        RandomGenerator fill;
        FillField(optimised, fill);
        RainField reference = optimised;
        RandomGenerator randomA(ClockSeeding::Ignored), randomB(ClockSeeding::Ignored);
        randomA.SetState(4242);
        randomB.SetState(4242);
        for (int step = 0; step < 400; ++step) {
            StepRain(optimised, randomA);
            ReferenceStep(reference, randomB);
        }
        SCOPED_TRACE(testing::Message() << "grid " << maxColumn << "x" << maxRow);
        ExpectSameField(optimised, reference);
    }
}

TEST(RainStep, KeepsEveryValueInItsDomain)
{
    for (const auto& [maxColumn, maxRow] : std::vector<std::pair<std::int16_t, std::int16_t>> { { 76, 24 }, { 1, 1 }, { 200, 3 }, { 2, 300 } }) {
        RainField field = MakeField(maxColumn, maxRow);
        RandomGenerator random;
        FillField(field, random);
        for (int step = 0; step < 2000; ++step) {
            StepRain(field, random);
            for (int column = 0; column <= maxColumn; ++column) {
                ASSERT_GE(field.DropRow(column), 0);
                ASSERT_LE(field.DropRow(column), maxRow + 49);
                ASSERT_GE(field.GlyphSize(column), 9);
                ASSERT_LE(field.GlyphSize(column), 20);
                for (const std::uint8_t value : field.Brightness.Column(column))
                    ASSERT_TRUE(value == 0 || (value % 8 == 7 && value >= 7)) << int { value };
            }
        }
    }
}

TEST(RainStep, GridsTallerThanTheCountsAllowStopTheirDropsInsteadOfFailing)
{
    RainField field = MakeField(1, 32760);
    RandomGenerator random;
    const int column = OtherColumn(random, 1);
    field.DropRow(column) = 32767;
    StepRain(field, random);
    EXPECT_EQ(field.DropRow(column), 32767);
}

}
}
