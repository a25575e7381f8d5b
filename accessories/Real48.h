#pragma once
// The calculator's 6-byte real: 1 sign bit, an 8-bit exponent biased by 129
// and 39 stored fraction bits below a hidden leading 1. An exponent byte of 0
// means zero. About 12 significant digits, magnitudes from about 2.9E-39 to
// 1.7E38.

#include <array>
#include <cstdint>
#include <optional>

// Byte 0 is the exponent; bytes 1 to 5 hold the fraction, least significant
// byte first, and the top bit of byte 5 is the sign.
using TReal48 = std::array<std::uint8_t, 6>;

// The representable value nearest to value (ties to even). Magnitudes below
// the smallest normal value become zero. No value for NaN, infinities and
// magnitudes beyond the largest value after rounding.
std::optional<TReal48> EncodeReal48(long double value);

long double DecodeReal48(const TReal48& real);

// Decode(Encode(value)): the value as the 6-byte format keeps it.
std::optional<long double> RoundToReal48(long double value);
