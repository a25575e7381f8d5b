#include "engine/tables/HtmlTable.h"

#include "engine/canvas/Canvas.h"
#include "engine/layout/IndentManager.h"
#include "engine/base/LayoutLimits.h"
#include "engine/base/MulDiv.h"
#include "engine/base/Rect.h"
#include "engine/layout/SectionList.h"

#include <QRegion>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <map>
#include <type_traits>
#include <typeinfo>

namespace {

bool HasPercentSign(const TAttribute& attribute) { return attribute.Text.find('%') != std::string::npos; }

bool IsPercentInRange(int value) { return value > 0 && value <= 100; }

std::optional<TColor> DocumentColor(const TAttributeList& attributes, TSymbol symbol)
{
    const TAttribute* attribute = attributes.Find(symbol);
    if (!attribute)
        return std::nullopt;
    const std::optional<TColor> color = ParseColor(attribute->Text);
    if (!color)
        return std::nullopt;
    return *color | kPaletteRelative;
}

// A cell fills a 112-byte allocation: a table of a million cells is mostly
// cells.
static_assert(sizeof(TCellObj) <= 104);

// The item as a table, or null. Tables are final: comparing the type is
// enough, and much quicker than a dynamic_cast, which a layout pass asks of
// every item of every cell.
ThtmlTable* AsTable(const std::unique_ptr<TSectionBase>& item)
{
    static_assert(std::is_final_v<ThtmlTable>);
    return typeid(*item) == typeid(ThtmlTable) ? static_cast<ThtmlTable*>(item.get()) : nullptr;
}

// A span beyond the grid's limit only ever leads to the too-many-columns
// error; keeping it at the limit spares making a million fillers first.
constexpr int kLargestColumnSpan = kMaxColumns + 1;

} // namespace

// ---------------------------------------------------------------------------
// Cells and rows

// Tells the tables standing in a cell that the layout coming is a measuring:
// they work out their height without placing their own cells, which the
// final layout does once. So each level of nesting adds one measuring of its
// cells instead of doubling the work below it.
class TMeasuringScope {
public:
    explicit TMeasuringScope(TCell& cell) : cell_(cell) { Mark(true); }
    ~TMeasuringScope() { Mark(false); }
    TMeasuringScope(const TMeasuringScope&) = delete;
    TMeasuringScope& operator=(const TMeasuringScope&) = delete;

private:
    void Mark(bool measuring)
    {
        for (const auto& item : cell_.Items)
            if (ThtmlTable* table = AsTable(item))
                table->measuringOnly_ = measuring;
    }

    TCell& cell_;
};

TCellObj::TCellObj(TSectionList* document, const TAttributeList& attributes, TParaAlign align,
                   TVertAlign vertAlign)
    : Cell(document)
{
    if (const std::optional<TColor> color = DocumentColor(attributes, TSymbol::BgColor)) {
        Cell.HasBkColor = true;
        Cell.BkColor = *color;
    }
    if (const TAttribute* span = attributes.Find(TSymbol::ColSpan); span && span->Value > 1)
        ColumnSpan = std::min(span->Value, kLargestColumnSpan);
    if (const TAttribute* span = attributes.Find(TSymbol::RowSpan); span && span->Value > 1)
        RowSpan = span->SizeValue();
    if (const TAttribute* width = attributes.Find(TSymbol::Width)) {
        if (!HasPercentSign(*width)) {
            if (width->Value > 0)
                SpecifiedWidth = width->SizeValue();
        } else if (IsPercentInRange(width->Value)) {
            SpecifiedWidth = width->Value * 10;
            WidthIsPercent = true;
        }
    }
    if (const TAttribute* height = attributes.Find(TSymbol::Height))
        SpecifiedHeight = height->SizeValue();
    Alignment = ToParaAlign(ReadCellAlign(attributes), align);
    VertAlign = ReadVertAlign(attributes, vertAlign);
}

TCellObj::TCellObj(TSectionList* document, int columnSpan, int rowSpan)
    : Cell(document), ColumnSpan(columnSpan), RowSpan(rowSpan)
{
}

