#include "engine/tables/ColumnWidths.h"

#include "engine/base/LayoutLimits.h"
#include "engine/base/MulDiv.h"

#include <algorithm>

// Cells ask for at most 100 000 pixels and percents are at most 1000 tenths,
// so the scalings below stay far inside an int; the one that can fail (-1,
// a result beyond an int) says so where it is called.

namespace {

// The columns a cell covers, kept inside the grid.
struct TSpan {
    int First;
    int End; // one past the last column

    int Count() const { return End - First; }
};

TSpan SpanOf(const TColumnCell& cell, int columnCount)
{
    const int first = std::clamp(cell.Column, 0, columnCount);
    return {first, std::clamp(cell.Column + cell.Span, first, columnCount)};
}

int SumOver(const TColumnArray& values, TSpan span)
{
    int sum = 0;
    for (int column = span.First; column < span.End; ++column)
        sum += values[column];
    return sum;
}

void ComputeTotals(TColumnRanges& ranges)
{
    const TSpan all{0, ranges.ColumnCount};
    ranges.TotalMinimum = SumOver(ranges.Minimums, all);
    ranges.TotalMaximum = SumOver(ranges.Maximums, all);
}

// Makes the spanned values add up to `needed` by growing each in proportion
// to itself. Columns that are all 0 have no proportion to keep: they share
// evenly, as the percent variant does, so that the cell's content still fits.
void GrowInProportion(TColumnArray& values, TSpan span, int needed)
{
    const int sum = SumOver(values, span);
    if (sum >= needed)
        return;
    for (int column = span.First; column < span.End; ++column)
        values[column] += sum == 0 ? needed / span.Count() : MulDiv(values[column], needed - sum, sum);
}

// The percent of a cell in tenths: its own, or its pixel width as a share of
// the reference width.
int CellPercent(const TColumnCell& cell, int referenceWidth)
{
    if (cell.WidthIsPercent)
        return cell.SpecifiedWidth;
    if (cell.SpecifiedWidth > 0 && referenceWidth > 0)
        return std::min(kFullPercent, MulDiv(cell.SpecifiedWidth, kFullPercent, referenceWidth));
    return 0;
}

// A spanning cell over columns of which some or all have a percent.
void SpreadPercentCell(TColumnRanges& ranges, TSpan span, const TColumnCell& cell, int cellPercent)
{
    TColumnArray& percents = ranges.Percents;
    const int spanMinimum = SumOver(ranges.Minimums, span);
    const int spanMaximum = SumOver(ranges.Maximums, span);
    int percentSum = 0;
    std::vector<int> withoutPercent;
    for (int column = span.First; column < span.End; ++column) {
        if (percents[column] > 0)
            percentSum += percents[column];
        else
            withoutPercent.push_back(column);
    }
    const int zeroCount = static_cast<int>(withoutPercent.size());
    const int missingMinimum = cell.Minimum - spanMinimum;
    const int missingMaximum = cell.Maximum - spanMaximum;

    if (zeroCount == 0 && percentSum < cellPercent) {
        for (int column = span.First; column < span.End; ++column)
            percents[column] = MulDiv(percents[column], cellPercent, percentSum);
    } else if (zeroCount > 0) {
        const int share = std::max(0, (cellPercent - percentSum) / zeroCount);
        if (share > 0)
            for (int column : withoutPercent)
                percents[column] = share;
    }
    const int whole = std::max(percentSum, cellPercent);

    if (missingMinimum > 0) {
        if (zeroCount == 0) {
            for (int column = span.First; column < span.End; ++column)
                ranges.Minimums[column] = std::max(ranges.Minimums[column],
                                                   MulDiv(cell.Minimum, percents[column], whole));
        } else {
            // The columns that had no percent take up what is missing, the
            // wider ones more; empty ones share it evenly.
            int maximumSum = 0;
            for (int column : withoutPercent)
                maximumSum += ranges.Maximums[column];
            for (int column : withoutPercent)
                ranges.Minimums[column] += maximumSum > 0
                    ? MulDiv(missingMinimum, ranges.Maximums[column], maximumSum)
                    : missingMinimum / zeroCount;
        }
    }
    if (missingMaximum > 0) {
        if (zeroCount == 0) {
            for (int column = span.First; column < span.End; ++column)
                ranges.Maximums[column] = std::max(ranges.Maximums[column],
                                                   MulDiv(cell.Maximum, percents[column], whole));
        } else {
            for (int column : withoutPercent)
                ranges.Maximums[column] += missingMaximum / zeroCount;
        }
    }
}

// A spanning cell over columns without percents: the spanned values are
// scaled so that they add up to what the cell needs.
void SpreadPlainCell(TColumnRanges& ranges, TSpan span, const TColumnCell& cell)
{
    const auto scale = [&](TColumnArray& values, int needed) {
        const int sum = SumOver(values, span);
        if (needed - sum <= 0)
            return;
        for (int column = span.First; column < span.End; ++column)
            values[column] = sum == 0 ? needed / span.Count() : MulDiv(needed, values[column], sum);
    };
    scale(ranges.Minimums, cell.Minimum);
    scale(ranges.Maximums, cell.Maximum);
}

// Each column between its minimum and maximum, in the same proportion.
TColumnArray Interpolated(const TColumnRanges& ranges, int target)
{
    TColumnArray widths{};
    const int spare = target - ranges.TotalMinimum;
    const int range = ranges.TotalMaximum - ranges.TotalMinimum;
    for (int column = 0; column < ranges.ColumnCount; ++column)
        widths[column] = ranges.Minimums[column]
            + MulDiv(ranges.Maximums[column] - ranges.Minimums[column], spare, range);
    return widths;
}

TColumnArray PixelWidths(const TColumnRanges& ranges, int target)
{
    if (ranges.TotalMinimum >= target)
        return ranges.Minimums;
    if (target >= ranges.TotalMaximum)
        return ranges.Maximums;
    return Interpolated(ranges, target);
}

// The percent columns of a table narrower than its percents ask for: columns
// whose share would not hold their minimum drop their percent, the others
// shrink until everything fits, and then hold exactly their share.
void FitPercentsInto(TColumnRanges& ranges, int target)
{
    TColumnArray& percents = ranges.Percents;
    const int count = ranges.ColumnCount;
    while (true) {
        bool anyKept = false;
        for (int column = 0; column < count; ++column) {
            if (percents[column] <= 0)
                continue;
            if (MulDiv(target, percents[column], kFullPercent) - 1 < ranges.Minimums[column])
                percents[column] = 0;
            else
                anyKept = true;
        }
        if (!anyKept)
            return;
        int otherMinimum = 0;
        int shares = 0;
        for (int column = 0; column < count; ++column) {
            if (percents[column] > 0)
                shares += MulDiv(target, percents[column], kFullPercent);
            else
                otherMinimum += ranges.Minimums[column];
        }
        if (otherMinimum + shares > target) {
            // Each pass shrinks every kept percent, so the loop ends.
            for (int column = 0; column < count; ++column)
                if (percents[column] > 0)
                    percents[column] = static_cast<int>(static_cast<long long>(percents[column])
                                                        * (target - otherMinimum) / shares);
            continue;
        }
        for (int column = 0; column < count; ++column) {
            if (percents[column] > 0) {
                const int share = MulDiv(target, percents[column], kFullPercent);
                ranges.Minimums[column] = share;
                ranges.Maximums[column] = share;
            }
        }
        ComputeTotals(ranges);
        return;
    }
}

// A table without a width: percent columns take their share of the width the
// table needs to give every column its maximum at its percent.
TColumnArray PercentWidths(TColumnRanges ranges, int target)
{
    int percentTotal = 0;
    for (int column = 0; column < ranges.ColumnCount; ++column)
        percentTotal += std::max(0, ranges.Percents[column]);

    if (percentTotal > 0 && percentTotal <= kFullPercent) {
        int widestForPercents = 0;
        int plainMaximum = 0;
        for (int column = 0; column < ranges.ColumnCount; ++column) {
            const int percent = ranges.Percents[column];
            if (percent > 0)
                widestForPercents = std::max(widestForPercents,
                                             MulDiv(ranges.Maximums[column], kFullPercent, percent));
            else
                plainMaximum += ranges.Maximums[column];
        }
        int widestForPlain = 0;
        if (percentTotal > kFullPercent - 1)
            widestForPlain = plainMaximum > 0 ? 30000 : 0; // no room is left for the plain columns
        else if (const int widest = MulDiv(plainMaximum, kFullPercent, kFullPercent - percentTotal); widest >= 0)
            widestForPlain = widest;
        else
            widestForPlain = kMaxLayoutExtent; // a sliver left for wide plain columns: beyond any width
        const int natural = std::max(widestForPercents, widestForPlain);

        if (target >= natural) {
            TColumnArray widths{};
            const int rest = MulDiv(natural, kFullPercent - percentTotal, kFullPercent);
            for (int column = 0; column < ranges.ColumnCount; ++column) {
                const int percent = ranges.Percents[column];
                if (percent > 0)
                    widths[column] = MulDiv(natural, percent, kFullPercent);
                else
                    widths[column] = plainMaximum == 0 ? 0 : MulDiv(ranges.Maximums[column], rest, plainMaximum);
            }
            return widths;
        }
        FitPercentsInto(ranges, target);
    }
    if (target < ranges.TotalMaximum && ranges.TotalMaximum != ranges.TotalMinimum)
        return Interpolated(ranges, target);
    return ranges.Maximums;
}

// A table with a width: percent columns get their share of it, the rest goes
// to the other columns, and the widths add up to the target exactly.
TColumnArray FixedWidths(const TColumnRanges& ranges, int target)
{
    const int count = ranges.ColumnCount;
    const TColumnArray& percents = ranges.Percents;
    TColumnArray widths{};
    std::array<bool, kColumnSlots> fixed{};
    int freeCount = 0;
    int freeRange = 0;
    int sharingPercents = 0;
    for (int column = 0; column < count; ++column) {
        if (percents[column] <= 0) {
            widths[column] = ranges.Minimums[column];
            ++freeCount;
            freeRange += ranges.Maximums[column] - ranges.Minimums[column];
            continue;
        }
        const int share = MulDiv(target, percents[column], kFullPercent);
        if (ranges.Minimums[column] < share) {
            widths[column] = share;
            sharingPercents += percents[column];
        } else {
            widths[column] = ranges.Minimums[column];
            fixed[column] = true;
        }
    }
    const auto sharing = [&](int column) { return percents[column] > 0 && !fixed[column]; };

    int excess = -target;
    for (int column = 0; column < count; ++column)
        excess += widths[column];

    if (excess < 0) {
        const int spare = -excess;
        for (int column = 0; column < count; ++column) {
            if (freeCount == 0) {
                if (sharing(column) && sharingPercents > 0)
                    widths[column] += MulDiv(spare, percents[column], sharingPercents);
            } else if (percents[column] <= 0) {
                widths[column] += freeRange <= 0
                    ? spare / freeCount
                    : MulDiv(spare, ranges.Maximums[column] - ranges.Minimums[column], freeRange);
            }
        }
    } else if (excess > 0) {
        // Percent columns give up the excess in proportion; those that would
        // fall below their minimum stop at it and the others give more.
        constexpr int kShrinkPasses = 4;
        for (int pass = 0; pass < kShrinkPasses; ++pass) {
            bool fixedAny = false;
            for (int column = 0; column < count && sharingPercents > 0; ++column) {
                if (!sharing(column))
                    continue;
                if (widths[column] - MulDiv(excess, percents[column], sharingPercents) < ranges.Minimums[column]) {
                    excess -= widths[column] - ranges.Minimums[column];
                    widths[column] = ranges.Minimums[column];
                    fixed[column] = true;
                    sharingPercents -= percents[column];
                    fixedAny = true;
                }
            }
            if (!fixedAny)
                break;
        }
        const int shrinkingPercents = sharingPercents;
        if (shrinkingPercents > 0)
            for (int column = 0; column < count; ++column)
                if (sharing(column))
                    widths[column] -= MulDiv(excess, percents[column], shrinkingPercents);
    }

    // Rounding leaves a few pixels over or short.
    int sum = 0;
    for (int column = 0; column < count; ++column)
        sum += widths[column];
    if (count > 0 && sum <= target) {
        widths[0] += target - sum;
    } else {
        for (int column = 0; column < count; ++column) {
            if (!fixed[column]) {
                widths[column] -= sum - target;
                break;
            }
        }
    }
    return widths;
}

} // namespace

