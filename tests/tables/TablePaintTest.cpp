#include "TableFakes.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QColor kSilver(192, 192, 192);

// Pixels are compared as 8-bit values: colours made by the palette keep more.
QRgb Rgb(const QColor& color) { return color.rgb(); }

class TablePaintTest : public testing::Test, public TTableFixture {
protected:
    TablePaintTest() { Document.SetBackground(clWhite); }

    // Paints the laid-out document into a white image, its left edge at x.
    QImage Paint(int x = 0, TRect clip = {0, 0, 200, 100})
    {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        TCanvas canvas(&image);
        Document.Paint(canvas, clip, 0, x, 200);
        return image;
    }

    // Two cells with content 10..30 high 20; spacing 4, padding 1: columns of
    // 36, grid 76 wide, rows 26 high, the table 30 high. Cell boxes: x 4..36
    // and 40..72, y 4..26.
    ThtmlTable& TwoCells(std::initializer_list<TAttribute> attributes)
    {
        TAttributeList list = Attrs(attributes);
        list.Add(Attr(TSymbol::CellSpacing, "4"));
        ThtmlTable& table = AddTable(list);
        TCellList& row = AddRow(table);
        AddBoxCell(row, 10, 30, 20);
        AddBoxCell(row, 10, 30, 20);
        return table;
    }
};

TEST_F(TablePaintTest, CellsTakeTheTableBackgroundAndTheSpacingItsColour)
{
    ThtmlTable& table = TwoCells({Attr(TSymbol::BgColor, "red"), Attr(TSymbol::BorderColor, "blue")});
    Layout(200);
    ASSERT_EQ(table.GridWidth, 76);
    const QImage image = Paint();
    EXPECT_EQ(image.pixel(10, 10), Rgb(Qt::red));
    EXPECT_EQ(image.pixel(4, 4), Rgb(Qt::red));
    EXPECT_EQ(image.pixel(2, 2), Rgb(Qt::blue));
    EXPECT_EQ(image.pixel(38, 10), Rgb(Qt::blue));
    EXPECT_EQ(image.pixel(74, 10), Rgb(Qt::blue));
    EXPECT_EQ(image.pixel(10, 28), Rgb(Qt::blue));
    EXPECT_EQ(image.pixel(80, 10), Rgb(Qt::white));
    EXPECT_EQ(image.pixel(10, 31), Rgb(Qt::white));
}

TEST_F(TablePaintTest, BordersAreRaisedAroundTheGridAndSunkenAroundCells)
{
    // BORDER adds 2 to the spacing of 2.
    ThtmlTable& table = AddTable(Attrs({Attr(TSymbol::Border, "1")}));
    TCellList& row = AddRow(table);
    AddBoxCell(row, 10, 30, 20);
    AddBoxCell(row, 10, 30, 20);
    Layout(200);
    ASSERT_EQ(table.CellSpacing, 4);
    const QColor shadow = ToQColor(clBtnShadow);
    ASSERT_NE(shadow, kSilver);

    QImage image = Paint();
    EXPECT_EQ(image.pixel(0, 10), Rgb(kSilver));  // grid left
    EXPECT_EQ(image.pixel(10, 0), Rgb(kSilver));  // grid top
    EXPECT_EQ(image.pixel(75, 10), Rgb(shadow));  // grid right
    EXPECT_EQ(image.pixel(10, 29), Rgb(shadow));  // grid bottom
    EXPECT_EQ(image.pixel(3, 10), Rgb(shadow));   // cell left
    EXPECT_EQ(image.pixel(10, 3), Rgb(shadow));   // cell top
    EXPECT_EQ(image.pixel(36, 10), Rgb(kSilver)); // cell right
    EXPECT_EQ(image.pixel(10, 26), Rgb(kSilver)); // cell bottom
    EXPECT_EQ(image.pixel(39, 10), Rgb(shadow));  // second cell left

    // On a coloured page the light edges take the highlight colour.
    Document.SetBackground(clYellow);
    image = Paint();
    EXPECT_EQ(image.pixel(0, 10), Rgb(ToQColor(clBtnHighlight)));
    EXPECT_EQ(image.pixel(36, 10), Rgb(ToQColor(clBtnHighlight)));
    EXPECT_EQ(image.pixel(75, 10), Rgb(shadow));
}

TEST_F(TablePaintTest, TheSpacingColourLeavesBorderFramesAlone)
{
    TwoCells({Attr(TSymbol::Border, "2"), Attr(TSymbol::BorderColor, "blue")});
    Layout(200);
    // Spacing 6: the first cell's frame stands at x 5, its box from 6.
    const QImage image = Paint();
    EXPECT_EQ(image.pixel(5, 15), Rgb(ToQColor(clBtnShadow)));
    EXPECT_EQ(image.pixel(3, 15), Rgb(Qt::blue));
}

TEST_F(TablePaintTest, ANestedTableWithoutBackgroundPaintsItsCellsInTheEnclosingColour)
{
    ThtmlTable& outer = AddTable(Attrs({Attr(TSymbol::CellPadding, "0")}));
    TCellObj& holder = AddCell(AddRow(outer), Attrs({Attr(TSymbol::BgColor, "lime")}));
    ThtmlTable& inner = AddTable(Attrs({Attr(TSymbol::BorderColor, "blue"), Attr(TSymbol::CellSpacing, "6")}),
                                 &holder.Cell);
    AddBoxCell(AddRow(inner), 40, 40, 20);
    Layout(200);
    const QImage image = Paint();
    // The inner grid starts at 2 + 2 (outer spacing, inner table in the cell).
    EXPECT_EQ(image.pixel(2 + 3, 2 + 3), Rgb(Qt::blue));
    EXPECT_EQ(image.pixel(2 + 6 + 10, 2 + 6 + 10), Rgb(QColor(0, 255, 0)));
    EXPECT_TRUE(inner.Rows[0]->Cells[0]->Cell.HasBkColor);
}