int TCellObj::MeasureContent(TCanvas& canvas, int width, TMeasuredHeights& others)
{
    if (width == measuredWidth_)
        return ContentHeight;
    if (measuredWidth_ != kUnmeasured)
        others.emplace(std::pair{this, measuredWidth_}, ContentHeight);
    if (const auto known = others.find({this, width}); known != others.end()) {
        ContentHeight = known->second;
    } else {
        // Measuring lays the content out at the top with positions of its
        // own; the final layout places it again. Tables in it only size
        // themselves.
        const TMeasuringScope measuring(Cell);
        int position = 0;
        int maxWidth = 0;
        ContentHeight = Cell.Layout(canvas, 0, width, position, maxWidth);
    }
    measuredWidth_ = width;
    return ContentHeight;
}

void TCellObj::ContentWidthRange(TCanvas& canvas, int& minimum, int& maximum)
{
    if (rangeMinimum_ == kUnmeasured) {
        Cell.WidthRange(canvas, rangeMinimum_, rangeMaximum_);
        rangeMinimum_ = std::min(rangeMinimum_, kMaxCellWidth);
        rangeMaximum_ = std::min(rangeMaximum_, kMaxCellWidth);
    }
    minimum = rangeMinimum_;
    maximum = rangeMaximum_;
}

TCellList::TCellList(const TAttributeList& attributes)
{
    if (const std::optional<TColor> color = DocumentColor(attributes, TSymbol::BgColor)) {
        HasBkColor = true;
        BkColor = *color;
    }
}

void TCellList::Add(std::unique_ptr<TCellObj> cell)
{
    if (cell)
        Cells.push_back(std::move(cell));
}

// ---------------------------------------------------------------------------
// The table: attributes and span expansion

ThtmlTable::ThtmlTable(TSectionList* document, int listLevel, TCell* enclosingCell, TParaAlign alignment,
                       const TAttributeList& attributes)
    : Caption(document, 1, 1), Alignment(alignment), ListLevel(listLevel), EnclosingCell(enclosingCell)
{
    Document = document;
    ReadAttributes(attributes);
}

ThtmlTable::~ThtmlTable() = default;

void ThtmlTable::ReadAttributes(const TAttributeList& attributes)
{
    switch (ReadCellAlign(attributes)) {
    case TCellAlign::Centre:
        Alignment = TParaAlign::Centre;
        break;
    case TCellAlign::Left:
        Alignment = TParaAlign::Left;
        Floating = true;
        break;
    case TCellAlign::Right:
        Alignment = TParaAlign::Right;
        Floating = true;
        break;
    case TCellAlign::None:
        break;
    }
    if (const std::optional<TColor> color = DocumentColor(attributes, TSymbol::BgColor)) {
        HasBkColor = true;
        BkColor = *color;
    }
    if (const TAttribute* border = attributes.Find(TSymbol::Border))
        Border = border->Value > 0;
    if (const TAttribute* padding = attributes.Find(TSymbol::CellPadding); padding && padding->Value >= 0)
        CellPadding = std::min(padding->Value, kMaxPadding);
    if (const TAttribute* spacing = attributes.Find(TSymbol::CellSpacing); spacing && spacing->Value >= 0)
        CellSpacing = std::min(spacing->Value, kMaxSpacing);
    if (const TAttribute* width = attributes.Find(TSymbol::Width)) {
        if (HasPercentSign(*width)) {
            WidthIsPercent = true;
            if (IsPercentInRange(width->Value))
                SpecifiedWidth = width->Value * 10;
        } else {
            SpecifiedWidth = width->SizeValue();
        }
    }
    if (const std::optional<TColor> color = DocumentColor(attributes, TSymbol::BorderColor)) {
        HasSpacingColor = true;
        SpacingColor = *color;
    }
    if (const TAttribute* space = attributes.Find(TSymbol::HSpace))
        HSpace = std::min(kMaxHSpace, std::abs(space->OffsetValue()));
    if (Border)
        CellSpacing += kBorderSpacing;
}

void ThtmlTable::AddRow(std::unique_ptr<TCellList> row)
{
    if (row)
        Rows.push_back(std::move(row));
}

void ThtmlTable::PlaceCaption(const TAttributeList& attributes)
{
    const TAttribute* align = attributes.Find(TSymbol::Align);
    CaptionOnTop = !align || LowerCasePrefix(align->Text) != "bottom";
}

