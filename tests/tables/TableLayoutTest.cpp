#include "TableFakes.h"

#include "engine/text/Section.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// Every cell below carries the default padding 1 and spacing 2, so a cell's
// column range is its content's range + 4 (2 x padding + spacing) unless said
// otherwise. A document laid out at width A gives the grid W = A - 2.

namespace {

using testing::ElementsAre;

class TableTest : public testing::Test, public TTableFixture {};

// A one-row table of boxes with the given (minimum, maximum) and cell attributes.
ThtmlTable& OneRow(TTableFixture& fixture, const TAttributeList& tableAttributes,
                   std::initializer_list<std::pair<std::pair<int, int>, TAttributeList>> cells)
{
    ThtmlTable& table = fixture.AddTable(tableAttributes);
    TCellList& row = TTableFixture::AddRow(table);
    for (const auto& [range, attributes] : cells)
        fixture.AddBoxCell(row, range.first, range.second, 10, attributes);
    return table;
}

TEST_F(TableTest, AttributesAreReadWithTheirLimits)
{
    auto spaced = MakeTable(Attrs({Attr(TSymbol::CellSpacing, "100"), Attr(TSymbol::CellPadding, "80"),
                                   Attr(TSymbol::HSpace, "-30")}));
    EXPECT_EQ(spaced->CellSpacing, 40);
    EXPECT_EQ(spaced->CellPadding, 50);
    EXPECT_EQ(spaced->HSpace, 20);

    auto bordered = MakeTable(Attrs({Attr(TSymbol::CellSpacing, "100"), Attr(TSymbol::Border, "1")}));
    EXPECT_EQ(bordered->CellSpacing, 42);
    EXPECT_TRUE(bordered->Border);

    auto negative = MakeTable(Attrs({Attr(TSymbol::CellSpacing, "-1"), Attr(TSymbol::CellPadding, "-5"),
                                     Attr(TSymbol::Border, "0")}));
    EXPECT_EQ(negative->CellSpacing, 2);
    EXPECT_EQ(negative->CellPadding, 1);
    EXPECT_FALSE(negative->Border);

    auto percent = MakeTable(Attrs({Attr(TSymbol::Width, "50%"), Attr(TSymbol::Align, "Center"),
                                    Attr(TSymbol::BgColor, "red"), Attr(TSymbol::BorderColor, "#0000FF")}));
    EXPECT_TRUE(percent->WidthIsPercent);
    EXPECT_EQ(percent->SpecifiedWidth, 500);
    EXPECT_EQ(percent->Alignment, TParaAlign::Centre);
    EXPECT_FALSE(percent->Floating);
    EXPECT_EQ(percent->BkColor, clRed | kPaletteRelative);
    EXPECT_EQ(percent->SpacingColor, clBlue | kPaletteRelative);

    auto tooWide = MakeTable(Attrs({Attr(TSymbol::Width, "150%"), Attr(TSymbol::Align, "right")}));
    EXPECT_TRUE(tooWide->WidthIsPercent);
    EXPECT_EQ(tooWide->SpecifiedWidth, 0);
    EXPECT_EQ(tooWide->Alignment, TParaAlign::Right);
    EXPECT_TRUE(tooWide->Floating);

    TCellList row(Attrs({Attr(TSymbol::BgColor, "yellow")}));
    EXPECT_TRUE(row.HasBkColor);
    TCellObj cell(&Document,
                  Attrs({Attr(TSymbol::ColSpan, "1"), Attr(TSymbol::RowSpan, "3"), Attr(TSymbol::Width, "20%"),
                         Attr(TSymbol::Height, "40"), Attr(TSymbol::Align, "right"), Attr(TSymbol::VAlign, "bottom")}),
                  TParaAlign::Centre, TVertAlign::Middle);
    EXPECT_EQ(cell.ColumnSpan, 1);
    EXPECT_EQ(cell.RowSpan, 3);
    EXPECT_EQ(cell.SpecifiedWidth, 200);
    EXPECT_TRUE(cell.WidthIsPercent);
    EXPECT_EQ(cell.SpecifiedHeight, 40);
    EXPECT_EQ(cell.Alignment, TParaAlign::Right);
    EXPECT_EQ(cell.VertAlign, TVertAlign::Bottom);
    TCellObj plain(&Document, Attrs({Attr(TSymbol::Width, "0"), Attr(TSymbol::ColSpan, "4")}), TParaAlign::Centre,
                   TVertAlign::Middle);
    EXPECT_EQ(plain.SpecifiedWidth, 0);
    EXPECT_EQ(plain.ColumnSpan, 4);
    EXPECT_EQ(plain.Alignment, TParaAlign::Centre);
    EXPECT_EQ(plain.VertAlign, TVertAlign::Middle);
}

TEST_F(TableTest, ThirtyColumnsLayOutAndThirtyOneAreReportedAndDropped)
{
    ThtmlTable& thirty = AddTable();
    TCellList& row = AddRow(thirty);
    for (int column = 0; column < 30; ++column)
        AddBoxCell(row, 5, 5);
    Layout(2000);
    EXPECT_TRUE(Errors.Messages.empty());
    EXPECT_EQ(thirty.ColumnCount, 30);

    // 30 cells, one of them two columns wide.
    ThtmlTable& spanned = AddTable();
    TCellList& wide = AddRow(spanned);
    for (int column = 0; column < 29; ++column)
        AddBoxCell(wide, 5, 5);
    AddBoxCell(wide, 5, 5, 10, Attrs({Attr(TSymbol::ColSpan, "2")}));
    TBox& after = AddBox(Document, 0, 0, 10);
    Layout(2000);
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_EQ(Errors.Messages[0], "Table has too many Columns");
    ASSERT_EQ(Document.Items.size(), 2u);
    EXPECT_EQ(Document.Items[0].get(), &thirty);
    EXPECT_EQ(after.LayoutY, thirty.SectionHeight);
}

TEST_F(TableTest, ATooWideNestedTableGoesAloneAndAHugeSpanIsRefusedQuickly)
{
    ThtmlTable& outer = AddTable();
    TCellObj& holder = AddCell(AddRow(outer));
    ThtmlTable& inner = AddTable({}, &holder.Cell);
    AddBoxCell(AddRow(inner), 5, 5, 10, Attrs({Attr(TSymbol::ColSpan, "2000000000")}));
    AddBox(holder.Cell, 10, 20, 15);
    Layout(600);
    EXPECT_EQ(Errors.Messages, std::vector<std::string>{"Table has too many Columns"});
    ASSERT_EQ(Document.Items.size(), 1u);
    EXPECT_EQ(holder.Cell.Items.size(), 1u);
    EXPECT_EQ(outer.Rows[0]->RowHeight, 15 + 4);

    // Each row's cell spans every row below it, pushing the next row's cell
    // one column further: the grid passes 30 columns and is refused.
    ThtmlTable& staircase = AddTable();
    for (int rowIndex = 0; rowIndex < 2000; ++rowIndex)
        AddBoxCell(AddRow(staircase), 5, 5, 10, Attrs({Attr(TSymbol::RowSpan, "100000")}));
    Layout(600);
    EXPECT_EQ(Errors.Messages.size(), 2u);
    EXPECT_EQ(Document.Items.size(), 1u);
}

TEST_F(TableTest, ATableVisitsItselfItsCellsCaptionAndNestedTables)
{
    ThtmlTable& outer = AddTable();
    TCellObj& holder = AddCell(AddRow(outer));
    TBox& inCell = AddBox(holder.Cell, 5, 5, 10);
    TBox& inCaption = AddBox(outer.Caption.Cell, 5, 5, 10);
    ThtmlTable& inner = AddTable({}, &holder.Cell);
    TBox& nested = AddBoxCell(AddRow(inner), 5, 5);
    TBox& outside = AddBox(Document, 5, 5, 10);

    std::vector<const TSectionBase*> visited;
    outer.VisitItems([&visited](const TSectionBase& item) { visited.push_back(&item); });
    EXPECT_EQ(visited, (std::vector<const TSectionBase*>{&outer, &inCell, &inner, &nested, &inCaption}));
    visited.clear();
    Document.VisitItems([&visited](const TSectionBase& item) { visited.push_back(&item); });
    EXPECT_EQ(visited.size(), 6u);
    EXPECT_EQ(visited.back(), &outside);
}

TEST_F(TableTest, SpansBecomeFillersAndRowSpansStopAtTheLastRow)
{
    // row 0: A (colspan 2, rowspan 2) B (rowspan 5)
    // row 1: C
    // row 2: D E
    ThtmlTable& table = AddTable();
    TCellList& first = AddRow(table);
    AddBoxCell(first, 1, 1, 10, Attrs({Attr(TSymbol::ColSpan, "2"), Attr(TSymbol::RowSpan, "2")}));
    TBox& b = AddBoxCell(first, 1, 1, 10, Attrs({Attr(TSymbol::RowSpan, "5")}));
    AddBoxCell(AddRow(table), 1, 1);
    TCellList& third = AddRow(table);
    AddBoxCell(third, 1, 1);
    AddBoxCell(third, 1, 1);
    Layout(600);

    const auto shape = [&](std::size_t rowIndex) {
        std::vector<int> spans;
        for (const auto& cell : table.Rows[rowIndex]->Cells)
            spans.push_back(cell->ColumnSpan * 10 + cell->RowSpan);
        return spans;
    };
    // Column span x 10 + row span; fillers have column span 0.
    EXPECT_THAT(shape(0), ElementsAre(22, 2, 13));
    EXPECT_THAT(shape(1), ElementsAre(0, 0, 0, 11));
    EXPECT_THAT(shape(2), ElementsAre(11, 11, 0));
    EXPECT_EQ(table.ColumnCount, 4);
    // B spans the three rows there are.
    const TCellObj& bCell = *table.Rows[0]->Cells[2];
    EXPECT_EQ(bCell.Cell.Items[0].get(), &b);
    EXPECT_EQ(bCell.Height, table.Rows[0]->RowHeight + table.Rows[1]->RowHeight + table.Rows[2]->RowHeight);
}

TEST_F(TableTest, BackgroundsComeFromRowTableAndEnclosingCell)
{
    ThtmlTable& table = AddTable(Attrs({Attr(TSymbol::BgColor, "red")}));
    TCellList& row = AddRow(table, Attrs({Attr(TSymbol::BgColor, "lime")}));
    TCellObj& own = AddCell(row, Attrs({Attr(TSymbol::BgColor, "blue")}));
    TCellObj& fromRow = AddCell(row);
    TCellObj& fromTable = AddCell(AddRow(table));
    ThtmlTable& nested = AddTable({}, &fromTable.Cell);
    TCellObj& nestedCell = AddCell(AddRow(nested));
    Layout(600);
    EXPECT_EQ(own.Cell.BkColor, clBlue | kPaletteRelative);
    EXPECT_EQ(fromRow.Cell.BkColor, clLime | kPaletteRelative);
    EXPECT_EQ(fromTable.Cell.BkColor, clRed | kPaletteRelative);
    EXPECT_TRUE(nested.HasBkColor);
    EXPECT_TRUE(nestedCell.Cell.HasBkColor);
    EXPECT_EQ(nestedCell.Cell.BkColor, clRed | kPaletteRelative);
}

TEST_F(TableTest, PixelVariantHoldsPixelCellsToTheirWidth)
{
    // A: WIDTH=100, content 10..500 -> max(14, 100 + 4) = 104 both ways.
    // B: content 10..50 -> 14..54. W = 598 >= 158: the maximums.
    ThtmlTable& table = OneRow(*this, {}, {{{10, 500}, Attrs({Attr(TSymbol::Width, "100")})}, {{10, 50}, {}}});
    Layout(600);
    EXPECT_TRUE(table.HasPixelCells);
    EXPECT_THAT(Widths(table), ElementsAre(104, 54));

    // Content that needs more than the width as its minimum wins: 150 + 4.
    ThtmlTable& needy = OneRow(*this, {}, {{{150, 500}, Attrs({Attr(TSymbol::Width, "100")})}});
    Layout(600);
    EXPECT_THAT(Widths(needy), ElementsAre(154));
}

TEST_F(TableTest, PixelVariantSpreadsColumnSpansInProportion)
{
    // row 0: A WIDTH=50 content 10..20 -> 54..54; B content 10..40 -> 14..44
    // row 1: C COLSPAN=2 content 200..300 -> 204..304
    // minimums: 68 < 204: 54 + MulDiv(54, 136, 68) = 162, 14 + MulDiv(14, 136, 68) = 42
    // maximums: 98 < 304: 54 + MulDiv(54, 206, 98) = 54 + 114 = 168, 44 + MulDiv(44, 206, 98) = 44 + 92 = 136
    ThtmlTable& table = AddTable();
    TCellList& first = AddRow(table);
    AddBoxCell(first, 10, 20, 10, Attrs({Attr(TSymbol::Width, "50")}));
    AddBoxCell(first, 10, 40);
    AddBoxCell(AddRow(table), 200, 300, 10, Attrs({Attr(TSymbol::ColSpan, "2")}));

    Layout(600); // W = 598 >= 304
    EXPECT_THAT(Widths(table), ElementsAre(168, 136));
    Layout(250); // W = 248: 162 + MulDiv(6, 44, 100) = 165, 42 + MulDiv(94, 44, 100) = 83
    EXPECT_THAT(Widths(table), ElementsAre(165, 83));
    Layout(150); // W = 148 <= 204: the minimums
    EXPECT_THAT(Widths(table), ElementsAre(162, 42));
    EXPECT_EQ(table.Rows[1]->Cells[0]->Width, 204);
}

TEST_F(TableTest, PercentsThatFitMakeTheTableAsWideAsTheyNeed)
{
    // A: 25%, 14..104; B: 14..204. D1 = MulDiv(104, 1000, 250) = 416,
    // D2 = MulDiv(204, 1000, 750) = 272, D = 416 <= W = 598.
    // A = MulDiv(416, 250, 1000) = 104; rest = MulDiv(416, 750, 1000) = 312 goes to B.
    ThtmlTable& table = OneRow(*this, {}, {{{10, 100}, Attrs({Attr(TSymbol::Width, "25%")})}, {{10, 200}, {}}});
    Layout(600);
    EXPECT_THAT(Widths(table), ElementsAre(104, 312));
    EXPECT_EQ(table.GridWidth, 2 + 416);
}

TEST_F(TableTest, PercentsAboveTheTargetAreFittedIntoIt)
{
    // A: 50%, 14..404; B: 14..304; C: 34..134. W = 298 < D = max(808, MulDiv(438, 1000, 500) = 876).
    // A's share MulDiv(298, 500, 1000) = 149 holds its minimum; 14 + 34 + 149 <= 298, so A is 149..149.
    // Smin = 197, Smax = 587: B = 14 + MulDiv(290, 101, 390) = 89, C = 34 + MulDiv(100, 101, 390) = 60.
    ThtmlTable& table = OneRow(
        *this, {}, {{{10, 400}, Attrs({Attr(TSymbol::Width, "50%")})}, {{10, 300}, {}}, {{30, 130}, {}}});
    Layout(300);
    EXPECT_THAT(Widths(table), ElementsAre(149, 89, 60));
}

TEST_F(TableTest, APercentTooSmallForItsContentIsDropped)
{
    // A: 10%, 104..104: share MulDiv(298, 100, 1000) = 30, 29 < 104, A loses its percent.
    // B: 14..304. Smin = 118, Smax = 408: A = 104, B = 14 + MulDiv(290, 180, 290) = 194.
    ThtmlTable& table = OneRow(*this, {}, {{{100, 100}, Attrs({Attr(TSymbol::Width, "10%")})}, {{10, 300}, {}}});
    Layout(300);
    EXPECT_THAT(Widths(table), ElementsAre(104, 194));
}

TEST_F(TableTest, APercentIsKeptOnlyWhenItsShareExceedsTheMinimum)
{
    // A 50% with a maximum of 404 beside B 14..304, W = 298: A's share is
    // MulDiv(298, 500, 1000) = 149. A minimum of 148 keeps the percent: A
    // holds exactly its share and B takes the rest. A minimum of 149 or 150
    // drops it: both columns then spread between their ranges,
    // A = min + MulDiv(404 - min, 298 - min - 14, 708 - min - 14).
    const auto widths = [this](int minimum) {
        ThtmlTable& table = OneRow(
            *this, {}, {{{minimum - 4, 400}, Attrs({Attr(TSymbol::Width, "50%")})}, {{10, 300}, {}}});
        Layout(300);
        return Widths(table);
    };
    EXPECT_THAT(widths(148), ElementsAre(149, 149));
    EXPECT_THAT(widths(149), ElementsAre(212, 86));
    EXPECT_THAT(widths(150), ElementsAre(213, 85));
}

TEST_F(TableTest, PercentsThatOverfillTheTargetShrinkTogether)
{
    // A 60% 14..404, B 30% 14..104, C 100..100. Shares 179 + 89 with C's 100 exceed 298:
    // percents x 198 / 268 -> 443 and 221; shares 132 + 66 + 100 = 298 fit.
    ThtmlTable& table =
        OneRow(*this, {},
               {{{10, 400}, Attrs({Attr(TSymbol::Width, "60%")})}, {{10, 100}, Attrs({Attr(TSymbol::Width, "30%")})},
                {{96, 96}, {}}});
    Layout(300);
    EXPECT_THAT(Widths(table), ElementsAre(132, 66, 100));
}

TEST_F(TableTest, AHalfWidthTableSpreadsItsWidthLessSpacing)
{
    // 50% of 600 = 300, W = 298: both columns start at 14 (K = 2, G = 80) and
    // share the spare 270 by their ranges: 14 + MulDiv(270, 40, 80) = 149 each.
    ThtmlTable& table = OneRow(*this, Attrs({Attr(TSymbol::Width, "50%")}), {{{10, 50}, {}}, {{10, 50}, {}}});
    Layout(600);
    EXPECT_THAT(Widths(table), ElementsAre(149, 149));
    EXPECT_EQ(table.ColumnWidths[0] + table.ColumnWidths[1], 298);
    EXPECT_EQ(table.TableWidth, 300);
}

TEST_F(TableTest, AFixedWidthGivesSpareRoomToPercentColumnsWhenAllHaveOne)
{
    // WIDTH=400, W = 398: A 25% share MulDiv(398, 250, 1000) = 100, B 50% share 199;
    // spare 99: A + MulDiv(99, 250, 750) = 133, B + MulDiv(99, 500, 750) = 265.
    ThtmlTable& table = OneRow(*this, Attrs({Attr(TSymbol::Width, "400")}),
                               {{{10, 50}, Attrs({Attr(TSymbol::Width, "25%")})},
                                {{10, 50}, Attrs({Attr(TSymbol::Width, "50%")})}});
    Layout(600);
    EXPECT_THAT(Widths(table), ElementsAre(133, 265));

    // A column that needs its whole share or more keeps its minimum and takes
    // no spare: B takes it all.
    const auto widths = [this](int minimum) {
        ThtmlTable& table = OneRow(*this, Attrs({Attr(TSymbol::Width, "400")}),
                                   {{{minimum - 4, 150}, Attrs({Attr(TSymbol::Width, "25%")})},
                                    {{10, 50}, Attrs({Attr(TSymbol::Width, "50%")})}});
        Layout(600);
        return Widths(table);
    };
    EXPECT_THAT(widths(99), ElementsAre(133, 265));
    EXPECT_THAT(widths(100), ElementsAre(100, 298));
    EXPECT_THAT(widths(101), ElementsAre(101, 297));
}

TEST_F(TableTest, AFixedWidthTooNarrowShrinksPercentColumnsDownToTheirMinimums)
{
    // WIDTH=200, W = 198. A 50% 84..84 share 99; B 50% 14..14 share 99; C 44..64 free.
    // Excess 44: A would go to 99 - 22 = 77 < 84, so it stops at 84 and the excess is 29;
    // B gives MulDiv(29, 500, 500) = 29 -> 70.
    ThtmlTable& table = OneRow(*this, Attrs({Attr(TSymbol::Width, "200")}),
                               {{{80, 80}, Attrs({Attr(TSymbol::Width, "50%")})},
                                {{10, 10}, Attrs({Attr(TSymbol::Width, "50%")})},
                                {{40, 60}, {}}});
    Layout(600);
    EXPECT_THAT(Widths(table), ElementsAre(84, 70, 44));
}

TEST_F(TableTest, AFixedWidthPutsTheRoundingOnTheFirstColumn)
{
    // WIDTH=100, W = 98, three empty 33% columns: shares 32, spare 2 adds
    // MulDiv(2, 330, 990) = 1 to each: 99, so the first gives one back.
    ThtmlTable& table = AddTable(Attrs({Attr(TSymbol::Width, "100")}));
    TCellList& row = AddRow(table);
    for (int column = 0; column < 3; ++column)
        AddCell(row, Attrs({Attr(TSymbol::Width, "33%")}));
    Layout(600);
    EXPECT_THAT(Widths(table), ElementsAre(32, 33, 33));
}

TEST_F(TableTest, ColumnSpansShareTheirPercentAndWidth)
{
    // row 0: A 20% 14..54, B 14..54; row 1: C COLSPAN=2 60% 304..404.
    // C: Psum 200, one column without percent gets (600 - 200) = 400, and takes
    // the missing minimum 276 (-> 290) and maximum 296 (-> 350).
    // Layout, W = 598 < D = MulDiv(350, 1000, 400) = 875: B's share 239 - 1 < 290 drops,
    // A is fixed at MulDiv(598, 200, 1000) = 120; Smax = 470 <= 598: the maximums.
    ThtmlTable& table = AddTable();
    TCellList& first = AddRow(table);
    AddBoxCell(first, 10, 50, 10, Attrs({Attr(TSymbol::Width, "20%")}));
    AddBoxCell(first, 10, 50);
    AddBoxCell(AddRow(table), 300, 400, 10, Attrs({Attr(TSymbol::ColSpan, "2"), Attr(TSymbol::Width, "60%")}));
    Layout(600);
    EXPECT_THAT(Widths(table), ElementsAre(120, 350));
}

TEST_F(TableTest, ColumnSpansWithoutPercentsScaleTheSpannedColumns)
{
    // row 0: A 14..54, B 14..154; row 1: C COLSPAN=2 304..504.
    // minimums MulDiv(304, 14, 28) = 152 each; maximums MulDiv(504, 54, 208) = 131, MulDiv(504, 154, 208) = 373.
    ThtmlTable& table = AddTable();
    TCellList& first = AddRow(table);
    AddBoxCell(first, 10, 50);
    AddBoxCell(first, 10, 150);
    AddBoxCell(AddRow(table), 300, 500, 10, Attrs({Attr(TSymbol::ColSpan, "2")}));
    Layout(600); // W = 598 >= 504: the maximums
    EXPECT_THAT(Widths(table), ElementsAre(131, 373));
    Layout(400); // W = 398: 152 + MulDiv(-21, 94, 200) = 142, 152 + MulDiv(221, 94, 200) = 256
    EXPECT_THAT(Widths(table), ElementsAre(142, 256));
}

TEST_F(TableTest, EmptyColumnsUnderSpansNeitherDivideByZeroNorGoNegative)
{
    // Only spanning cells: every column is empty when the spans are spread.
    ThtmlTable& percent = AddTable();
    AddCell(AddRow(percent), Attrs({Attr(TSymbol::ColSpan, "3"), Attr(TSymbol::Width, "50%")}));
    ThtmlTable& plain = AddTable();
    AddBoxCell(AddRow(plain), 90, 90, 10, Attrs({Attr(TSymbol::ColSpan, "3")}));
    ThtmlTable& pixel = AddTable();
    AddBoxCell(AddRow(pixel), 90, 90, 10, Attrs({Attr(TSymbol::ColSpan, "3"), Attr(TSymbol::Width, "50")}));
    Layout(600);
    for (const ThtmlTable* table : {&percent, &plain, &pixel})
        for (int width : Widths(*table))
            EXPECT_GE(width, 0);
    // 94 spread over three empty columns: 31 each.
    EXPECT_THAT(Widths(plain), ElementsAre(31, 31, 31));
    EXPECT_THAT(Widths(pixel), ElementsAre(31, 31, 31));
}

TEST_F(TableTest, WidthRangeAddsSpacingAndHonoursWidthAndCaption)
{
    ThtmlTable& table = OneRow(*this, {}, {{{10, 50}, {}}, {{20, 30}, {}}});
    int minimum = 0;
    int maximum = 0;
    table.WidthRange(Measure, minimum, maximum);
    EXPECT_EQ(minimum, 14 + 24 + 2);
    EXPECT_EQ(maximum, 54 + 34 + 2);

    table.SpecifiedWidth = 200;
    table.WidthRange(Measure, minimum, maximum);
    EXPECT_EQ(minimum, 200);
    EXPECT_EQ(maximum, 200);

    table.SpecifiedWidth = 0;
    AddBox(table.Caption.Cell, 300, 400, 10);
    Document.ForgetWidthRanges();
    table.WidthRange(Measure, minimum, maximum);
    EXPECT_EQ(minimum, 300);
    EXPECT_EQ(maximum, 400);
}

TEST_F(TableTest, RowSpansMakeTheirRowsTallerAndTheLastRowTakesTheRemainder)
{
    // A ROWSPAN=2 needs 101 + 4 = 105 over two rows of 14: 77 more, 38 each and 1 left over.
    ThtmlTable& table = AddTable();
    TCellList& first = AddRow(table);
    AddBoxCell(first, 5, 5, 101, Attrs({Attr(TSymbol::RowSpan, "2")}));
    AddBoxCell(first, 5, 5, 10);
    AddBoxCell(AddRow(table), 5, 5, 10);
    TCellList& third = AddRow(table);
    AddBoxCell(third, 5, 5, 10);
    AddBoxCell(third, 5, 5, 10, Attrs({Attr(TSymbol::Height, "50")})); // 50 - 2 + 4
    Layout(600);
    EXPECT_EQ(table.Rows[0]->RowHeight, 52);
    EXPECT_EQ(table.Rows[1]->RowHeight, 53);
    EXPECT_EQ(table.Rows[2]->RowHeight, 52);
    EXPECT_EQ(table.Rows[0]->DrawHeight, 105);
    EXPECT_EQ(table.SectionHeight, 52 + 53 + 52 + 2);
    EXPECT_EQ(table.RowsHeight, table.SectionHeight);
}

TEST_F(TableTest, ARowSpanOfFiveInThreeRowsSpansThree)
{
    ThtmlTable& table = AddTable();
    TCellList& first = AddRow(table);
    AddBoxCell(first, 5, 5, 200, Attrs({Attr(TSymbol::RowSpan, "5")}));
    AddBoxCell(first, 5, 5, 10);
    AddBoxCell(AddRow(table), 5, 5, 10);
    AddBoxCell(AddRow(table), 5, 5, 10);
    Layout(600);
    const TCellObj& tall = *table.Rows[0]->Cells[0];
    EXPECT_EQ(tall.RowSpan, 3);
    // 204 over three rows of 14: 162 more, 54 each.
    EXPECT_EQ(tall.Height, 204);
    EXPECT_EQ(table.SectionHeight, 204 + 2);
}

TEST_F(TableTest, ContentIsPlacedByVerticalAlignmentInsidePaddingAndSpacing)
{
    AddBox(Document, 0, 0, 7); // the table starts at 7
    ThtmlTable& table = AddTable(Attrs({Attr(TSymbol::CellPadding, "3")}));
    TCellList& row = AddRow(table);
    TBox& tall = AddBoxCell(row, 5, 5, 60);
    TBox& top = AddBox(AddCell(row, {}, TVertAlign::Top).Cell, 5, 5, 10);
    TBox& middle = AddBox(AddCell(row, {}, TVertAlign::Middle).Cell, 5, 5, 10);
    TBox& bottom = AddBox(AddCell(row, {}, TVertAlign::Bottom).Cell, 5, 5, 11);
    Layout(600);
    // Row height 60 + 6 + 2 = 68; content starts at 7 + 3 + 2.
    EXPECT_EQ(tall.LayoutY, 12);
    EXPECT_EQ(top.LayoutY, 12);
    EXPECT_EQ(middle.LayoutY, 12 + (68 - 10 - 8) / 2);
    EXPECT_EQ(bottom.LayoutY, 12 + (68 - 11 - 8));
    // Content is as wide as the column less spacing and padding.
    EXPECT_EQ(tall.WidthAtLayout, table.ColumnWidths[0] - 2 - 6);
}

TEST_F(TableTest, CaptionsOnTopOrBelowAndAWideCaptionCentresTheGrid)
{
    ThtmlTable& table = OneRow(*this, Attrs({Attr(TSymbol::Align, "center")}), {{{10, 50}, {}}});
    TBox& caption = AddBox(table.Caption.Cell, 300, 300, 20, "cap");
    TBox& cell = static_cast<TBox&>(*table.Rows[0]->Cells[0]->Cell.Items[0]);
    Layout(600);
    // Grid 2 + 54 = 56 under a caption 300 wide, the table centred in 600.
    EXPECT_EQ(table.GridWidth, 56);
    EXPECT_EQ(table.TableWidth, 300);
    EXPECT_EQ(table.TableX, 150);
    EXPECT_EQ(table.GridX, 150 + 122);
    EXPECT_EQ(table.RowsStart, 20);
    EXPECT_EQ(caption.LayoutY, 0);
    EXPECT_EQ(caption.WidthAtLayout, 300);
    EXPECT_EQ(cell.LayoutY, 20 + 3);
    EXPECT_EQ(table.SectionHeight, 20 + 14 + 2);
    EXPECT_EQ(caption.StartPosition, 0);

    TAttributeList bottom = Attrs({Attr(TSymbol::Align, "BOTTOM")});
    table.PlaceCaption(bottom);
    Layout(600);
    EXPECT_FALSE(table.CaptionOnTop);
    EXPECT_EQ(table.RowsStart, 0);
    EXPECT_EQ(cell.LayoutY, 3);
    EXPECT_EQ(caption.LayoutY, 16);
    EXPECT_EQ(table.SectionHeight, 16 + 20);
}

TEST_F(TableTest, AlignedTablesAndFloatingTablesTakeTheirPlace)
{
    ThtmlTable& right = OneRow(*this, Attrs({Attr(TSymbol::Align, "right"), Attr(TSymbol::HSpace, "10")}),
                               {{{10, 96}, {}}});
    TBox& beside = AddBox(Document, 10, 10, 30);
    TBox& below = AddBox(Document, 10, 10, 30);
    Layout(600);
    // Table 102 wide at the right; text flows beside it from its top.
    EXPECT_EQ(right.TableWidth, 102);
    EXPECT_EQ(right.TableX, 600 - 102);
    EXPECT_EQ(right.SectionHeight, 0);
    EXPECT_EQ(right.DrawHeight, 10 + 4 + 2);
    EXPECT_EQ(beside.LayoutY, 0);
    EXPECT_EQ(beside.WidthAtLayout, 600 - (102 + 10 + 1));
    EXPECT_EQ(below.LayoutY, 30);
    EXPECT_EQ(below.WidthAtLayout, 600);

    right.Floating = false;
    right.Alignment = TParaAlign::Left;
    Layout(600);
    EXPECT_EQ(right.TableX, 0);
    EXPECT_EQ(beside.LayoutY, 16);
    EXPECT_EQ(beside.WidthAtLayout, 600);
}

TEST_F(TableTest, ALeftFloatingTableTakesNoVerticalRoom)
{
    ThtmlTable& left = OneRow(*this, Attrs({Attr(TSymbol::Align, "LEFT")}), {{{10, 96}, {}}});
    TBox& next = AddBox(Document, 10, 10, 8);
    const int height = Layout(600);
    EXPECT_EQ(next.LayoutY, 0);
    EXPECT_EQ(next.LeftEdgeAtLayout, 102 + 5 + 1);
    // The document reaches down to the bottom of the float.
    EXPECT_EQ(height, left.DrawHeight);
}

TEST_F(TableTest, TheTableTakesThePositionsOfItsCellsAndCaption)
{
    ThtmlTable& table = AddTable();
    TCellList& row = AddRow(table);
    TBox& first = AddBox(AddCell(row).Cell, 5, 5, 10, "abc");
    TBox& second = AddBox(AddCell(row).Cell, 5, 5, 10, "de");
    TBox& caption = AddBox(table.Caption.Cell, 5, 5, 10, "cap");
    int position = 7;
    int maxWidth = 0;
    Document.Layout(Measure, 0, 600, position, maxWidth);
    EXPECT_EQ(caption.StartPosition, 7);
    EXPECT_EQ(first.StartPosition, 10);
    EXPECT_EQ(second.StartPosition, 13);
    EXPECT_EQ(table.StartPosition, 7);
    EXPECT_EQ(table.Length, 8);
    EXPECT_EQ(maxWidth, table.TableWidth);
}

// Tables nested `depth` deep, each cell holding the next table and then a
// box "ab"; the innermost cell holds only its box. Boxes from the outside in.
std::vector<TBox*> NestTables(TTableFixture& fixture, int depth)
{
    std::vector<TBox*> boxes;
    TCell* cell = &fixture.Document;
    for (int level = 0; level < depth; ++level) {
        ThtmlTable& table = fixture.AddTable({}, cell);
        if (level > 0)
            boxes.push_back(&TTableFixture::AddBox(*cell, 10, 20, 10, "ab"));
        cell = &fixture.AddCell(TTableFixture::AddRow(table)).Cell;
    }
    boxes.push_back(&TTableFixture::AddBox(*cell, 10, 20, 10, "ab"));
    return boxes;
}

int TotalLayouts(const std::vector<TBox*>& boxes)
{
    int total = 0;
    for (const TBox* box : boxes)
        total += box->LayoutCount;
    return total;
}

TEST(TableNestingTest, EachCellIsMeasuredOnceAndPlacedOncePerPass)
{
    std::vector<int> layouts;
    for (const int depth : {1, 2, 4, 8}) {
        TTableFixture fixture;
        const std::vector<TBox*> boxes = NestTables(fixture, depth);
        fixture.Layout(600);
        layouts.push_back(TotalLayouts(boxes));
        for (const TBox* box : boxes)
            EXPECT_EQ(box->WidthRangeCount, 1);
        // Another pass costs the same again.
        fixture.Layout(600);
        EXPECT_EQ(TotalLayouts(boxes), 2 * layouts.back());

        // What the final placing left: the innermost box 3 pixels in per
        // level, and positions in document order, the inner tables first.
        EXPECT_EQ(boxes.back()->LayoutY, depth * 3);
        for (std::size_t index = 0; index < boxes.size(); ++index)
            EXPECT_EQ(boxes[index]->StartPosition, 2 * static_cast<int>(boxes.size() - 1 - index));
    }
    // Without keeping the measurings, 2 + 4 + ... + 2^depth.
    EXPECT_THAT(layouts, ElementsAre(2, 4, 8, 16));
}

// A cell keeps the height of every width it was measured at in the pass,
// each for its own width, until the measurings are forgotten.
TEST(TableNestingTest, HeightsMeasuredAtSeveralWidthsAreKeptApart)
{
    TTableFixture fixture;
    TCellObj cell(&fixture.Document, 1, 1);
    TBox& box = TTableFixture::AddBox(cell.Cell, 10, 50, 10);
    TMeasuredHeights others;
    EXPECT_EQ(cell.MeasureContent(fixture.Measure, 100, others), 10);
    box.Height = 20;
    EXPECT_EQ(cell.MeasureContent(fixture.Measure, 200, others), 20);
    EXPECT_EQ(cell.MeasureContent(fixture.Measure, 100, others), 10);
    EXPECT_EQ(cell.ContentHeight, 10);
    EXPECT_EQ(cell.MeasureContent(fixture.Measure, 200, others), 20);
    EXPECT_EQ(box.LayoutCount, 2);

    cell.ForgetHeight();
    others.clear();
    EXPECT_EQ(cell.MeasureContent(fixture.Measure, 100, others), 20);
    EXPECT_EQ(box.LayoutCount, 3);
}

// Heights are measured again at every pass; the width ranges, which the
// width does not change, only once the document has changed what they come
// from (content, pictures) or the fonts have changed.
TEST(TableNestingTest, WidthRangesOutliveAPassUntilTheDocumentOrTheFontsChange)
{
    TTableFixture fixture;
    TBox& leaf = *NestTables(fixture, 3).back();
    const auto& outer = static_cast<ThtmlTable&>(*fixture.Document.Items[0]);
    fixture.Layout(600);
    const int height = outer.SectionHeight;
    leaf.Maximum = 200;
    leaf.Height += 30;
    fixture.Layout(500);
    EXPECT_EQ(outer.SectionHeight, height + 30);
    EXPECT_EQ(outer.TableWidth, 20 + 3 * 6);
    EXPECT_EQ(leaf.WidthRangeCount, 1);

    // The outer cell now grows to the new maximum: 200 + 3 x (4 + 2).
    fixture.Document.ForgetWidthRanges();
    fixture.Layout(600);
    EXPECT_EQ(outer.TableWidth, 200 + 3 * 6);
    EXPECT_EQ(leaf.WidthRangeCount, 2);

    leaf.Maximum = 300;
    fixture.Document.SetFonts("Arial", "Courier New", clWhite, clBlue, clBlack, 14);
    fixture.Layout(600);
    EXPECT_EQ(outer.TableWidth, 300 + 3 * 6);
}

} // namespace