TEST_F(TablePaintTest, RowsOutsideTheClipAreNotPainted)
{
    ThtmlTable& table = AddTable(Attrs({Attr(TSymbol::BgColor, "red")}));
    AddBoxCell(AddRow(table), 10, 30, 20);
    TBox& lower = AddBoxCell(AddRow(table), 10, 30, 20);
    Layout(200);
    // Rows 24 high from 0 and 24; the clip holds the first row only.
    const QImage image = Paint(0, {0, 0, 200, 20});
    EXPECT_EQ(image.pixel(10, 10), Rgb(Qt::red));
    EXPECT_EQ(image.pixel(10, 35), Rgb(Qt::white));
    EXPECT_EQ(lower.PaintedAtX, -1);
}

class TableQueryTest : public TablePaintTest {
protected:
    // Caption "zza" 100 wide and 20 high over cells "xa" and "yb" (10..30,
    // 20 high): columns 34, grid 70, centred under the caption at 15.
    TableQueryTest()
    {
        Table = &AddTable();
        TCellList& row = AddRow(*Table);
        First = &AddBox(AddCell(row).Cell, 10, 30, 20, "xa");
        Second = &AddBox(AddCell(row).Cell, 10, 30, 20, "yb");
        Caption = &AddBox(Table->Caption.Cell, 100, 100, 20, "zza");
    }

    void LayOutAndPaint()
    {
        Layout(200);
        Paint(10);
    }

    std::string Link(int x, int y)
    {
        TImageFormControlObj* control = nullptr;
        TUrlTarget target;
        return Table->LinkAt(Measure, 10, x, y, control, target) ? target.Url : "-";
    }

    std::string Copied()
    {
        TRecordingSink sink;
        Document.SelectionBegin = 0;
        Document.SelectionEnd = 100;
        Table->CopySelection(sink);
        return sink.Text;
    }

    ThtmlTable* Table;
    TBox* First;
    TBox* Second;
    TBox* Caption;
};

TEST_F(TableQueryTest, PointsFindTheCaptionOrTheCellUnderThem)
{
    LayOutAndPaint();
    ASSERT_EQ(Table->SectionHeight, 20 + 24 + 2);
    EXPECT_EQ(Link(50, 10), "zza");
    EXPECT_EQ(Caption->LinkY, 10);
    EXPECT_EQ(Link(5, 10), "-");   // left of the caption
    EXPECT_EQ(Link(30, 30), "xa"); // grid from 25, cells 34 wide from row top 20
    EXPECT_EQ(First->LinkY, 30 - 20 - 2 - 1);
    EXPECT_EQ(Link(62, 30), "yb");
    EXPECT_EQ(Link(20, 30), "-");  // left of the grid
    EXPECT_EQ(Link(30, 46), "-");  // below the table

    bool inside = false;
    int lineHeight = 0;
    int lineTop = 0;
    int cursorX = 0;
    TCell* cell = nullptr;
    EXPECT_EQ(Table->PositionAt(Measure, 10, 62, 40, inside, lineHeight, lineTop, cursorX, cell), Second->StartPosition);
    EXPECT_EQ(lineTop, 23 + 10);
    EXPECT_EQ(cell, &Table->Rows[0]->Cells[1]->Cell);

    Table->PlaceCaption(Attrs({Attr(TSymbol::Align, "bottom")}));
    LayOutAndPaint();
    EXPECT_EQ(Link(50, 30), "zza");
    EXPECT_EQ(Caption->LinkY, 30 - 26);
    EXPECT_EQ(Link(30, 10), "xa");
}

TEST_F(TableQueryTest, WalksGoThroughTheCaptionAndTheCellsInDocumentOrder)
{
    LayOutAndPaint();
    EXPECT_EQ(Copied(), "zzaxayb");
    EXPECT_EQ(Table->Search(0, "a", false), 2);
    EXPECT_EQ(Table->Search(3, "a", false), 4);
    char ch = 0;
    TSectionBase* item = nullptr;
    EXPECT_TRUE(Table->CharAt(3, ch, item));
    EXPECT_EQ(ch, 'x');
    EXPECT_EQ(item, First);
    EXPECT_FALSE(Table->CharAt(8, ch, item));
    int y = 0;
    int x = 0;
    EXPECT_TRUE(Table->PositionToPoint(Measure, 10, 6, y, x));
    EXPECT_EQ(y, Second->Y);
    EXPECT_FALSE(Table->PositionToPoint(Measure, 10, 8, y, x));

    // A range over two cells is boxed in each, where that cell stands.
    std::vector<TRect> boxes;
    Table->RangeBoxes(10, 3, 7, boxes);
    ASSERT_EQ(boxes.size(), 2u);
    ASSERT_TRUE(Table->PositionToPoint(Measure, 10, 5, y, x));
    EXPECT_EQ(boxes[1].Left, x);
    EXPECT_GE(boxes[1].Top, Second->Y);
    EXPECT_GT(boxes[1].Width(), 0);
    ASSERT_TRUE(Table->PositionToPoint(Measure, 10, 3, y, x));
    EXPECT_EQ(boxes[0].Left, x);
    EXPECT_LT(boxes[0].Right, boxes[1].Left);

    Table->PlaceCaption(Attrs({Attr(TSymbol::Align, "bottom")}));
    LayOutAndPaint();
    EXPECT_EQ(Copied(), "xaybzza");
    EXPECT_EQ(Table->Search(0, "a", false), 1);
}

} // namespace