void ThtmlTable::AddFillers(TCellList& row, std::size_t at, int count, int rowSpan)
{
    std::vector<std::unique_ptr<TCellObj>> fillers;
    for (int i = 0; i < count; ++i)
        fillers.push_back(std::make_unique<TCellObj>(Document, 0, rowSpan));
    row.Cells.insert(row.Cells.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(fillers.begin()),
                     std::make_move_iterator(fillers.end()));
}

int ThtmlTable::LongestRow() const
{
    std::size_t longest = 0;
    for (const auto& row : Rows)
        longest = std::max(longest, row->Cells.size());
    return static_cast<int>(longest);
}

void ThtmlTable::ExpandColumnSpans()
{
    for (const auto& row : Rows) {
        if (row->HasBkColor)
            for (const auto& cell : row->Cells)
                if (!cell->Cell.HasBkColor) {
                    cell->Cell.HasBkColor = true;
                    cell->Cell.BkColor = row->BkColor;
                }
        // From the last cell back, so that inserted fillers do not move the
        // cells still to visit.
        for (std::size_t index = row->Cells.size(); index-- > 0;) {
            TCellObj& cell = *row->Cells[index];
            if (cell.HasPixelWidth())
                HasPixelCells = true;
            if (!cell.Cell.HasBkColor && HasBkColor) {
                cell.Cell.HasBkColor = true;
                cell.Cell.BkColor = BkColor;
            }
            if (cell.ColumnSpan > 1)
                AddFillers(*row, index + 1, cell.ColumnSpan - 1, cell.RowSpan);
        }
    }
}

void ThtmlTable::ExpandRowSpans()
{
    const int rowCount = static_cast<int>(Rows.size());
    // Fillers push cells to the right, so the grid may widen as this goes.
    for (int column = 0; column < LongestRow(); ++column) {
        const std::size_t slot = static_cast<std::size_t>(column);
        for (int rowIndex = 0; rowIndex < rowCount; ++rowIndex) {
            TCellList& row = *Rows[static_cast<std::size_t>(rowIndex)];
            if (row.Cells.size() <= slot)
                continue;
            TCellObj& cell = *row.Cells[slot];
            cell.RowSpan = std::min(cell.RowSpan, rowCount - rowIndex);
            for (int below = rowIndex + 1; below < rowIndex + cell.RowSpan; ++below) {
                TCellList& spanned = *Rows[static_cast<std::size_t>(below)];
                if (spanned.Cells.size() < slot)
                    AddFillers(spanned, spanned.Cells.size(), static_cast<int>(slot - spanned.Cells.size()), 0);
                AddFillers(spanned, slot, 1, 0);
                // Rows only grow from here: stop before a hostile page makes
                // the grid huge, the outcome is the same error.
                if (static_cast<int>(spanned.Cells.size()) > kMaxColumns)
                    return;
            }
        }
    }
}

void ThtmlTable::ExpandSpans()
{
    if (!HasBkColor && EnclosingCell && EnclosingCell->HasBkColor) {
        HasBkColor = true;
        BkColor = EnclosingCell->BkColor;
    }
    if (tooManyColumns_)
        throw EProcessError("Table has too many Columns");
    if (SpansExpanded)
        return;
    ExpandColumnSpans();
    ColumnCount = LongestRow();
    if (ColumnCount <= kMaxColumns)
        ExpandRowSpans();
    ColumnCount = LongestRow();
    if (ColumnCount > kMaxColumns) {
        tooManyColumns_ = true;
        throw EProcessError("Table has too many Columns");
    }
    SpansExpanded = true;
}

// ---------------------------------------------------------------------------
// Measuring

void ThtmlTable::StartMeasuring()
{
    if (nestedInTable_)
        return;
    if (Document && Document->WidthRangeGeneration != rangeGeneration_) {
        rangeGeneration_ = Document->WidthRangeGeneration;
        ForgetMeasurings(TForget::HeightsAndWidthRanges);
    } else {
        ForgetMeasurings(TForget::Heights);
    }
}

void ThtmlTable::ForgetMeasurings(TForget what)
{
    const auto forget = [what](TCellObj& cell) {
        cell.ForgetHeight();
        if (what == TForget::HeightsAndWidthRanges)
            cell.ForgetWidthRange();
        for (const auto& item : cell.Cell.Items)
            if (ThtmlTable* nested = AsTable(item)) {
                nested->nestedInTable_ = true;
                nested->ForgetMeasurings(what);
            }
    };
    otherHeights_.clear();
    forget(Caption);
    for (const auto& row : Rows)
        for (const auto& cell : row->Cells)
            forget(*cell);
}

