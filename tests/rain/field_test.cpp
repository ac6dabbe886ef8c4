#include "rain/field.h"

#include "platform/failure.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

FailureKind FailureOf(auto&& operation)
{
    try {
        operation();
    } catch (const RuntimeFailure& failure) {
        return failure.Kind();
    }
    ADD_FAILURE() << "expected a failure";
    return FailureKind::Overflow;
}

TEST(FieldSizing, KeepsEveryWholeCellAndNoPartOne)
{
    EXPECT_EQ(LastCellIndex(7 * 77, 7), 76);       // exactly 77 cells
    EXPECT_EQ(LastCellIndex(7 * 77 - 1, 7), 75);   // one unit less: 76 cells
    EXPECT_EQ(LastCellIndex(545, 7), 76);
    EXPECT_EQ(LastCellIndex(336, 13), 24);
    EXPECT_EQ(LastCellIndex(13, 7), 0);            // between one and two cells
    EXPECT_EQ(LastCellIndex(6, 7), -1);            // less than one cell
    EXPECT_EQ(LastCellIndex(32768, 1), 32767);
}

TEST(FieldSizing, FailsForACellOfZeroOrAGridBeyondSixteenBits)
{
    EXPECT_EQ(FailureOf([] { LastCellIndex(545, 0); }), FailureKind::DivisionByZero);
    EXPECT_EQ(FailureOf([] { LastCellIndex(32769, 1); }), FailureKind::Overflow);
}

TEST(FieldCreation, MakesZeroedArraysOfTheGridsSize)
{
    RainField field;
    field.MaxColumn = 3;
    field.MaxRow = 1;
    CreateField(field);
    EXPECT_EQ(field.Brightness(3, 1), 0);
    EXPECT_EQ(field.DropRow(3), 0);
    EXPECT_EQ(field.GlyphSize(0), 0);
    EXPECT_EQ(FailureOf([&] { field.Brightness(4, 0); }), FailureKind::SubscriptOutOfRange);
    EXPECT_EQ(FailureOf([&] { field.Brightness(0, 2); }), FailureKind::SubscriptOutOfRange);
    EXPECT_EQ(FailureOf([&] { field.DropRow(-1); }), FailureKind::SubscriptOutOfRange);
}

TEST(FieldCreation, FailsForAGridWithoutCells)
{
    RainField narrow;
    narrow.MaxColumn = -1;
    EXPECT_EQ(FailureOf([&] { CreateField(narrow); }), FailureKind::SubscriptOutOfRange);
    RainField flat;
    flat.MaxRow = -1;
    EXPECT_EQ(FailureOf([&] { CreateField(flat); }), FailureKind::SubscriptOutOfRange);
}

RainField FilledField(std::int16_t maxColumn, std::int16_t maxRow)
{
    RainField field;
    field.MaxColumn = maxColumn;
    field.MaxRow = maxRow;
    CreateField(field);
    RandomGenerator random;
    FillField(field, random);
    return field;
}

TEST(FieldFill, DrawsRowThenSizeRoundingToNearestAndSkipsColumnZero)
{
    const RainField field = FilledField(76, 24);
    EXPECT_EQ(field.DropRow(0), 0);
    EXPECT_EQ(field.GlyphSize(0), 0);
    // 0.7055475 * 24 = 16.93 and 0.5334240 * 20 = 10.67: rounded, not truncated.
    EXPECT_EQ(field.DropRow(1), 17);
    EXPECT_EQ(field.GlyphSize(1), 11);
    // 0.5795186 * 24 = 13.91 and 0.2895625 * 20 = 5.79.
    EXPECT_EQ(field.DropRow(2), 14);
    EXPECT_EQ(field.GlyphSize(2), 6);
}

TEST(FieldFill, IsTheSameAtEveryStartAndStaysInRange)
{
    const RainField first = FilledField(200, 50);
    const RainField second = FilledField(200, 50);
    for (int column = 0; column <= 200; ++column) {
        EXPECT_EQ(first.DropRow(column), second.DropRow(column));
        EXPECT_EQ(first.GlyphSize(column), second.GlyphSize(column));
        EXPECT_GE(first.DropRow(column), 0);
        EXPECT_LE(first.DropRow(column), 50);
        EXPECT_GE(first.GlyphSize(column), 0);
        EXPECT_LE(first.GlyphSize(column), 20);
    }
}

TEST(FieldFill, ASingleColumnIsLeftUnfilled)
{
    const RainField field = FilledField(0, 24);
    EXPECT_EQ(field.DropRow(0), 0);
    EXPECT_EQ(field.GlyphSize(0), 0);
}

}
}
