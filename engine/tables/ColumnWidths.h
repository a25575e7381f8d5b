#pragma once
// Column widths of a table: the minimum, maximum and percent of each column,
// derived from the cells' width ranges over their column spans, and the
// distribution of a target width over the columns.

#include <array>
#include <vector>

// A table holds at most this many columns; the arrays keep one spare slot.
constexpr int kMaxColumns = 30;
constexpr int kColumnSlots = kMaxColumns + 1;
// 100 percent in the tenths that percent widths are kept in.
constexpr int kFullPercent = 1000;

using TColumnArray = std::array<int, kColumnSlots>;

// One cell as the column passes see it. Minimum and maximum are the content's
// width range with the cell padding and spacing already added.
struct TColumnCell {
    int Column = 0;
    int Span = 1;
    int Minimum = 0;
    int Maximum = 0;
    int Surround = 0; // the padding on both sides plus the spacing
    int SpecifiedWidth = 0; // pixels, or tenths of a percent
    bool WidthIsPercent = false;
};

struct TColumnRanges {
    int ColumnCount = 0;
    TColumnArray Minimums{};
    TColumnArray Maximums{};
    TColumnArray Percents{}; // tenths of a percent; 0 for a column without one
    int TotalMinimum = 0;
    int TotalMaximum = 0;
};

// How the target width is spread over the columns.
enum class TWidthRule {
    Pixel,   // some cell has a pixel width and the table has none
    Percent, // the table has no width
    Fixed,   // the table has a width
};

// Gathers the column ranges from the cells given one at a time, row by row,
// left to right, so that no list of a large table's cells is built. A cell of
// one column counts at once; spanning cells are kept until Ranges, where the
// narrowest spans go first, each meeting the ranges its narrower neighbours
// have set.
class TColumnRangeBuilder {
public:
    // The pixel variant: cells with a pixel width hold their column to that
    // width unless their content needs more.
    static TColumnRangeBuilder Pixel(int columnCount);
    // The percent variant: pixel widths count as percents of the reference
    // width (none when it is 0), and column spans share their percents.
    static TColumnRangeBuilder Percent(int columnCount, int referenceWidth);

    void Add(const TColumnCell& cell);
    TColumnRanges Ranges();

private:
    TColumnRangeBuilder(int columnCount, bool pixel, int referenceWidth);
    void AddSingle(const TColumnCell& cell, int column);
    void AddSpanning(const TColumnCell& cell);

    TColumnRanges ranges_;
    bool pixel_;
    int referenceWidth_;
    std::vector<TColumnCell> spanning_;
};

// Spreads the target width over the columns of the ranges by the rule. The
// ranges come from the pixel variant for the pixel rule, else from the
// percent variant.
TColumnArray DistributeColumnWidths(const TColumnRanges& ranges, int target, TWidthRule rule);