int ThtmlTable::ContentWidth(const TCellObj& cell) const
{
    return std::max(0, cell.Width - CellSpacing - 2 * CellPadding);
}

TColumnCell ThtmlTable::ColumnCell(TCanvas& canvas, TCellObj& cell, int column)
{
    int minimum = 0;
    int maximum = 0;
    cell.ContentWidthRange(canvas, minimum, maximum);
    return {column, cell.ColumnSpan, minimum + CellSurround(), maximum + CellSurround(), CellSurround(),
            cell.SpecifiedWidth, cell.WidthIsPercent};
}

TColumnRanges ThtmlTable::ColumnRanges(TCanvas& canvas, int referenceWidth, bool pixelVariant)
{
    TColumnRangeBuilder builder = pixelVariant ? TColumnRangeBuilder::Pixel(ColumnCount)
                                               : TColumnRangeBuilder::Percent(ColumnCount, referenceWidth);
    for (const auto& row : Rows)
        for (std::size_t column = 0; column < row->Cells.size(); ++column)
            if (TCellObj& cell = *row->Cells[column]; !cell.IsFiller())
                builder.Add(ColumnCell(canvas, cell, static_cast<int>(column)));
    return builder.Ranges();
}

void ThtmlTable::WidthRange(TCanvas& canvas, int& minimum, int& maximum)
{
    StartMeasuring();
    try {
        ExpandSpans();
    } catch (const EProcessError&) {
        // The table's own layout reports it; its container is still measured.
        minimum = 0;
        maximum = 0;
        return;
    }
    const bool pixelVariant = HasPixelCells && !HasWidth();
    const bool pixelWidth = HasWidth() && !WidthIsPercent;
    const TColumnRanges ranges = ColumnRanges(canvas, pixelWidth ? SpecifiedWidth : 0, pixelVariant);
    minimum = ranges.TotalMinimum + CellSpacing;
    maximum = ranges.TotalMaximum + CellSpacing;
    if (pixelWidth) {
        minimum = std::max(minimum, SpecifiedWidth);
        maximum = std::max(maximum, SpecifiedWidth);
    }
    int captionMinimum = 0;
    int captionMaximum = 0;
    Caption.ContentWidthRange(canvas, captionMinimum, captionMaximum);
    minimum = std::max(minimum, captionMinimum);
    maximum = std::max(maximum, captionMaximum);
}

// ---------------------------------------------------------------------------
// Layout

void ThtmlTable::ComputeColumnWidths(TCanvas& canvas, int available)
{
    int tableTarget = available;
    if (HasWidth())
        tableTarget = WidthIsPercent ? MulDiv(available, SpecifiedWidth, kFullPercent) : SpecifiedWidth;
    const int target = std::max(tableTarget - CellSpacing, kNarrowestWidth);

    ExpandSpans();
    const bool pixelVariant = HasPixelCells && !HasWidth();
    const TColumnRanges ranges = ColumnRanges(canvas, target, pixelVariant);
    const TWidthRule rule = pixelVariant ? TWidthRule::Pixel : HasWidth() ? TWidthRule::Fixed : TWidthRule::Percent;
    ColumnWidths = DistributeColumnWidths(ranges, target, rule);
    ColumnPercents = ranges.Percents;
}

