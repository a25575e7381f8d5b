#pragma once
// How far layout reaches. Numbers from attributes and the sides of pictures
// are kept to 100 000 pixels where they are read, but a long page adds up
// thousands of them: the Y of everything laid out, and the widths that layout
// adds up along a line or a paragraph, stay at or below kMaxLayoutExtent.
// Two such values still add up inside an int; what lies past the limit is
// laid out at it.

#include <algorithm>
#include <cstdint>

constexpr int kMaxLayoutExtent = 1'000'000'000;

// a + b for an extent b >= 0, at most kMaxLayoutExtent (a itself when a is
// already beyond it).
constexpr int ExtentSum(int a, std::int64_t b)
{
    const std::int64_t sum = a + b;
    return static_cast<int>(std::min(sum, std::max<std::int64_t>(a, kMaxLayoutExtent)));
}
