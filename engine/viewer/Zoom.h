#pragma once
// The zoom of a view: how many screen pixels a page pixel takes, in percent.
// Layout keeps every number in page pixels; only the view's edges (the
// control's size, the mouse, the scroll steps on screen) are converted.

#include "engine/canvas/Canvas.h"

#include <QRect>
#include <QRectF>

#include <algorithm>
#include <array>

class TZoom {
public:
    static constexpr int kMinPercent = 50;
    static constexpr int kMaxPercent = 300;
    static constexpr int kNormalPercent = 100;
    // The steps the keys and the wheel go through, each 10 to 25 % from the next.
    static constexpr std::array<int, 13> kSteps = {50, 60, 70, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

    static int Clamped(int percent) { return std::clamp(percent, kMinPercent, kMaxPercent); }
    // The next step above or below the percent (itself at either end).
    static int StepUp(int percent);
    static int StepDown(int percent);

    int Percent() const { return percent_; }
    void SetPercent(int percent) { percent_ = Clamped(percent); }
    bool IsNormal() const { return percent_ == kNormalPercent; }
    double Scale() const { return percent_ / 100.0; }
    // Screen pixels to whole page pixels (rounded down), and back (rounded up,
    // so that a page rectangle's screen rectangle covers it).
    int ToPage(int screen) const { return screen * 100 / percent_; }
    int ToScreen(int page) const { return (page * percent_ + 99) / 100; }
    // A rectangle in page pixels as the screen shows it, every pixel it touches.
    QRect ToScreen(const TRect& page) const
    {
        if (IsNormal())
            return ToQRect(page);
        const double scale = Scale();
        return QRectF(page.Left * scale, page.Top * scale, page.Width() * scale, page.Height() * scale).toAlignedRect();
    }
    // Whether a move of so many page pixels is a whole number of screen pixels.
    bool MovesWholeScreenPixels(int page) const { return (page * percent_) % 100 == 0; }

private:
    int percent_ = kNormalPercent;
};

inline int TZoom::StepUp(int percent)
{
    const auto next = std::upper_bound(kSteps.begin(), kSteps.end(), percent);
    return next == kSteps.end() ? kSteps.back() : *next;
}

inline int TZoom::StepDown(int percent)
{
    const auto below = std::lower_bound(kSteps.begin(), kSteps.end(), percent);
    return below == kSteps.begin() ? kSteps.front() : *std::prev(below);
}
