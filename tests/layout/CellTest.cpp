#include "LayoutFakes.h"

#include "engine/layout/Cell.h"

#include <gtest/gtest.h>

namespace {

class CellTest : public testing::Test {
protected:
    TRecordingErrorBox errors;
    TSectionList document{nullptr, errors};
    TCanvas canvas;

    int LayOut(TCell& cell, int y, int width)
    {
        int position = 0;
        int maxWidth = 0;
        return cell.Layout(canvas, y, width, position, maxWidth);
    }
};

TEST_F(CellTest, AddSetsTheDocumentAndSizesTheItem)
{
    TCell cell(&document);
    cell.Add(nullptr);
    TFakeItem& item = AddFake(cell, 10);
    EXPECT_EQ(cell.Items.size(), 1u);
    EXPECT_EQ(item.Document, &document);
    EXPECT_EQ(item.AddedCount, 1);
    EXPECT_EQ(item.AdjustCount, 1);
}

TEST_F(CellTest, LayoutStacksItemsAndHandsOutPositions)
{
    TCell cell(&document);
    TFakeItem& first = AddFake(cell, 10, "abc");
    TFakeItem& second = AddFake(cell, 20, "");
    TFakeItem& third = AddFake(cell, 30, "defgh");

    int position = 7;
    int maxWidth = -1;
    EXPECT_EQ(cell.Layout(canvas, 100, 400, position, maxWidth), 60);
    EXPECT_EQ(first.LayoutY, 100);
    EXPECT_EQ(second.LayoutY, 110);
    EXPECT_EQ(third.LayoutY, 130);
    EXPECT_EQ(third.StartPosition, 10);
    EXPECT_EQ(position, 15);
    EXPECT_EQ(cell.Y, 100);
    EXPECT_EQ(cell.StartPosition, 7);
    EXPECT_EQ(cell.Length, 8);
    EXPECT_EQ(maxWidth, 60); // the fake asks for twice its height
    EXPECT_EQ(cell.Indent.Width, 400);
}

TEST_F(CellTest, ACellIsAsTallAsItsLowestFloat)
{
    TCell cell(&document);
    TFakeItem& image = AddFake(cell, 10);
    image.FloatHeight = 120;
    image.FloatWidth = 50;
    EXPECT_EQ(LayOut(cell, 40, 300), 120);
    // A new layout starts with no floats left over.
    image.FloatHeight = 0;
    EXPECT_EQ(LayOut(cell, 40, 300), 10);
}

TEST_F(CellTest, AnItemThatCannotBeLaidOutIsReportedAndDropped)
{
    TCell cell(&document);
    AddFake(cell, 10, "ab");
    TFakeItem& failing = AddFake(cell, 99, "xyz");
    failing.ThrowOnLayout = true;
    TFakeItem& last = AddFake(cell, 20, "cd");
    std::vector<const TSectionBase*> dropped;
    document.OnItemDropped = [&dropped](const TSectionBase& item) { dropped.push_back(&item); };

    EXPECT_EQ(LayOut(cell, 0, 300), 30);
    EXPECT_EQ(dropped, std::vector<const TSectionBase*>{&failing});
    ASSERT_EQ(errors.Messages.size(), 1u);
    EXPECT_EQ(errors.Messages[0], "Table has too many Columns");
    ASSERT_EQ(cell.Items.size(), 2u);
    EXPECT_EQ(cell.Items[1].get(), &last);
    EXPECT_EQ(last.LayoutY, 10);
    EXPECT_EQ(last.StartPosition, 2); // the dropped item's positions are given back
    EXPECT_EQ(cell.Length, 4);

    // The item is gone for good: the next layout reports nothing.
    EXPECT_EQ(LayOut(cell, 0, 300), 30);
    EXPECT_EQ(errors.Messages.size(), 1u);
}

// A lone item sits in the cell itself and more move to a buffer; either
// way the items stay in order through dropping and emptying.
TEST_F(CellTest, ItemsKeepTheirOrderFromOneToManyAndBackToNone)
{
    TCell cell(&document);
    AddFake(cell, 10).ThrowOnLayout = true;
    EXPECT_EQ(LayOut(cell, 0, 300), 0);
    EXPECT_TRUE(cell.Items.empty());

    std::vector<const TSectionBase*> added;
    for (int height = 1; height <= 5; ++height)
        added.push_back(&AddFake(cell, height));
    static_cast<TFakeItem&>(*cell.Items[0]).ThrowOnLayout = true;
    EXPECT_EQ(LayOut(cell, 0, 300), 2 + 3 + 4 + 5);
    std::vector<const TSectionBase*> kept;
    for (const auto& item : cell.Items)
        kept.push_back(item.get());
    EXPECT_EQ(kept, std::vector<const TSectionBase*>(added.begin() + 1, added.end()));
    EXPECT_EQ(cell.Items.back().get(), added.back());

    cell.Items.clear();
    EXPECT_EQ(cell.Items.size(), 0u);
    TFakeItem& again = AddFake(cell, 7);
    EXPECT_EQ(cell.Items.front().get(), &again);
    EXPECT_EQ(LayOut(cell, 0, 300), 7);
}

TEST_F(CellTest, ItemAtYFindsTheBandHoldingY)
{
    TCell cell(&document);
    AddFake(cell, 10);
    AddFake(cell, 0);
    AddFake(cell, 30);
    LayOut(cell, 0, 300);

    int top = -1;
    int index = -1;
    EXPECT_EQ(cell.ItemAtY(0, top, index), cell.Items[0].get());
    EXPECT_EQ(top, 0);
    EXPECT_EQ(cell.ItemAtY(10, top, index), cell.Items[2].get()); // the empty item holds no band
    EXPECT_EQ(top, 10);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(cell.ItemAtY(39, top, index), cell.Items[2].get());
    EXPECT_EQ(cell.ItemAtY(40, top, index), nullptr);
    EXPECT_EQ(cell.ItemAtY(-1, top, index), nullptr);
}

TEST_F(CellTest, LinkAtAsksEveryItemWhosePaintedBandHoldsThePoint)
{
    TCell cell(&document);
    TFakeItem& hanging = AddFake(cell, 10, "float.htm");
    hanging.HangingBelow = 30; // a float reaching 30 pixels below the item
    hanging.LinkFromY = 20;
    TFakeItem& text = AddFake(cell, 20, "text.htm");
    text.LinkFromY = 0;
    LayOut(cell, 0, 300);

    TImageFormControlObj* control = nullptr;
    TUrlTarget target;
    ASSERT_TRUE(cell.LinkAt(canvas, 0, 5, 25, control, target));
    EXPECT_EQ(target.Url, "float.htm");
    EXPECT_TRUE(text.LinkQueries.empty());

    ASSERT_TRUE(cell.LinkAt(canvas, 0, 5, 15, control, target));
    EXPECT_EQ(target.Url, "text.htm");
    EXPECT_EQ(hanging.LinkQueries.back(), 15);
    EXPECT_EQ(text.LinkQueries.back(), 5);

    EXPECT_FALSE(cell.LinkAt(canvas, 0, 5, 40, control, target));
}

TEST_F(CellTest, PositionAtAddsTheItemTopAndRecordsTheCell)
{
    TCell cell(&document);
    AddFake(cell, 10, "abc");
    AddFake(cell, 20, "defghi");
    LayOut(cell, 0, 300);

    bool inside = false;
    int lineHeight = 0;
    int lineTop = 0;
    int cursorX = 0;
    TCell* found = nullptr;
    EXPECT_EQ(cell.PositionAt(canvas, 0, 0, 22, inside, lineHeight, lineTop, cursorX, found), 3 + 2);
    EXPECT_EQ(lineTop, 20);
    EXPECT_EQ(found, &cell);

    TCell* recorded = &cell;
    TCell other(&document);
    AddFake(other, 10, "x");
    LayOut(other, 0, 300);
    other.PositionAt(canvas, 0, 0, 2, inside, lineHeight, lineTop, cursorX, recorded);
    EXPECT_EQ(recorded, &cell); // an inner cell recorded first is kept

    found = nullptr;
    EXPECT_EQ(cell.PositionAt(canvas, 0, 0, 30, inside, lineHeight, lineTop, cursorX, found), -1);
    EXPECT_EQ(found, nullptr);
}

TEST_F(CellTest, CharAtStaysWithinTheCell)
{
    TCell cell(&document);
    AddFake(cell, 10, "ab");
    AddFake(cell, 10, "cd");
    int position = 5;
    int maxWidth = 0;
    cell.Layout(canvas, 0, 300, position, maxWidth);

    char ch = 0;
    TSectionBase* item = nullptr;
    ASSERT_TRUE(cell.CharAt(8, ch, item));
    EXPECT_EQ(ch, 'd');
    EXPECT_EQ(item, cell.Items[1].get());
    EXPECT_FALSE(cell.CharAt(4, ch, item));
    EXPECT_FALSE(cell.CharAt(9, ch, item)); // the cell's end holds no character
    EXPECT_FALSE(cell.CharAt(10, ch, item));
}

TEST_F(CellTest, CopySelectionTakesOnlyItemsOverlappingTheSelection)
{
    TCell cell(&document);
    TFakeItem& before = AddFake(cell, 10, "abcde");
    TFakeItem& emptyAtBegin = AddFake(cell, 10, "");
    TFakeItem& inside = AddFake(cell, 10, "fghij");
    TFakeItem& after = AddFake(cell, 10, "klmno");
    LayOut(cell, 0, 300);

    document.SelectionBegin = 5;
    document.SelectionEnd = 10;
    TRecordingSink sink;
    cell.CopySelection(sink);
    EXPECT_EQ(before.CopyCount, 0);
    EXPECT_EQ(emptyAtBegin.CopyCount, 0);
    EXPECT_EQ(inside.CopyCount, 1);
    EXPECT_EQ(after.CopyCount, 0);
}

TEST_F(CellTest, WidthRangeTakesTheLargestOfEachBound)
{
    TCell cell(&document);
    AddFake(cell, 10);
    AddFake(cell, 4);
    int minimum = -1;
    int maximum = -1;
    cell.WidthRange(canvas, minimum, maximum);
    EXPECT_EQ(minimum, 10);
    EXPECT_EQ(maximum, 30);
}

// Painting moves the edges to the window and reads back the floats layout
// registered; the cell keeps the records for the next painting.
TEST_F(CellTest, PaintChainsTheItemsAndSetsTheEdges)
{
    TCell cell(&document);
    TFakeItem& floating = AddFake(cell, 10);
    floating.FloatHeight = 30;
    floating.FloatWidth = 40;
    TFakeItem& beside = AddFake(cell, 25);
    LayOut(cell, 50, 300);
    for (int painting = 0; painting < 2; ++painting) {
        EXPECT_EQ(cell.Paint(canvas, {0, 0, 500, 500}, 50, 120, 2000), 85);
        EXPECT_EQ(cell.Items[1]->Y, 60);
        EXPECT_EQ(beside.PaintedEdges.LeftEdgeX, 120);
        EXPECT_EQ(beside.PaintedEdges.RightEdgeX, 420);
        EXPECT_EQ(beside.PaintedEdges.ClipWidth, 2000);
        EXPECT_EQ(beside.PaintedEdges.LeftEdgeAtTop, 160);
    }
    EXPECT_EQ(cell.Indent.LeftRecords().size(), 1u);
}

} // namespace
