#include "accessories/Real48.h"

#include <cmath>

namespace {

constexpr int kExponentBias = 129;
constexpr int kFractionBits = 39;
constexpr int kLargestExponent = 255;
constexpr std::uint64_t kFractionMask = (std::uint64_t { 1 } << kFractionBits) - 1;
constexpr std::uint8_t kSignBit = 0x80;

} // namespace

std::optional<TReal48> EncodeReal48(long double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    TReal48 real {};
    if (value == 0)
        return real;

    // value = mantissa * 2^exponent with mantissa in [0.5, 1), so the hidden-bit
    // form 1.f * 2^(e - 129) has e = exponent + 128.
    int exponent = 0;
    const long double mantissa = std::frexp(std::fabs(value), &exponent);
    int biased = exponent + kExponentBias - 1;
    // 2 * mantissa - 1 is the fraction in [0, 1); long double holds it exactly,
    // so one rounding to 39 bits gives the nearest value.
    auto fraction = static_cast<std::uint64_t>(std::nearbyint(std::ldexp(2 * mantissa - 1, kFractionBits)));
    if (fraction > kFractionMask) { // rounded up to the next power of two
        fraction = 0;
        ++biased;
    }
    if (biased < 1)
        return real; // underflow: stored as zero
    if (biased > kLargestExponent)
        return std::nullopt;

    real[0] = static_cast<std::uint8_t>(biased);
    for (int index = 1; index <= 5; ++index)
        real[index] = static_cast<std::uint8_t>(fraction >> (8 * (index - 1)));
    if (value < 0)
        real[5] |= kSignBit;
    return real;
}

long double DecodeReal48(const TReal48& real)
{
    if (real[0] == 0)
        return 0;
    std::uint64_t fraction = 0;
    for (int index = 5; index >= 1; --index)
        fraction = fraction << 8 | real[index];
    fraction &= kFractionMask;
    const long double magnitude
        = std::ldexp(1 + std::ldexp(static_cast<long double>(fraction), -kFractionBits), real[0] - kExponentBias);
    return (real[5] & kSignBit) != 0 ? -magnitude : magnitude;
}

std::optional<long double> RoundToReal48(long double value)
{
    const std::optional<TReal48> real = EncodeReal48(value);
    if (!real)
        return std::nullopt;
    return DecodeReal48(*real);
}
