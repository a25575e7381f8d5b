#include "engine/layout/LineList.h"

#include <algorithm>
#include <cassert>

bool TLineList::TData::operator==(const TData& other) const
{
    return End == other.End && FirstLeft == other.FirstLeft && Starts == other.Starts && Runs == other.Runs;
}

void TLineList::clear()
{
    if (data_.HasValue() && !data_.IsShared()) {
        TData& data = data_.Own();
        data.Starts.clear();
        data.Runs.clear();
        data.End = 0;
        data.FirstLeft = 0;
    } else {
        data_.Reset();
    }
}

void TLineList::push_back(const LineRec& line)
{
    // Lines are added by one layout pass to a list of their own.
    TData& data = data_.Own();
    assert(data.Starts.empty() || line.Start == data.End);
    const TShape shape{line.SpaceBefore, line.SpaceAfter, line.TextHeight, line.DrawHeight, line.Descent,
                       line.IndentX};
    const int index = static_cast<int>(data.Starts.size());
    if (data.Runs.empty() || !(data.Runs.back().Shape == shape) || data.Runs.back().TopOf(index) != line.Top) {
        TRun run;
        run.First = index;
        run.Top = line.Top;
        run.Shape = shape;
        run.ReachBefore = data.Runs.empty() ? 0 : (*this)[index - 1].ReachBottom;
        data.Runs.push_back(run);
    }
    data.Starts.push_back(line.Start);
    data.End = line.Start + line.Count;
}

const TLineList::TRun& TLineList::RunOf(int line) const
{
    const auto after = std::upper_bound(data_->Runs.begin(), data_->Runs.end(), line,
                                        [](int value, const TRun& run) { return value < run.First; });
    return *std::prev(after);
}

LineRec TLineList::operator[](int index) const
{
    const TRun& run = RunOf(index);
    const std::vector<int>& starts = data_->Starts;
    LineRec line;
    line.Start = starts[static_cast<std::size_t>(index)];
    line.Count = (index + 1 < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(index) + 1] : data_->End)
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
    if (empty() || y < 0)
        return -1;
    const std::vector<TRun>& runs = data_->Runs;
    const auto after = std::upper_bound(runs.begin(), runs.end(), y,
                                        [](int value, const TRun& run) { return value < run.Top; });
    if (after == runs.begin())
        return -1;
    const TRun& run = *std::prev(after);
    const int lastOfRun = (after == runs.end() ? static_cast<int>(size()) : after->First) - 1;
    const int height = run.Shape.FullHeight();
    const int line = height > 0 ? std::min(lastOfRun, run.First + (y - run.Top) / height) : lastOfRun;
    return y < run.TopOf(line) + height ? line : -1;
}

int TLineList::LineAtIndex(int index) const
{
    if (empty())
        return -1;
    const std::vector<int>& starts = data_->Starts;
    return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), index) - starts.begin()) - 1;
}

int TLineList::FirstReachingBelow(int y) const
{
    // Reaches only grow from line to line.
    int low = 0;
    int high = static_cast<int>(size());
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if ((*this)[middle].ReachBottom > y)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}
