#pragma once
// Scaling of integers with a 64-bit intermediate product, rounded half away
// from zero, as the platform's MulDiv does: sizes in twelfths, points to
// pixels and percentages all go through it so that they round alike.

#include <cstdint>
#include <limits>

// number × numerator / denominator, rounded; -1 when the denominator is 0 or
// the result does not fit in an int (the platform's failure value).
constexpr int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t absProduct = product < 0 ? -product : product;
    const std::int64_t absDenominator = denominator < 0 ? -static_cast<std::int64_t>(denominator)
                                                        : denominator;
    const std::int64_t quotient = (absProduct + absDenominator / 2) / absDenominator;
    const std::int64_t result = negative ? -quotient : quotient;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}