TColumnRangeBuilder TColumnRangeBuilder::Pixel(int columnCount) { return {columnCount, true, 0}; }

TColumnRangeBuilder TColumnRangeBuilder::Percent(int columnCount, int referenceWidth)
{
    return {columnCount, false, referenceWidth};
}

TColumnRangeBuilder::TColumnRangeBuilder(int columnCount, bool pixel, int referenceWidth)
    : pixel_(pixel), referenceWidth_(referenceWidth)
{
    ranges_.ColumnCount = std::clamp(columnCount, 0, kMaxColumns);
}

void TColumnRangeBuilder::Add(const TColumnCell& cell)
{
    if (cell.Span > 1) {
        spanning_.push_back(cell);
        return;
    }
    // Single cells only raise maximums, so their order does not matter.
    if (const TSpan columns = SpanOf(cell, ranges_.ColumnCount); cell.Span == 1 && columns.Count() > 0)
        AddSingle(cell, columns.First);
}

void TColumnRangeBuilder::AddSingle(const TColumnCell& cell, int column)
{
    int minimum = cell.Minimum;
    int maximum = cell.Maximum;
    if (pixel_) {
        if (cell.SpecifiedWidth > 0 && !cell.WidthIsPercent) {
            // The width replaces the content's maximum unless the content
            // needs more.
            minimum = std::max(minimum, cell.SpecifiedWidth + cell.Surround);
            maximum = minimum;
        }
    } else {
        ranges_.Percents[column] = std::max(ranges_.Percents[column], CellPercent(cell, referenceWidth_));
    }
    ranges_.Minimums[column] = std::max(ranges_.Minimums[column], minimum);
    ranges_.Maximums[column] = std::max(ranges_.Maximums[column], maximum);
}