void ThtmlTable::ComputeRowHeights(TCanvas& canvas, int available)
{
    GridWidth = CellSpacing;
    for (int column = 0; column < ColumnCount; ++column)
        GridWidth += ColumnWidths[column];
    // A caption wider than the grid widens the table as far as it needs,
    // within the width available, rather than wrapping after every word.
    int captionMaximum = 0;
    Caption.ContentWidthRange(canvas, CaptionMinWidth, captionMaximum);
    TableWidth = std::max({GridWidth, CaptionMinWidth, std::min(captionMaximum, available)});

    // The rows that start a cell of each span above 1.
    std::map<int, std::vector<std::size_t>> rowsBySpan;
    for (std::size_t rowIndex = 0; rowIndex < Rows.size(); ++rowIndex) {
        const auto& cells = Rows[rowIndex]->Cells;
        for (std::size_t column = 0; column < cells.size(); ++column) {
            TCellObj& cell = *cells[column];
            if (cell.IsFiller())
                continue;
            cell.Width = 0;
            for (std::size_t spanned = column; spanned < column + cell.ColumnSpan && spanned < kColumnSlots; ++spanned)
                cell.Width += ColumnWidths[spanned];
            if (cell.RowSpan > 1) {
                auto& starts = rowsBySpan[cell.RowSpan];
                if (starts.empty() || starts.back() != rowIndex)
                    starts.push_back(rowIndex);
            }
        }
    }

    for (std::size_t rowIndex = 0; rowIndex < Rows.size(); ++rowIndex)
        Rows[rowIndex]->RowHeight = RowNeed(canvas, *Rows[rowIndex], 1);
    // Longer spans come after shorter ones: a span that the rows it covers
    // cannot hold makes them taller, the last one taking what the division
    // leaves. Rows that start no cell of the span are already tall enough.
    for (const auto& [span, starts] : rowsBySpan) {
        const std::size_t count = static_cast<std::size_t>(span);
        for (const std::size_t first : starts) {
            const int need = RowNeed(canvas, *Rows[first], span);
            std::int64_t sum = 0;
            for (std::size_t spanned = first; spanned < first + count; ++spanned)
                sum += Rows[spanned]->RowHeight;
            if (sum >= need)
                continue;
            const int missing = need - static_cast<int>(sum);
            const int each = missing / span;
            for (std::size_t spanned = first; spanned < first + count; ++spanned)
                Rows[spanned]->RowHeight += each;
            Rows[first + count - 1]->RowHeight += missing - each * span;
        }
    }
}

int ThtmlTable::RowNeed(TCanvas& canvas, TCellList& row, int span)
{
    int need = 0;
    for (const auto& cell : row.Cells) {
        if (cell->IsFiller() || cell->RowSpan != span)
            continue;
        const int content = cell->MeasureContent(canvas, ContentWidth(*cell), otherHeights_);
        need = std::max({need, content, cell->SpecifiedHeight - 2 * CellPadding});
    }
    return need + CellSurround();
}

void ThtmlTable::SetVertOffset(TCellObj& cell) const
{
    const int free = cell.Height - cell.ContentHeight - CellSpacing - 2 * CellPadding;
    switch (cell.VertAlign) {
    case TVertAlign::Top:
        cell.VertOffset = 0;
        break;
    case TVertAlign::Middle:
        cell.VertOffset = free / 2;
        break;
    case TVertAlign::Bottom:
        cell.VertOffset = free;
        break;
    }
}

int ThtmlTable::LayoutRows(TCanvas& canvas, int y, int& position)
{
    // Rows past the layout limit are laid out at it, so that every sum of
    // row heights below stays within it.
    int bottom = y;
    for (const auto& row : Rows) {
        const int top = bottom;
        bottom = ExtentSum(top, row->RowHeight);
        row->RowHeight = bottom - top;
    }
    int height = 0;
    for (std::size_t rowIndex = 0; rowIndex < Rows.size(); ++rowIndex) {
        TCellList& row = *Rows[rowIndex];
        row.DrawHeight = 0;
        for (const auto& cell : row.Cells) {
            cell->Height = 0;
            const std::size_t end = std::min(Rows.size(), rowIndex + static_cast<std::size_t>(cell->RowSpan));
            for (std::size_t spanned = rowIndex; spanned < end; ++spanned)
                cell->Height += Rows[spanned]->RowHeight;
            row.DrawHeight = std::max(row.DrawHeight, cell->Height);
            if (cell->IsFiller())
                continue;
            SetVertOffset(*cell);
            if (measuringOnly_)
                continue;
            int maxWidth = 0;
            cell->Cell.Layout(canvas, y + height + CellPadding + CellSpacing + cell->VertOffset, ContentWidth(*cell),
                              position, maxWidth);
        }
        height += row.RowHeight;
    }
    return height + CellSpacing;
}

void ThtmlTable::PlaceHorizontally(int available, int leftEdge)
{
    TableX = 0;
    if (TableWidth < available) {
        if (Alignment == TParaAlign::Centre)
            TableX = (available - TableWidth) / 2;
        else if (Alignment == TParaAlign::Right)
            TableX = available - TableWidth;
    }
    TableX += leftEdge;
    // A caption wider than the grid centres the grid below it.
    GridX = (TableWidth - GridWidth) / 2 + TableX;
}

