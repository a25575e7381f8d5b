#include "accessories/Real48.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr long double kUnit = 0x1p-39L; // one unit in the last place at 1

TEST(Real48, ZeroHasExponentByteZero)
{
    EXPECT_EQ(EncodeReal48(0.0L), (TReal48 {}));
    EXPECT_EQ(EncodeReal48(-0.0L), (TReal48 {}));
    EXPECT_EQ(DecodeReal48(TReal48 {}), 0.0L);
    // Whatever the fraction bytes hold, exponent 0 is zero.
    EXPECT_EQ(DecodeReal48(TReal48 { 0, 1, 2, 3, 4, 0x85 }), 0.0L);
}

TEST(Real48, ExponentBiasHiddenBitAndSign)
{
    EXPECT_EQ(EncodeReal48(1.0L), (TReal48 { 129, 0, 0, 0, 0, 0 }));
    EXPECT_EQ(EncodeReal48(-1.0L), (TReal48 { 129, 0, 0, 0, 0, 0x80 }));
    EXPECT_EQ(EncodeReal48(0.5L), (TReal48 { 128, 0, 0, 0, 0, 0 }));
    EXPECT_EQ(EncodeReal48(3.0L), (TReal48 { 130, 0, 0, 0, 0, 0x40 }));
    // The lowest fraction bit sits in byte 1.
    EXPECT_EQ(EncodeReal48(1 + kUnit), (TReal48 { 129, 1, 0, 0, 0, 0 }));
    for (long double value : { 1.0L, -2.75L, 1234567.0L, 0x1p100L, -0x3p-100L, 1 + kUnit, 2 - kUnit })
        EXPECT_EQ(DecodeReal48(*EncodeReal48(value)), value);
}

TEST(Real48, RoundsToNearestWithTiesToEven)
{
    EXPECT_EQ(*RoundToReal48(1 + kUnit / 2), 1.0L);                // tie, even below
    EXPECT_EQ(*RoundToReal48(1 + 3 * kUnit / 2), 1 + 2 * kUnit);  // tie, even above
    EXPECT_EQ(*RoundToReal48(1 + kUnit * 0.51L), 1 + kUnit);
    EXPECT_EQ(*RoundToReal48(-(1 + kUnit * 0.49L)), -1.0L);
    // Rounding up across a power of two carries into the exponent.
    EXPECT_EQ(EncodeReal48(2 - kUnit / 4), (TReal48 { 130, 0, 0, 0, 0, 0 }));

    // 0,1 has no exact form: it is kept within half a unit of 39 bits.
    const long double tenth = *RoundToReal48(0.1L);
    EXPECT_NE(tenth, 0.1L);
    EXPECT_LE(std::fabs(tenth - 0.1L), 0.0625L * kUnit / 2);
}

TEST(Real48, OverflowAndUnderflow)
{
    const long double largest = std::ldexp(2 - kUnit, 126); // about 1.7E38
    EXPECT_EQ(EncodeReal48(largest), (TReal48 { 255, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F }));
    EXPECT_EQ(*RoundToReal48(largest * (1 + kUnit / 8)), largest);
    EXPECT_FALSE(EncodeReal48(std::ldexp(1.0L, 127)));
    EXPECT_FALSE(EncodeReal48(-1e39L));
    EXPECT_FALSE(EncodeReal48(std::numeric_limits<long double>::infinity()));
    EXPECT_FALSE(EncodeReal48(std::numeric_limits<long double>::quiet_NaN()));

    const long double smallest = std::ldexp(1.0L, -128); // about 2.9E-39
    EXPECT_EQ(EncodeReal48(smallest), (TReal48 { 1, 0, 0, 0, 0, 0 }));
    EXPECT_EQ(*RoundToReal48(smallest * (1 - kUnit / 8)), smallest); // rounds up into range
    EXPECT_EQ(EncodeReal48(smallest / 2), (TReal48 {}));
    EXPECT_EQ(EncodeReal48(-1e-45L), (TReal48 {}));
}

} // namespace