void TColumnRangeBuilder::AddSpanning(const TColumnCell& cell)
{
    const TSpan columns = SpanOf(cell, ranges_.ColumnCount);
    if (columns.Count() == 0)
        return;
    if (pixel_) {
        GrowInProportion(ranges_.Minimums, columns, cell.Minimum);
        GrowInProportion(ranges_.Maximums, columns, cell.Maximum);
        return;
    }
    const int cellPercent = CellPercent(cell, referenceWidth_);
    bool anyPercent = cellPercent > 0;
    for (int column = columns.First; column < columns.End; ++column)
        anyPercent = anyPercent || ranges_.Percents[column] > 0;
    if (anyPercent)
        SpreadPercentCell(ranges_, columns, cell, cellPercent);
    else
        SpreadPlainCell(ranges_, columns, cell);
}

TColumnRanges TColumnRangeBuilder::Ranges()
{
    std::stable_sort(spanning_.begin(), spanning_.end(),
                     [](const TColumnCell& a, const TColumnCell& b) { return a.Span < b.Span; });
    for (const TColumnCell& cell : spanning_)
        AddSpanning(cell);
    spanning_.clear();
    ComputeTotals(ranges_);
    return ranges_;
}

TColumnArray DistributeColumnWidths(const TColumnRanges& ranges, int target, TWidthRule rule)
{
    if (rule == TWidthRule::Pixel)
        return PixelWidths(ranges, target);
    if (ranges.TotalMinimum >= target)
        return ranges.Minimums;
    if (rule == TWidthRule::Fixed)
        return FixedWidths(ranges, target);
    return PercentWidths(ranges, target);
}
