#pragma once
// Tables: a document item holding rows of cells on a grid of at most 30
// columns, with an optional caption. Spans are expanded into filler cells
// once; each layout derives column widths from the cells' width ranges, row
// heights from their measured content, aligns or floats the table, and
// painting draws backgrounds, the spacing colour and the 3-D borders.

#include "engine/layout/Cell.h"
#include "engine/tables/ColumnWidths.h"
#include "engine/base/Colors.h"
#include "engine/layout/SectionBase.h"
#include "engine/lexer/Symbols.h"

#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

class QRegion;
class TAttributeList;
class TMeasuringScope;

class TCellObj;

// Heights of cells measured at more than one width in a layout pass, by cell
// and width: the cell itself keeps only the last.
using TMeasuredHeights = std::map<std::pair<const TCellObj*, int>, int>;

// A cell of the grid: a TD or TH, a filler standing in a slot that a span
// covers, or the caption's holder.
class TCellObj {
public:
    // A cell read from TD or TH. The row gives the default alignments; ALIGN
    // and VALIGN of the cell override them.
    TCellObj(TSectionList* document, const TAttributeList& attributes, TParaAlign align, TVertAlign vertAlign);
    // An empty cell with the given spans: a filler (column span 0), or the
    // caption's holder.
    TCellObj(TSectionList* document, int columnSpan, int rowSpan);

    // A cell asks for no more width than a WIDTH may give, however wide its
    // content: a 30-column grid of such cells, nested 200 deep, still has
    // its X within an int.
    static constexpr int kMaxCellWidth = kMaxAttributeSize;

    // The content; its background fields hold BGCOLOR. The small fields
    // below fill the space the cell leaves at its end, so that a table cell
    // takes one 112-byte allocation.
    [[no_unique_address]] TCell Cell;
    TVertAlign VertAlign = TVertAlign::Top;
    bool WidthIsPercent = false;
    // The alignment the builder gives the cell's paragraphs.
    TParaAlign Alignment = TParaAlign::Left;
    int ColumnSpan = 1;   // 0 marks a filler
    int RowSpan = 1;
    int Width = 0;        // sum of the widths of the spanned columns
    int Height = 0;       // sum of the heights of the spanned rows
    int ContentHeight = 0;
    int SpecifiedHeight = 0;
    int VertOffset = 0;   // top of the content below the cell top
    int SpecifiedWidth = 0; // pixels, or tenths of a percent

    bool IsFiller() const { return ColumnSpan == 0; }
    bool HasPixelWidth() const { return SpecifiedWidth > 0 && !WidthIsPercent; }

    // What measuring the content yields, kept for the layout pass: laying a
    // cell out is the expensive part of a table, and nested tables would
    // otherwise measure their cells twice per level of nesting.
    // The content's height laid out at the width (ContentHeight is set too);
    // `others` keeps the heights at the widths measured before.
    int MeasureContent(TCanvas& canvas, int width, TMeasuredHeights& others);
    void ForgetHeight() { measuredWidth_ = kUnmeasured; }
    // The content's width range does not depend on the width laid out at: it
    // is kept from pass to pass until the content or its fonts change.
    void ContentWidthRange(TCanvas& canvas, int& minimum, int& maximum);
    void ForgetWidthRange() { rangeMinimum_ = kUnmeasured; }

private:
    static constexpr int kUnmeasured = -1;

    int rangeMinimum_ = kUnmeasured;
    int rangeMaximum_ = kUnmeasured;
    // The width ContentHeight was measured at.
    int measuredWidth_ = kUnmeasured;
};

// A row: one cell object per grid column once the spans are expanded.
class TCellList {
public:
    TCellList() = default;
    // A row read from TR (BGCOLOR).
    explicit TCellList(const TAttributeList& attributes);

    std::vector<std::unique_ptr<TCellObj>> Cells;
    int RowHeight = 0;
    int DrawHeight = 0; // tallest cell starting in the row, spans included
    bool HasBkColor = false;
    TColor BkColor = 0;

    void Add(std::unique_ptr<TCellObj> cell);
};

class ThtmlTable final : public TSectionBase {
public:
    static constexpr int kMaxPadding = 50;
    static constexpr int kMaxSpacing = 40;
    static constexpr int kMaxHSpace = 20;
    // The narrowest a grid is laid out.
    static constexpr int kNarrowestWidth = 20;
    // A bordered table's spacing grows by this much to leave room for the frames.
    static constexpr int kBorderSpacing = 2;

    // A table read from TABLE, standing in `enclosingCell` at the list level.
    // The alignment is the builder's current one; ALIGN overrides it.
    ThtmlTable(TSectionList* document, int listLevel, TCell* enclosingCell, TParaAlign alignment,
               const TAttributeList& attributes);
    ~ThtmlTable() override;