int ThtmlTable::LayoutCaption(TCanvas& canvas, int y, int& position)
{
    if (measuringOnly_)
        return Caption.MeasureContent(canvas, TableWidth, otherHeights_);
    int captionWidth = 0;
    return Caption.Cell.Layout(canvas, y, TableWidth, position, captionWidth);
}

int ThtmlTable::Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent)
{
    StartMeasuring();
    Y = y;
    StartPosition = position;
    indent.SetListLevel(y, ListLevel);
    const int leftEdge = indent.LeftEdge(y);
    const int available = indent.RightEdge(y) - leftEdge;

    ComputeColumnWidths(canvas, available);
    ComputeRowHeights(canvas, available);

    CaptionHeight = 0;
    if (CaptionOnTop)
        CaptionHeight = LayoutCaption(canvas, y, position);
    SectionHeight = CaptionHeight;
    RowsStart = SectionHeight;
    SectionHeight += LayoutRows(canvas, y + RowsStart, position);
    RowsHeight = SectionHeight - RowsStart;
    if (!CaptionOnTop)
        SectionHeight += LayoutCaption(canvas, y + RowsHeight, position);

    PlaceHorizontally(available, leftEdge);
    Length = position - StartPosition;
    maxWidth = TableWidth;
    // The pass is over: the heights it measured at other widths would only
    // hold memory, a few dozen bytes a cell, until the next pass forgets them
    // anyway. The width ranges stay in the cells, at no cost.
    if (!nestedInTable_)
        ForgetMeasurings(TForget::Heights);

    DrawHeight = SectionHeight;
    if (!Floating)
        return SectionHeight;
    // Text flows beside a floating table: it takes no room in the flow.
    const TFloatSide side = Alignment == TParaAlign::Right ? TFloatSide::Right : TFloatSide::Left;
    indent.RegisterFloat(side, y, DrawHeight, TableWidth + HSpace + 1);
    SectionHeight = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Painting

void ThtmlTable::PaintFrame(TCanvas& canvas, const TRect& box, TFrame frame) const
{
    const bool raised = frame == TFrame::Raised;
    const TColor light = Document->BackgroundIsWhite() ? clSilver : clBtnHighlight;
    const TColor dark = clBtnShadow;
    canvas.SetPen(raised ? light : dark);
    canvas.MoveTo(box.Left, box.Bottom);
    canvas.LineTo(box.Left, box.Top);
    canvas.LineTo(box.Right, box.Top);
    canvas.SetPen(raised ? dark : light);
    canvas.LineTo(box.Right, box.Bottom);
    canvas.LineTo(box.Left, box.Bottom);
}

void ThtmlTable::PaintRows(TCanvas& canvas, const TRect& clip, int gridTop, int x, QRegion* spacingRegion)
{
    const int offset = Document->YOffset;
    int rowTop = gridTop;
    for (const auto& row : Rows) {
        const int windowTop = rowTop - offset;
        if (windowTop >= clip.Bottom)
            break; // the rows below start lower still
        if (windowTop + row->DrawHeight > clip.Top) {
            int cellX = x;
            for (std::size_t column = 0; column < row->Cells.size(); ++column) {
                TCellObj& cell = *row->Cells[column];
                if (!cell.IsFiller()) {
                    const TRect box{cellX + CellSpacing, windowTop + CellSpacing, cellX + cell.Width,
                                    windowTop + cell.Height};
                    if (cell.Cell.HasBkColor) {
                        canvas.SetBrush(cell.Cell.BkColor);
                        canvas.FillRect(box);
                    }
                    cell.Cell.Paint(canvas, clip, rowTop + CellSpacing + CellPadding + cell.VertOffset,
                                    cellX + CellSpacing + CellPadding, ContentWidth(cell));
                    if (Border)
                        PaintFrame(canvas, {box.Left - 1, box.Top - 1, box.Right, box.Bottom}, TFrame::Sunken);
                    if (spacingRegion) {
                        const TRect kept = Border ? TRect{box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1}
                                                  : box;
                        *spacingRegion = CombineRegions(*spacingRegion, RectRegion(kept), TRegionOp::Difference);
                    }
                }
                if (column < kColumnSlots)
                    cellX += ColumnWidths[column];
            }
        }
        rowTop += row->RowHeight;
    }
}

int ThtmlTable::Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager&)
{
    const int offset = Document->YOffset;
    const int windowTop = y - offset;
    if (windowTop >= clip.Bottom || windowTop + DrawHeight <= clip.Top)
        return y + SectionHeight;

    const int gridLeft = x + GridX;
    int gridTop = y;
    if (CaptionOnTop) {
        Caption.Cell.Paint(canvas, clip, y, x + TableX, TableWidth);
        gridTop += CaptionHeight;
    }

    std::optional<QRegion> spacingRegion;
    if (HasSpacingColor)
        spacingRegion = RectRegion({gridLeft, std::max(clip.Top - 1, gridTop - offset), gridLeft + GridWidth,
                                    std::min(clip.Bottom, gridTop + RowsHeight - offset)});
    PaintRows(canvas, clip, gridTop, gridLeft, spacingRegion ? &*spacingRegion : nullptr);
    if (spacingRegion)
        canvas.FillRegion(*spacingRegion, SpacingColor);

    if (Border) {
        const int rowsEnd = gridTop + RowsHeight - CellSpacing;
        const TRect grid{gridLeft, gridTop - offset, gridLeft + GridWidth - 1, rowsEnd + CellSpacing - offset - 1};
        PaintFrame(canvas, grid, TFrame::Raised);
    }
    if (!CaptionOnTop)
        Caption.Cell.Paint(canvas, clip, gridTop + RowsHeight, x + TableX, TableWidth);
    return y + SectionHeight;
}

