#include "engine/layout/IndentManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

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
    ASSERT_EQ(indent.LeftRecords().size(), 2u);
    EXPECT_EQ(indent.LeftRecords()[0].X, 35);
    EXPECT_EQ(indent.LeftRecords()[1].X, 70);
    EXPECT_EQ(indent.LeftEdge(99), 0);
    EXPECT_EQ(indent.LeftEdge(100), 70);

    indent.SetListLevel(200, 1);
    EXPECT_EQ(indent.ListLevel, 1);
    EXPECT_FALSE(indent.LeftRecords()[1].Owner.has_value());
    EXPECT_EQ(indent.LeftRecords()[1].BottomY, 199);
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
    EXPECT_EQ(indent.RightRecords()[1].X, -100);
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
    EXPECT_EQ(indent.LeftRecords().back().X, 45);
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
    EXPECT_TRUE(indent.LeftRecords().empty());
    EXPECT_TRUE(indent.RightRecords().empty());
    EXPECT_EQ(indent.ListLevel, 0);
    EXPECT_EQ(indent.LeftEdge(0), 0);
    EXPECT_EQ(indent.RightEdge(0), 200);
    EXPECT_EQ(indent.Width, 200);
}

// The operations written straight from their rules, scanning every record.
struct TPlainIndents {
    std::vector<IndentRec> Left;
    std::vector<IndentRec> Right;
    int ListLevel = 0;

    static std::optional<int> Best(const std::vector<IndentRec>& records, int y, bool largest)
    {
        std::optional<int> best;
        for (const IndentRec& record : records)
            if (record.TopY <= y && y < record.BottomY && (!best || (largest ? record.X > *best : record.X < *best)))
                best = record.X;
        return best;
    }
    int LeftEdge(int y) const { return Best(Left, y, true).value_or(0); }
    int RightEdge(int y, int width) const { return width + Best(Right, y, false).value_or(0); }
    void SetListLevel(int y, int level)
    {
        if (level > ListLevel) {
            for (int newLevel = ListLevel + 1; newLevel <= level; ++newLevel)
                Left.push_back({LeftEdge(y) + IndentManager::kListIndent, y, IndentManager::kOpenBottom, newLevel});
        } else if (level < ListLevel && ListLevel > 0) {
            for (IndentRec& record : Left)
                if (record.Owner && *record.Owner > level) {
                    record.Owner.reset();
                    record.BottomY = y - 1;
                }
        }
        ListLevel = level;
    }
    static std::optional<int> UnownedBottom(const std::vector<IndentRec>& records)
    {
        std::optional<int> bottom;
        for (const IndentRec& record : records)
            if (!record.Owner && (!bottom || record.BottomY > *bottom))
                bottom = record.BottomY;
        return bottom;
    }
    int ListClearance() const
    {
        int levelX = 0;
        for (const IndentRec& record : Left)
            if (record.Owner == ListLevel)
                levelX = record.X;
        int bottom = 0;
        for (const IndentRec& record : Left)
            if (record.X > levelX)
                bottom = std::max(bottom, record.BottomY);
        return bottom + 1;
    }
};

// Same small generator everywhere, so a failure replays.
struct TSteps {
    std::uint64_t State = 12345;
    int Below(int n)
    {
        State = State * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((State >> 33) % static_cast<std::uint64_t>(n));
    }
};

TEST(IndentManager, AnswersAsAPlainScanWhateverTheOrderOfQuestions)
{
    constexpr int kWidth = 600;
    IndentManager indent = Fresh(kWidth);
    TPlainIndents plain;
    TSteps steps;
    int y = 0;
    for (int step = 0; step < 4000; ++step) {
        switch (steps.Below(6)) {
        case 0: y += steps.Below(40); break;
        case 1: y = steps.Below(y + 1); break; // a new pass starts higher up
        case 2: {
            const int level = steps.Below(5);
            indent.SetListLevel(y, level);
            plain.SetListLevel(y, level);
            break;
        }
        case 3: {
            const int height = steps.Below(120);
            const int width = 1 + steps.Below(90);
            indent.RegisterFloat(TFloatSide::Left, y, height, width);
            plain.Left.push_back({plain.LeftEdge(y) + width, y, y + height, std::nullopt});
            break;
        }
        case 4: {
            const int height = steps.Below(120);
            const int width = 1 + steps.Below(90);
            indent.RegisterFloat(TFloatSide::Right, y, height, width);
            plain.Right.push_back({plain.RightEdge(y, kWidth) - kWidth - width, y, y + height, std::nullopt});
            break;
        }
        default: break;
        }
        const int asked = std::max(0, y - 20 + steps.Below(60));
        ASSERT_EQ(indent.LeftEdge(asked), plain.LeftEdge(asked)) << "step " << step;
        ASSERT_EQ(indent.RightEdge(asked), plain.RightEdge(asked, kWidth)) << "step " << step;
        ASSERT_EQ(indent.ListClearance(), plain.ListClearance()) << "step " << step;
        const int left = TPlainIndents::UnownedBottom(plain.Left).value_or(-1) + 1;
        const int right = TPlainIndents::UnownedBottom(plain.Right).value_or(-1) + 1;
        ASSERT_EQ(indent.ClearanceBottoms().Left, left) << "step " << step;
        ASSERT_EQ(indent.ClearanceBottoms().Right, right) << "step " << step;
        ASSERT_EQ(indent.FloatBottom(), std::max({0, left - 1, right - 1})) << "step " << step;
    }
    EXPECT_EQ(indent.LeftRecords().size(), plain.Left.size());
}

TEST(IndentManager, ALongRunOfListsKeepsFewRecordsInPlay)
{
    // Ten thousand list items, each its own nested list, laid out down the page.
    IndentManager indent = Fresh(600);
    int y = 0;
    for (int item = 0; item < 10000; ++item) {
        indent.SetListLevel(y, 1);
        indent.SetListLevel(y, 2);
        for (int line = 0; line < 3; ++line, y += 16)
            ASSERT_EQ(indent.LeftEdge(y), 70);
        indent.SetListLevel(y, 0);
        if (item % 100 == 0) {
            indent.RegisterFloat(TFloatSide::Left, y, 30, 50);
            y += 30;
        }
        y += 10;
        ASSERT_LE(indent.LiveRecordCount(TFloatSide::Left), 4u) << "item " << item;
    }
    EXPECT_EQ(indent.LeftRecords().size(), 20000u + 100u);
    EXPECT_EQ(indent.ListClearance(), indent.LeftRecords().back().BottomY + 1);

    // A later pass from the top sees every record again.
    EXPECT_EQ(indent.LeftEdge(0), 70);
    EXPECT_EQ(indent.LeftEdge(48), 50);
}

} // namespace