    std::vector<std::unique_ptr<TCellList>> Rows;
    TCellObj Caption;
    bool SpansExpanded = false;
    bool Border = false;
    bool CaptionOnTop = true;
    int GridX = 0;  // relative to the layout's left edge
    int TableX = 0;
    TParaAlign Alignment;
    bool Floating = false;
    int ColumnCount = 0;
    int GridWidth = 0;
    int TableWidth = 0;
    int SpecifiedWidth = 0; // pixels, or tenths of a percent
    bool WidthIsPercent = false;
    bool HasPixelCells = false;
    int CaptionHeight = 0;
    int RowsStart = 0;
    int RowsHeight = 0;
    int CellPadding = 1;
    int CellSpacing = 2;
    int CaptionMinWidth = 0;
    TColumnArray ColumnWidths{};
    TColumnArray ColumnPercents{};
    int HSpace = 5;
    int ListLevel;
    bool HasBkColor = false;
    TColor BkColor = 0;
    bool HasSpacingColor = false;
    TColor SpacingColor = 0;
    TCell* EnclosingCell;

    void AddRow(std::unique_ptr<TCellList> row);
    // CAPTION: ALIGN=BOTTOM puts the caption below the grid, anything else above.
    void PlaceCaption(const TAttributeList& attributes);

    // Turns column and row spans into fillers so that every row holds one
    // cell object per grid column. Raises EProcessError when the grid has more
    // than 30 columns.
    void ExpandSpans();

    void CopySelection(TTextSink& sink) override;
    int Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent) override;
    int Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager& indent) override;
    bool LinkAt(TCanvas& canvas, int cellLeft, int x, int y, TImageFormControlObj*& imageControl,
                TUrlTarget& target) override;
    bool ImageAt(int cellLeft, int x, int y, int& yInImage, int& xInImage, TImageObj*& image) override;
    int PositionAt(TCanvas& canvas, int cellLeft, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                   int& cursorX, TCell*& cell) override;
    int Search(int start, std::string_view text, bool matchCase) override;
    bool PositionToPoint(TCanvas& canvas, int cellLeft, int position, int& y, int& x) override;
    bool CharAt(int position, char& ch, TSectionBase*& item) override;
    int PageBreakAbove(int limit) const override;
    void RangeBoxes(int cellLeft, int begin, int end, std::vector<TRect>& boxes) override;
    void ApplyDefaultFonts() override;
    void WidthRange(TCanvas& canvas, int& minimum, int& maximum) override;
    void VisitItems(const std::function<void(const TSectionBase& item)>& visit) const override;

private:
    // The caption or cell content under a point; no cell outside them.
    struct TPartHit {
        TCell* Cell = nullptr;
        int ContentTop = 0;  // the content's top relative to the table top
        int ContentLeft = 0; // the content's left edge in window X
    };
    enum class TFrame { Raised, Sunken };

    void ReadAttributes(const TAttributeList& attributes);
    bool HasWidth() const { return SpecifiedWidth >= 1; }
    int CellSurround() const { return 2 * CellPadding + CellSpacing; }
    int ContentWidth(const TCellObj& cell) const;

    // Heights are kept for one layout pass, width ranges while the
    // document's range generation stays: a table that stands in the document
    // (not in another table) forgets them, and those of the tables nested in
    // it, when a pass or a width query starts.
    enum class TForget { Heights, HeightsAndWidthRanges };
    void StartMeasuring();
    void ForgetMeasurings(TForget what);

    void AddFillers(TCellList& row, std::size_t at, int count, int rowSpan);
    void ExpandColumnSpans();
    void ExpandRowSpans();
    int LongestRow() const;

    // The cell in the given grid column as the column passes see it.
    TColumnCell ColumnCell(TCanvas& canvas, TCellObj& cell, int column);
    TColumnRanges ColumnRanges(TCanvas& canvas, int referenceWidth, bool pixelVariant);
    void ComputeColumnWidths(TCanvas& canvas, int available);
    void ComputeRowHeights(TCanvas& canvas, int available);
    // The height the row needs for its cells of the given row span: the
    // tallest content (or HEIGHT) with padding and spacing.
    int RowNeed(TCanvas& canvas, TCellList& row, int span);
    // Lays the caption out at y, or only measures it while the table is measured.
    int LayoutCaption(TCanvas& canvas, int y, int& position);
    int LayoutRows(TCanvas& canvas, int y, int& position);
    void SetVertOffset(TCellObj& cell) const;
    void PlaceHorizontally(int available, int leftEdge);

    void PaintRows(TCanvas& canvas, const TRect& clip, int gridTop, int x, QRegion* spacingRegion);
    void PaintFrame(TCanvas& canvas, const TRect& box, TFrame frame) const;

    // The part under window X x and y relative to the table top, when y lies
    // above `bottom`; the table's cell has its left edge at window X cellLeft.
    TPartHit PartAt(int cellLeft, int x, int y, int bottom);

    // The caption on top, the cells row by row, the caption at the bottom,
    // until the visitor answers true.
    template <typename TVisitor>
    bool VisitParts(TVisitor&& visit);

    friend class TMeasuringScope;
    bool nestedInTable_ = false;
    // The coming layout only measures the table for its enclosing cell: its
    // own cells are sized but not placed.
    bool measuringOnly_ = false;
    bool tooManyColumns_ = false;
    TMeasuredHeights otherHeights_;
    // The document's range generation the cells' width ranges come from.
    unsigned rangeGeneration_ = 0;
};