// ---------------------------------------------------------------------------
// Queries and walks

ThtmlTable::TPartHit ThtmlTable::PartAt(int cellLeft, int x, int y, int bottom)
{
    if (y < 0 || y >= bottom)
        return {};
    const int captionLeft = cellLeft + TableX;
    const bool inCaption = captionLeft <= x && x <= captionLeft + TableWidth;
    if (CaptionOnTop && y < RowsStart)
        return inCaption ? TPartHit{&Caption.Cell, 0, captionLeft} : TPartHit{};
    if (!CaptionOnTop && y >= RowsHeight)
        return inCaption ? TPartHit{&Caption.Cell, RowsHeight, captionLeft} : TPartHit{};
    const int gridLeft = cellLeft + GridX;
    if (x < gridLeft || x > gridLeft + GridWidth)
        return {};

    int rowTop = RowsStart;
    for (const auto& row : Rows) {
        if (rowTop > y)
            break; // cells of later rows start lower
        int cellX = gridLeft;
        for (std::size_t column = 0; column < row->Cells.size(); ++column) {
            TCellObj& cell = *row->Cells[column];
            if (!cell.IsFiller() && cellX <= x && x < cellX + cell.Width && rowTop <= y && y < rowTop + cell.Height)
                return {&cell.Cell, rowTop + CellSpacing + CellPadding + cell.VertOffset,
                        cellX + CellSpacing + CellPadding};
            if (column < kColumnSlots)
                cellX += ColumnWidths[column];
        }
        rowTop += row->RowHeight;
    }
    return {};
}

bool ThtmlTable::LinkAt(TCanvas& canvas, int cellLeft, int x, int y, TImageFormControlObj*& imageControl,
                        TUrlTarget& target)
{
    const TPartHit hit = PartAt(cellLeft, x, y, DrawHeight);
    return hit.Cell && hit.Cell->LinkAt(canvas, hit.ContentLeft, x, y - hit.ContentTop, imageControl, target);
}

bool ThtmlTable::ImageAt(int cellLeft, int x, int y, int& yInImage, int& xInImage, TImageObj*& image)
{
    const TPartHit hit = PartAt(cellLeft, x, y, DrawHeight);
    return hit.Cell && hit.Cell->ImageAt(hit.ContentLeft, x, y - hit.ContentTop, yInImage, xInImage, image);
}

