#pragma once
// The lines of a text section as layout made them. Lines follow each other
// without gaps, in the text and down the page, so that a line is known by its
// start; what else makes a line (its heights, descent and indent: its shape)
// is kept once for every run of lines that share it. A paragraph keeps a
// shape or two, a plain-text file of a million lines one. Sections laid out
// alike (the lines of a page of line breaks, the cells of a table of
// numbers) share one list: a list is never changed once shared.

#include "engine/base/LayoutLimits.h"
#include "engine/base/SharedValue.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

// One laid-out line of a section.
struct LineRec {
    int Start = 0;        // index of the line's first character in the text
    int SpaceBefore = 0;  // extra height above the text (tall images, controls)
    int SpaceAfter = 0;   // extra height below it
    int TextHeight = 0;   // largest run line height in the line
    int DrawHeight = 0;   // height to paint, floats started in the line included
    int Count = 0;        // characters, trailing spaces included
    int Descent = 0;      // largest run descent in the line
    int IndentX = 0;      // X of the first character in cell coordinates
    // The line top relative to the section top, and the lowest painted bottom
    // (relative too) of this line and every line before it: painting and the
    // point queries find a line by bisection instead of walking every line.
    int Top = 0;
    int ReachBottom = 0;

    int FullHeight() const { return SpaceBefore + TextHeight + SpaceAfter; }
};

class TLineList {
public:
    class TIterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = LineRec;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = LineRec;

        TIterator() = default;
        TIterator(const TLineList* list, int index) : list_(list), index_(index) {}
        LineRec operator*() const { return (*list_)[index_]; }
        LineRec operator[](difference_type offset) const { return (*list_)[index_ + static_cast<int>(offset)]; }
        TIterator& operator++() { ++index_; return *this; }
        TIterator operator++(int) { TIterator old = *this; ++index_; return old; }
        TIterator& operator--() { --index_; return *this; }
        TIterator operator--(int) { TIterator old = *this; --index_; return old; }
        TIterator& operator+=(difference_type offset) { index_ += static_cast<int>(offset); return *this; }
        TIterator& operator-=(difference_type offset) { index_ -= static_cast<int>(offset); return *this; }
        TIterator operator+(difference_type offset) const { return {list_, index_ + static_cast<int>(offset)}; }
        TIterator operator-(difference_type offset) const { return {list_, index_ - static_cast<int>(offset)}; }
        friend TIterator operator+(difference_type offset, const TIterator& it) { return it + offset; }
        difference_type operator-(const TIterator& other) const { return index_ - other.index_; }
        bool operator==(const TIterator& other) const { return index_ == other.index_; }
        auto operator<=>(const TIterator& other) const { return index_ <=> other.index_; }
        int Index() const { return index_; }

    private:
        const TLineList* list_ = nullptr;
        int index_ = 0;
    };

    // A list of its own keeps its room for the next layout pass; a shared
    // one is let go.
    void clear();
    // Appends the line below the last one: its start is where the last one
    // ends. Its reach is worked out here.
    void push_back(const LineRec& line);
    // Takes the other list's lines when they are the same as these.
    void ShareIfEqual(const TLineList& other) { data_.ShareIfEqual(other.data_); }
    // The cell X of the left edge at the section's top, from the layout that
    // made the lines: list markers stand beside it.
    int FirstLeft() const { return data_.HasValue() ? data_->FirstLeft : 0; }
    void SetFirstLeft(int x) { data_.Own().FirstLeft = x; }

    std::size_t size() const { return data_.HasValue() ? data_->Starts.size() : 0; }
    bool empty() const { return size() == 0; }
    LineRec operator[](int index) const;
    LineRec operator[](std::size_t index) const { return (*this)[static_cast<int>(index)]; }
    LineRec front() const { return (*this)[0]; }
    LineRec back() const { return (*this)[static_cast<int>(size()) - 1]; }
    TIterator begin() const { return {this, 0}; }
    TIterator end() const { return {this, static_cast<int>(size())}; }

    // The line holding y (relative to the section top), or -1.
    int LineAtY(int y) const;
    // The line holding the text index (the last line starting at or before
    // it), or -1 before the first line.
    int LineAtIndex(int index) const;
    // The first line whose reach goes below y, or size().
    int FirstReachingBelow(int y) const;

private:
    // What lines of one run share.
    struct TShape {
        int SpaceBefore = 0;
        int SpaceAfter = 0;
        int TextHeight = 0;
        int DrawHeight = 0;
        int Descent = 0;
        int IndentX = 0;
        int FullHeight() const { return SpaceBefore + TextHeight + SpaceAfter; }
        bool operator==(const TShape&) const = default;
    };
    // A run of lines of one shape, from line First on.
    struct TRun {
        int First = 0;
        int Top = 0;          // of line First
        int ReachBefore = 0;  // the reach of the lines before First
        TShape Shape;
        bool operator==(const TRun&) const = default;
        int TopOf(int line) const
        {
            return ExtentSum(Top, static_cast<std::int64_t>(line - First) * Shape.FullHeight());
        }
    };

    struct TData {
        std::vector<int> Starts;
        std::vector<TRun> Runs;
        int End = 0; // where the last line ends
        int FirstLeft = 0;
        bool operator==(const TData& other) const;
    };

    const TRun& RunOf(int line) const;

    TSharedValue<TData> data_;
};
