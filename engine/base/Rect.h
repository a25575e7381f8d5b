#pragma once
// Rectangles as the device context takes them: left and top inside, right and
// bottom just outside, so that width = Right − Left.

#include <algorithm>

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int x, int y) const
    {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    constexpr TRect Translated(int dx, int dy) const
    {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    constexpr TRect Intersected(const TRect& other) const
    {
        return {std::max(Left, other.Left), std::max(Top, other.Top),
                std::min(Right, other.Right), std::min(Bottom, other.Bottom)};
    }
    // The smallest rectangle holding both.
    constexpr TRect United(const TRect& other) const
    {
        return {std::min(Left, other.Left), std::min(Top, other.Top),
                std::max(Right, other.Right), std::max(Bottom, other.Bottom)};
    }
    constexpr bool operator==(const TRect&) const = default;
};
