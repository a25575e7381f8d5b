// The table reader of the builder: TABLE with its rows, cells and caption.
// Each cell is read by the body reader into the cell's own container; what a
// cell leaves on the font stack and in the style flags goes at the next cell.

#include "engine/builder/HtmlBuilder.h"

#include "engine/base/ScopeExit.h"
#include "engine/tables/HtmlTable.h"
#include "engine/layout/SectionList.h"

// What the table reader keeps while it runs.
struct THtmlBuilder::TTableState {
    std::unique_ptr<ThtmlTable> Table;
    std::unique_ptr<TCellList> Row;
    std::unique_ptr<TCellObj> Cell;
    TCellAlign RowAlign = TCellAlign::None;
    TVertAlign RowVAlign = TVertAlign::Middle;
    // Noted at the start and restored at each cell and at the end.
    TCell* Enclosing = nullptr;
    std::size_t FontDepth = 1;
    TFontStyles Style;
    TParaAlign Alignment = TParaAlign::Left;
    int Level = 0;
    // Where a cell's body reader stops.
    TStopSet CellStops;
};

void THtmlBuilder::ReadTable(int indent)
{
    if (!CanNest()) {
        Next();
        return;
    }
    TNestingScope nested(nesting_);
    EndLink();
    TTableState table;
    table.Enclosing = currentCell_;
    table.FontDepth = fonts_.size();
    table.Style = style_.Style;
    table.Alignment = alignment_;
    table.Level = indent;
    Include(table.CellStops, {TSymbol::TableEnd, TSymbol::Td, TSymbol::TdEnd, TSymbol::Tr, TSymbol::TrEnd,
                              TSymbol::Th, TSymbol::ThEnd, TSymbol::Caption, TSymbol::CaptionEnd});
    CloseSection();
    table.Table = std::make_unique<ThtmlTable>(document_, indent, currentCell_, alignment_, Attributes());
    currentCell_ = nullptr;
    {
        // What was read stays in the document, whatever ends the table, and
        // the current cell must not be left inside a table that is about to go.
        const TScopeExit finish([&] { FinishTable(table); });
        Next();
        ReadTableSymbols(table);
    }
    Next();
}

void THtmlBuilder::ReadTableSymbols(TTableState& table)
{
    for (TSymbol symbol = Sym(); symbol != TSymbol::TableEnd && symbol != TSymbol::EndOfInput; symbol = Sym()) {
        switch (symbol) {
        case TSymbol::Tr:
            EndLink();
            EndRow(table);
            StartRow(table, &Attributes());
            Next();
            break;
        case TSymbol::TrEnd:
            EndLink();
            EndRow(table);
            Next();
            break;
        case TSymbol::Td:
        case TSymbol::Th:
            ReadCell(table);
            break;
        case TSymbol::TdEnd:
        case TSymbol::ThEnd:
            CloseCell(table);
            Next();
            break;
        case TSymbol::Caption:
            ReadCaption(table);
            break;
        case TSymbol::TextRun:
            ReadTextBeforeTable(table);
            break;
        default:
            Next();
            break;
        }
    }
}

void THtmlBuilder::RestoreCellState(const TTableState& table)
{
    EndLink();
    PopFontsTo(table.FontDepth);
    style_.Style = table.Style;
}

void THtmlBuilder::StartRow(TTableState& table, const TAttributeList* attributes)
{
    table.Row = attributes ? std::make_unique<TCellList>(*attributes) : std::make_unique<TCellList>();
    table.RowAlign = attributes ? ReadCellAlign(*attributes) : TCellAlign::None;
    table.RowVAlign = attributes ? ReadVertAlign(*attributes, TVertAlign::Middle) : TVertAlign::Middle;
}

void THtmlBuilder::EndRow(TTableState& table)
{
    if (!table.Row)
        return;
    CloseCell(table);
    table.Table->AddRow(std::move(table.Row));
}

void THtmlBuilder::CloseCell(TTableState& table)
{
    CloseSection();
    if (table.Cell) {
        if (!table.Row)
            StartRow(table, nullptr);
        table.Row->Add(std::move(table.Cell));
    }
    currentCell_ = nullptr;
}

void THtmlBuilder::ReadCell(TTableState& table)
{
    const bool heading = Sym() == TSymbol::Th;
    RestoreCellState(table);
    if (!table.Row)
        StartRow(table, nullptr);
    CloseCell(table);
    if (heading)
        style_.Style.Include(TFontStyle::Bold);
    else
        style_.Style.Exclude(TFontStyle::Bold);
    // The row's alignment, else the kind's; the cell's own ALIGN and VALIGN
    // override the defaults it is given.
    const TParaAlign kindAlignment = heading ? TParaAlign::Centre : TParaAlign::Left;
    table.Cell = std::make_unique<TCellObj>(document_, Attributes(), ToParaAlign(table.RowAlign, kindAlignment),
                                            table.RowVAlign);
    alignment_ = table.Cell->Alignment;
    currentCell_ = &table.Cell->Cell;
    lexer_.SkipWhiteSpace();
    // Set before the first symbol of the cell is read, which clears it when it is content.
    lexer_.SetFirstItem(true);
    Next();
    ReadBody(0, table.CellStops);
}

void THtmlBuilder::ReadCaption(TTableState& table)
{
    RestoreCellState(table);
    CloseCell(table);
    if (Attributes().Find(TSymbol::Align))
        table.Table->PlaceCaption(Attributes());
    currentCell_ = &table.Table->Caption.Cell;
    alignment_ = TParaAlign::Centre;
    Next();
    ReadBody(0, table.CellStops);
    CloseSection();
    currentCell_ = nullptr;
    if (Sym() == TSymbol::CaptionEnd)
        Next();
}

// Text outside every cell goes before the table, with whatever follows it up
// to the next cell, row, caption or table tag.
void THtmlBuilder::ReadTextBeforeTable(TTableState& table)
{
    currentCell_ = table.Enclosing;
    ReadBody(table.Level, table.CellStops);
    CloseSection();
    currentCell_ = nullptr;
}

void THtmlBuilder::FinishTable(TTableState& table)
{
    EndLink();
    PopFontsTo(table.FontDepth);
    CloseCell(table);
    table.Table->AddRow(std::move(table.Row));
    currentCell_ = table.Enclosing;
    if (currentCell_)
        currentCell_->Add(std::move(table.Table));
    style_.Style = table.Style;
    alignment_ = table.Alignment;
}
