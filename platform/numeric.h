// The runtime's numeric conversions and its checked 16-bit arithmetic.
//
// Every count, index, size and position of the program is a signed 16-bit integer; these helpers
// give them the runtime's semantics: conversions round halves to even, and a result outside the
// target range fails with an overflow instead of wrapping.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace tavrel {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfToEven(double value);

// The 16-bit conversion: rounds half to even; throws an overflow outside -32768..32767 (NaN too).
std::int16_t ToInt16(double value);

// The 32-bit conversion: the same with the signed 32-bit range.
std::int32_t ToInt32(double value);

// Int: rounds towards minus infinity, staying a floating-point value (Int(-0.5) = -1).
double Int(double value);

// A quotient of two single-precision operands formed in double precision; a zero divisor throws.
double Divide(float dividend, float divisor);

// A product of a single-precision random number and a factor taken as single precision, formed in
// double precision. Both operands have at most 24 significant bits, so the product is exact.
double ProductInDouble(float random, float factor);

// Checked 16-bit arithmetic for start-up, where a failure ends the program.
std::int16_t Add16(std::int16_t left, std::int16_t right);
std::int16_t Subtract16(std::int16_t left, std::int16_t right);
std::int16_t Multiply16(std::int16_t left, std::int16_t right);

// The same for the tick handlers, which skip a failing statement: no value means "skip it".
// Inline, because frame drawing forms two positions for every cell.
constexpr std::optional<std::int16_t> Narrow16(std::int32_t wide)
{
    if (wide < std::numeric_limits<std::int16_t>::min() || wide > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(wide);
}
constexpr std::optional<std::int16_t> TryAdd16(std::int16_t left, std::int16_t right) { return Narrow16(std::int32_t { left } + right); }
constexpr std::optional<std::int16_t> TrySubtract16(std::int16_t left, std::int16_t right) { return Narrow16(std::int32_t { left } - right); }
constexpr std::optional<std::int16_t> TryMultiply16(std::int16_t left, std::int16_t right) { return Narrow16(std::int32_t { left } * right); }

// Storing a 16-bit value into an unsigned byte: throws an overflow outside 0..255.
std::uint8_t ToByte(std::int16_t value);
std::optional<std::uint8_t> TryToByte(std::int16_t value);

}
