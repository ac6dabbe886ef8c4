// Conversions and checked arithmetic with the runtime's rounding and overflow rules.
#include "platform/numeric.h"

#include "platform/failure.h"

#include <cmath>
#include <limits>

namespace tavrel {

namespace {

template<typename Integer>
Integer ConvertChecked(double value)
{
    const double rounded = RoundHalfToEven(value);
    // NaN fails both comparisons, so it is refused with the out-of-range values.
    if (!(rounded >= std::numeric_limits<Integer>::min() && rounded <= std::numeric_limits<Integer>::max()))
        throw RuntimeFailure(FailureKind::Overflow);
    return static_cast<Integer>(rounded);
}

std::int16_t OrOverflow(std::optional<std::int16_t> result)
{
    if (!result)
        throw RuntimeFailure(FailureKind::Overflow);
    return *result;
}

}

// The program never leaves the default rounding mode, to nearest with halves to even, in which
// nearbyint rounds (the x87's frndint in the i686 build alike).
double RoundHalfToEven(double value) { return std::nearbyint(value); }

std::int16_t ToInt16(double value) { return ConvertChecked<std::int16_t>(value); }

std::int32_t ToInt32(double value) { return ConvertChecked<std::int32_t>(value); }

double Int(double value) { return std::floor(value); }

double Divide(float dividend, float divisor)
{
    if (divisor == 0.0f)
        throw RuntimeFailure(FailureKind::DivisionByZero);
    return static_cast<double>(dividend) / static_cast<double>(divisor);
}

double ProductInDouble(float random, float factor)
{
    return static_cast<double>(random) * static_cast<double>(factor);
}

std::int16_t Add16(std::int16_t left, std::int16_t right) { return OrOverflow(TryAdd16(left, right)); }

std::int16_t Subtract16(std::int16_t left, std::int16_t right) { return OrOverflow(TrySubtract16(left, right)); }

std::int16_t Multiply16(std::int16_t left, std::int16_t right) { return OrOverflow(TryMultiply16(left, right)); }

std::optional<std::uint8_t> TryToByte(std::int16_t value)
{
    if (value < 0 || value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

std::uint8_t ToByte(std::int16_t value)
{
    const auto byte = TryToByte(value);
    if (!byte)
        throw RuntimeFailure(FailureKind::Overflow);
    return *byte;
}

}
