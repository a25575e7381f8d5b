#pragma once
// Bookkeeping of the left and right indents of one cell: list indents and the
// bands taken by floating images and tables. Layout registers them in the
// cell's coordinates; painting moves the edges to the window and reads the same
// records back.

#include <optional>
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

class IndentManagerBasic {
public:
    // An open list level reaches this far down until the level is closed.
    static constexpr int kOpenBottom = 9999999;
    // Each list level indents by this much beyond what is already there.
    static constexpr int kListIndent = 35;

    int Width = 0;       // available width
    int ClipWidth = 0;   // set by painting: right limit for preformatted text
    std::vector<IndentRec> LeftRecords;
    std::vector<IndentRec> RightRecords;
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
    TClearanceBottoms ClearanceBottoms() const;
    int ListClearance() const;
};

// The design keeps a descendant for cells; it adds nothing this program uses.
class IndentManager : public IndentManagerBasic {};