namespace {

// Cells of real text: the columns follow the sections' width ranges, and a
// column narrower than its text makes the row taller.
TEST_F(TableTest, TextSectionsWrapInNarrowColumns)
{
    Document.SetFonts("Times New Roman", "Courier New", clWhite, clBlue, clBlack, 12);
    TBuilderStyle style;
    ThtmlTable& table = AddTable();
    TCellObj& cell = AddCell(AddRow(table));
    auto section = std::make_unique<TSection>(0, TParaAlign::Left, nullptr, TMyFont("Times New Roman", 12, {}, clBlack),
                                              style);
    section->AddText("alpha beta gamma delta");
    TSection& text = *section;
    cell.Cell.Add(std::move(section));
    text.ApplyDefaultFonts();

    int minimum = 0;
    int maximum = 0;
    text.WidthRange(Measure, minimum, maximum);
    ASSERT_LT(minimum, maximum);
    int tableMinimum = 0;
    int tableMaximum = 0;
    table.WidthRange(Measure, tableMinimum, tableMaximum);
    EXPECT_EQ(tableMinimum, minimum + 4 + 2);
    EXPECT_EQ(tableMaximum, maximum + 4 + 2);

    Layout(600);
    EXPECT_EQ(table.ColumnWidths[0], maximum + 4);
    const int oneLine = table.Rows[0]->RowHeight;
    EXPECT_EQ(text.Lines.size(), 1u);
    Layout(minimum + 4 + 2); // W = the column minimum
    EXPECT_EQ(table.ColumnWidths[0], minimum + 4);
    EXPECT_GT(text.Lines.size(), 1u);
    EXPECT_EQ(table.Rows[0]->RowHeight, oneLine + static_cast<int>(text.Lines.size() - 1) * (oneLine - 4));
}

} // namespace
