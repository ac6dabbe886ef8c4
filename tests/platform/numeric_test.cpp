#include "platform/numeric.h"

#include "platform/failure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavrel {
namespace {

void ExpectFailure(FailureKind kind, auto&& operation)
{
    try {
        operation();
        ADD_FAILURE() << "expected the failure " << FailureMessage(kind);
    } catch (const RuntimeFailure& failure) {
        EXPECT_EQ(failure.Kind(), kind);
        EXPECT_STREQ(failure.what(), FailureMessage(kind));
    }
}

TEST(Conversion, RoundsHalvesToEven)
{
    EXPECT_EQ(ToInt16(0.49), 0);
    EXPECT_EQ(ToInt16(0.5), 0);
    EXPECT_EQ(ToInt16(1.5), 2);
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(-0.5), 0);
    EXPECT_EQ(ToInt16(-1.5), -2);
    EXPECT_EQ(ToInt16(-2.5), -2);
    EXPECT_EQ(ToInt16(2.5000001), 3);
    EXPECT_EQ(ToInt32(170.5), 170);
}

TEST(Conversion, FailsWithOverflowOutsideTheRange)
{
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ToInt16(-32768.5), -32768);
    ExpectFailure(FailureKind::Overflow, [] { ToInt16(32767.5); });
    ExpectFailure(FailureKind::Overflow, [] { ToInt16(-32768.6); });
    ExpectFailure(FailureKind::Overflow, [] { ToInt16(std::nan("")); });
    ExpectFailure(FailureKind::Overflow, [] { ToInt16(std::numeric_limits<double>::infinity()); });
    EXPECT_EQ(ToInt32(2147483647.4), 2147483647);
    ExpectFailure(FailureKind::Overflow, [] { ToInt32(2147483647.5); });
}

TEST(Conversion, IntRoundsTowardsMinusInfinity)
{
    EXPECT_EQ(Int(77.86), 77.0);
    EXPECT_EQ(Int(-0.5), -1.0);
    EXPECT_EQ(Int(3.0), 3.0);
}

TEST(Arithmetic, DivisionByZeroFails)
{
    EXPECT_DOUBLE_EQ(Divide(545.0f, 7.0f), 545.0 / 7.0);
    ExpectFailure(FailureKind::DivisionByZero, [] { Divide(545.0f, 0.0f); });
    ExpectFailure(FailureKind::DivisionByZero, [] { Divide(0.0f, 0.0f); });
}

TEST(Arithmetic, SixteenBitOperationsFailOutsideTheRange)
{
    EXPECT_EQ(Add16(32766, 1), 32767);
    EXPECT_EQ(Subtract16(-32767, 1), -32768);
    EXPECT_EQ(Multiply16(4095, 8), 32760);
    ExpectFailure(FailureKind::Overflow, [] { Add16(32767, 1); });
    ExpectFailure(FailureKind::Overflow, [] { Subtract16(-32768, 1); });
    ExpectFailure(FailureKind::Overflow, [] { Multiply16(4096, 8); });
    EXPECT_FALSE(TryAdd16(32767, 1));
    EXPECT_FALSE(TryMultiply16(-4097, 8));
    EXPECT_EQ(TryMultiply16(-4096, 8), -32768);
}

TEST(Arithmetic, ByteStoresFailOutsideZeroTo255)
{
    EXPECT_EQ(ToByte(255), 255);
    EXPECT_EQ(ToByte(0), 0);
    ExpectFailure(FailureKind::Overflow, [] { ToByte(256); });
    ExpectFailure(FailureKind::Overflow, [] { ToByte(-1); });
    EXPECT_FALSE(TryToByte(-1));
}

}
}