int ThtmlTable::PositionAt(TCanvas& canvas, int cellLeft, int x, int y, bool& insideText, int& lineHeight,
                           int& lineTop, int& cursorX, TCell*& cell)
{
    // A floating table takes no section height: its whole painted band counts.
    const TPartHit hit = PartAt(cellLeft, x, y, DrawHeight);
    if (!hit.Cell)
        return -1;
    const int position = hit.Cell->PositionAt(canvas, hit.ContentLeft, x, y - hit.ContentTop, insideText,
                                              lineHeight, lineTop, cursorX, cell);
    lineTop += hit.ContentTop;
    return position;
}

template <typename TVisitor>
bool ThtmlTable::VisitParts(TVisitor&& visit)
{
    if (CaptionOnTop && visit(Caption.Cell))
        return true;
    for (const auto& row : Rows)
        for (const auto& cell : row->Cells)
            if (visit(cell->Cell))
                return true;
    return !CaptionOnTop && visit(Caption.Cell);
}

int ThtmlTable::Search(int start, std::string_view text, bool matchCase)
{
    int found = -1;
    VisitParts([&](TCell& cell) {
        found = cell.Search(start, text, matchCase);
        return found >= 0;
    });
    return found;
}

bool ThtmlTable::PositionToPoint(TCanvas& canvas, int cellLeft, int position, int& y, int& x)
{
    if (Rows.empty() || position > StartPosition + Length)
        return false;
    const auto inPart = [&](TCell& part, int partLeft) { return part.PositionToPoint(canvas, partLeft, position, y, x); };
    const int captionLeft = cellLeft + TableX;
    if (CaptionOnTop && inPart(Caption.Cell, captionLeft))
        return true;
    for (const auto& row : Rows) {
        int cellX = cellLeft + GridX;
        for (std::size_t column = 0; column < row->Cells.size(); ++column) {
            if (inPart(row->Cells[column]->Cell, cellX + CellSpacing + CellPadding))
                return true;
            if (column < kColumnSlots)
                cellX += ColumnWidths[column];
        }
    }
    return !CaptionOnTop && inPart(Caption.Cell, captionLeft);
}

int ThtmlTable::PageBreakAbove(int limit) const
{
    int rowTop = Y + RowsStart;
    for (const auto& row : Rows) {
        if (rowTop + row->RowHeight > limit)
            return rowTop > limit ? Y : rowTop;
        rowTop += row->RowHeight;
    }
    // Below the last row: the bottom spacing or a caption underneath.
    return rowTop;
}

void ThtmlTable::RangeBoxes(int cellLeft, int begin, int end, std::vector<TRect>& boxes)
{
    if (Rows.empty() || end <= StartPosition || begin > StartPosition + Length)
        return;
    const int captionLeft = cellLeft + TableX;
    if (CaptionOnTop)
        Caption.Cell.RangeBoxes(captionLeft, begin, end, boxes);
    for (const auto& row : Rows) {
        int cellX = cellLeft + GridX;
        for (std::size_t column = 0; column < row->Cells.size(); ++column) {
            row->Cells[column]->Cell.RangeBoxes(cellX + CellSpacing + CellPadding, begin, end, boxes);
            if (column < kColumnSlots)
                cellX += ColumnWidths[column];
        }
    }
    if (!CaptionOnTop)
        Caption.Cell.RangeBoxes(captionLeft, begin, end, boxes);
}

bool ThtmlTable::CharAt(int position, char& ch, TSectionBase*& item)
{
    if (Rows.empty() || position < StartPosition || position > StartPosition + Length)
        return false;
    return VisitParts([&](TCell& cell) { return cell.CharAt(position, ch, item); });
}

void ThtmlTable::CopySelection(TTextSink& sink)
{
    VisitParts([&sink](TCell& cell) {
        cell.CopySelection(sink);
        return false;
    });
}

void ThtmlTable::VisitItems(const std::function<void(const TSectionBase& item)>& visit) const
{
    visit(*this);
    for (const auto& row : Rows)
        for (const auto& cell : row->Cells)
            cell->Cell.VisitItems(visit);
    Caption.Cell.VisitItems(visit);
}

void ThtmlTable::ApplyDefaultFonts()
{
    // Other fonts measure the content anew (the tables inside forget their
    // own cells' ranges as their fonts change).
    for (const auto& row : Rows)
        for (const auto& cell : row->Cells) {
            cell->Cell.ApplyDefaultFonts();
            cell->ForgetWidthRange();
        }
    Caption.Cell.ApplyDefaultFonts();
    Caption.ForgetWidthRange();
}
