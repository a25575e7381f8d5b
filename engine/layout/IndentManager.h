#pragma once
// Bookkeeping of the left and right indents of one cell: list indents and the
// bands taken by floating images and tables. Layout registers them in the
// cell's coordinates; painting moves the edges to the window and reads the same
// records back.

#include <climits>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// One indent band. For a left record X is the indent's (or float's) right edge
// measured from the left edge; for a right record X is a negative offset from
// the right edge. The band covers document Y from TopY up to, not including,
// BottomY.
struct IndentRec {
    int X = 0;
    int TopY = 0;
    int BottomY = 0;
    // The list level that opened the record; none for a float or a closed level.
    std::optional<int> Owner;
};

enum class TFloatSide { Left, Right };

// The bottoms, plus one, of the lowest left and right floats (0 when none).
struct TClearanceBottoms {
    int Left = 0;
    int Right = 0;
};

// The records of one side, indexed so that a layout pass, which asks at
// growing Y, costs per question only the records that can still hold a Y:
// the open list levels and the unowned bands not yet passed. A page of
// thousands of closed lists would otherwise be scanned whole for every line.
class TIndentRecords {
public:
    void Clear();
    void Add(const IndentRec& record);
    // Closes every open list level above level: it becomes unowned and ends
    // at bottom.
    void CloseLevelsAbove(int level, int bottom);

    // The largest (or smallest) X of the records whose band holds y.
    std::optional<int> LargestXAt(int y) const;
    std::optional<int> SmallestXAt(int y) const;
    // The largest bottom of the unowned records, of those with X above x.
    std::optional<int> UnownedBottom() const { return unownedBottom_; }
    std::optional<int> UnownedBottomBeyond(int x) const;
    // The X of the last open record of the level (none when it has none).
    std::optional<int> OpenLevelX(int level) const;
    // The largest bottom of the open records with X above x.
    std::optional<int> OpenBottomBeyond(int x) const;

    const std::vector<IndentRec>& All() const { return records_; }
    std::size_t LiveCount() const { return live_.size(); }

private:
    template <typename Better>
    std::optional<int> BestXAt(int y, Better better) const;
    void NoteUnowned(std::size_t index);

    std::vector<IndentRec> records_;    // every record, in the order registered
    std::vector<std::size_t> open_;     // the owned records, in order
    std::optional<int> unownedBottom_;
    // Unowned records by X: each step's bottom is the largest among records
    // with that X or more, so bottoms fall as X grows and the first step past
    // an X answers for everything past it.
    std::map<int, int> bottomSteps_;
    // Edge questions come at growing Y within a pass; the unowned records
    // whose bottom lies at or above the last Y asked are dropped from live_ and
    // brought back only when a question comes from higher up (a new pass).
    mutable std::vector<std::size_t> live_;
    mutable int lastAskedY_ = INT_MIN;
};

// What a cell keeps of its indents from layout to painting: its width and
// the records layout made. A pass works on them through an IndentManager
// that borrows them (TBorrowedIndents), so that a table of a million cells
// keeps 16 bytes a cell rather than a whole manager.
class TCellIndents {
public:
    int Width = 0;       // available width

    // Every record registered since the last layout pass began, in order.
    std::span<const IndentRec> LeftRecords() const;
    std::span<const IndentRec> RightRecords() const;

protected:
    struct TSides {
        TIndentRecords Left;
        TIndentRecords Right;
    };
    // The records of each side, or none while a cell has had neither list
    // nor float: most table cells never have one, and a table of a million
    // cells would otherwise keep a million empty indexes.
    const TIndentRecords* Side(TFloatSide side) const;
    TIndentRecords& AddingTo(TFloatSide side);

    std::unique_ptr<TSides> sides_;
};

class IndentManagerBasic : public TCellIndents {
public:
    // An open list level reaches this far down until the level is closed.
    static constexpr int kOpenBottom = 9999999;
    // Each list level indents by this much beyond what is already there.
    static constexpr int kListIndent = 35;

    int ClipWidth = 0;   // set by painting: right limit for preformatted text
    int ListLevel = 0;
    int LeftEdgeX = 0;
    int RightEdgeX = 0;

    // Starts a layout pass of a cell of the given width: no records, edges at
    // 0 and width, list level 0.
    void Reset(int width);

    int LeftEdge(int y) const;
    int RightEdge(int y) const;
    void SetListLevel(int y, int level);
    void RegisterFloat(TFloatSide side, int y, int height, int width);
    int FloatBottom() const;
    // The largest bottom of the unowned records of one side (0 when none).
    int FloatBottom(TFloatSide side) const;
    TClearanceBottoms ClearanceBottoms() const;
    int ListClearance() const;

    // How many unowned records an edge question on the side still looks at.
    std::size_t LiveRecordCount(TFloatSide side) const;
};

// The design keeps a descendant for cells; it adds nothing this program uses.
class IndentManager : public IndentManagerBasic {};

// Lends a cell's width and records to the manager of one pass and takes them
// back, as the pass left them, when the pass ends (by an exception too).
class TBorrowedIndents {
public:
    TBorrowedIndents(IndentManagerBasic& manager, TCellIndents& kept) : manager_(manager), kept_(kept) { Swap(); }
    ~TBorrowedIndents() { Swap(); }
    TBorrowedIndents(const TBorrowedIndents&) = delete;
    TBorrowedIndents& operator=(const TBorrowedIndents&) = delete;

private:
    void Swap() { std::swap(static_cast<TCellIndents&>(manager_), kept_); }

    IndentManagerBasic& manager_;
    TCellIndents& kept_;
};
