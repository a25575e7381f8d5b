#include "engine/text/LineList.h"

#include <algorithm>
#include <cassert>

void TLineList::clear()
{
    starts_.clear();
    runs_.clear();
    end_ = 0;
}

void TLineList::push_back(const LineRec& line)
{
    assert(starts_.empty() || line.Start == end_);
    const TShape shape{line.SpaceBefore, line.SpaceAfter, line.TextHeight, line.DrawHeight, line.Descent,
                       line.IndentX};
    const int index = static_cast<int>(starts_.size());
    if (runs_.empty() || !(runs_.back().Shape == shape) || runs_.back().TopOf(index) != line.Top) {
        TRun run;
        run.First = index;
        run.Top = line.Top;
        run.Shape = shape;
        run.ReachBefore = runs_.empty() ? 0 : (*this)[index - 1].ReachBottom;
        runs_.push_back(run);
    }
    starts_.push_back(line.Start);
    end_ = line.Start + line.Count;
}

const TLineList::TRun& TLineList::RunOf(int line) const
{
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), line,
                                        [](int value, const TRun& run) { return value < run.First; });
    return *std::prev(after);
}

LineRec TLineList::operator[](int index) const
{
    const TRun& run = RunOf(index);
    LineRec line;
    line.Start = starts_[static_cast<std::size_t>(index)];
    line.Count = (index + 1 < static_cast<int>(starts_.size()) ? starts_[static_cast<std::size_t>(index) + 1] : end_)
        - line.Start;
    line.SpaceBefore = run.Shape.SpaceBefore;
    line.SpaceAfter = run.Shape.SpaceAfter;
    line.TextHeight = run.Shape.TextHeight;
    line.DrawHeight = run.Shape.DrawHeight;
    line.Descent = run.Shape.Descent;
    line.IndentX = run.Shape.IndentX;
    line.Top = run.TopOf(index);
    line.ReachBottom = std::max(run.ReachBefore, line.Top + run.Shape.DrawHeight);
    return line;
}

int TLineList::LineAtY(int y) const
{
    if (runs_.empty() || y < 0)
        return -1;
    const auto after = std::upper_bound(runs_.begin(), runs_.end(), y,
                                        [](int value, const TRun& run) { return value < run.Top; });
    if (after == runs_.begin())
        return -1;
    const TRun& run = *std::prev(after);
    const int lastOfRun = (after == runs_.end() ? static_cast<int>(starts_.size()) : after->First) - 1;
    const int height = run.Shape.FullHeight();
    const int line = height > 0 ? std::min(lastOfRun, run.First + (y - run.Top) / height) : lastOfRun;
    const int top = run.TopOf(line);
    return y < top + height ? line : -1;
}

int TLineList::LineAtIndex(int index) const
{
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), index);
    return static_cast<int>(after - starts_.begin()) - 1;
}

int TLineList::FirstReachingBelow(int y) const
{
    // Reaches only grow from line to line.
    int low = 0;
    int high = static_cast<int>(starts_.size());
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if ((*this)[middle].ReachBottom > y)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}
