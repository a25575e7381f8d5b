#include "engine/IndentManager.h"

#include <gtest/gtest.h>

namespace {

IndentManager Fresh(int width)
{
    IndentManager indent;
    indent.Reset(width);
    return indent;
}

TEST(IndentManager, EdgesWithoutRecordsAreTheCellEdges)
{
    IndentManager indent = Fresh(500);
    EXPECT_EQ(indent.LeftEdge(0), 0);
    EXPECT_EQ(indent.RightEdge(0), 500);
    EXPECT_EQ(indent.FloatBottom(), 0);
    EXPECT_EQ(indent.ClearanceBottoms().Left, 0);
    EXPECT_EQ(indent.ClearanceBottoms().Right, 0);
}

TEST(IndentManager, ListLevelsIndentBy35AndCloseWhenLeft)
{
    IndentManager indent = Fresh(500);
    indent.SetListLevel(100, 2);
    ASSERT_EQ(indent.LeftRecords.size(), 2u);
    EXPECT_EQ(indent.LeftRecords[0].X, 35);
    EXPECT_EQ(indent.LeftRecords[1].X, 70);
    EXPECT_EQ(indent.LeftEdge(99), 0);
    EXPECT_EQ(indent.LeftEdge(100), 70);

    indent.SetListLevel(200, 1);
    EXPECT_EQ(indent.ListLevel, 1);
    EXPECT_FALSE(indent.LeftRecords[1].Owner.has_value());
    EXPECT_EQ(indent.LeftRecords[1].BottomY, 199);
    EXPECT_EQ(indent.LeftEdge(150), 70);
    EXPECT_EQ(indent.LeftEdge(199), 35);
    EXPECT_EQ(indent.LeftEdge(5000), 35);

    indent.SetListLevel(300, 0);
    EXPECT_EQ(indent.LeftEdge(300), 0);
    // Open levels are not floats; closed ones count by their (past) bottoms.
    EXPECT_EQ(indent.FloatBottom(), 299);
}

TEST(IndentManager, FloatsStackBesideEachOther)
{
    IndentManager indent = Fresh(500);
    indent.RegisterFloat(TFloatSide::Left, 0, 50, 100);
    indent.RegisterFloat(TFloatSide::Left, 10, 20, 30);
    EXPECT_EQ(indent.LeftEdge(5), 100);
    EXPECT_EQ(indent.LeftEdge(10), 130);
    EXPECT_EQ(indent.LeftEdge(30), 100);
    EXPECT_EQ(indent.LeftEdge(50), 0);

    indent.RegisterFloat(TFloatSide::Right, 0, 40, 80);
    indent.RegisterFloat(TFloatSide::Right, 0, 60, 20);
    EXPECT_EQ(indent.RightRecords[1].X, -100);
    EXPECT_EQ(indent.RightEdge(10), 400);
    EXPECT_EQ(indent.RightEdge(45), 400); // the inner float's band outlasts the outer one
    EXPECT_EQ(indent.RightEdge(60), 500);

    EXPECT_EQ(indent.FloatBottom(), 60);
    EXPECT_EQ(indent.ClearanceBottoms().Left, 51);
    EXPECT_EQ(indent.ClearanceBottoms().Right, 61);
}

TEST(IndentManager, ListLevelIndentsPastAFloat)
{
    IndentManager indent = Fresh(500);
    indent.RegisterFloat(TFloatSide::Left, 0, 100, 60);
    indent.SetListLevel(10, 1);
    EXPECT_EQ(indent.LeftEdge(10), 95);
}

TEST(IndentManager, PaintingMovesTheEdgesNotTheRecords)
{
    IndentManager indent = Fresh(300);
    indent.RegisterFloat(TFloatSide::Left, 0, 50, 40);
    indent.RegisterFloat(TFloatSide::Right, 0, 50, 25);
    indent.LeftEdgeX = 200;
    indent.RightEdgeX = 200 + indent.Width;
    EXPECT_EQ(indent.LeftEdge(10), 240);
    EXPECT_EQ(indent.RightEdge(10), 475);
    // A float registered now is still measured from the edge.
    indent.RegisterFloat(TFloatSide::Left, 10, 10, 5);
    EXPECT_EQ(indent.LeftRecords.back().X, 45);
}

TEST(IndentManager, ListClearanceClearsFloatsPastTheListIndent)
{
    IndentManager indent = Fresh(500);
    indent.SetListLevel(0, 1);
    EXPECT_EQ(indent.ListClearance(), 1);

    indent.RegisterFloat(TFloatSide::Left, 10, 100, 50); // X = 35 + 50, beyond the list indent
    EXPECT_EQ(indent.ListClearance(), 111);
}

TEST(IndentManager, ListClearanceIgnoresFloatsInsideTheListIndent)
{
    IndentManager indent = Fresh(500);
    indent.RegisterFloat(TFloatSide::Left, 0, 30, 20);
    indent.RegisterFloat(TFloatSide::Right, 0, 300, 20);
    indent.SetListLevel(40, 1); // X = 35: the float (X 20) is not beyond it
    EXPECT_EQ(indent.ListClearance(), 1);
}

TEST(IndentManager, ResetForgetsEverything)
{
    IndentManager indent = Fresh(500);
    indent.SetListLevel(0, 3);
    indent.RegisterFloat(TFloatSide::Right, 0, 10, 10);
    indent.LeftEdgeX = 7;
    indent.Reset(200);
    EXPECT_TRUE(indent.LeftRecords.empty());
    EXPECT_TRUE(indent.RightRecords.empty());
    EXPECT_EQ(indent.ListLevel, 0);
    EXPECT_EQ(indent.LeftEdge(0), 0);
    EXPECT_EQ(indent.RightEdge(0), 200);
    EXPECT_EQ(indent.Width, 200);
}

} // namespace
