#pragma once
// Small stand-ins for the layout tests: a document item with a fixed size
// that records what it was asked.

#include "engine/canvas/Canvas.h"
#include "engine/layout/IndentManager.h"
#include "engine/layout/SectionBase.h"
#include "engine/layout/SectionList.h"
#include "engine/base/UrlTarget.h"
#include "tests/EngineFakes.h"

#include <memory>
#include <string>
#include <vector>

// An item of a given height that owns `length` positions of `text`. It
// answers a link at relative Y >= LinkFromY, and optionally registers a left
// float or throws from layout.
class TFakeItem : public TFakeTextItem {
public:
    TFakeItem(int height, std::string text = {}) : TFakeTextItem(std::move(text)), Height(height) {}

    int Height;
    int HangingBelow = 0;       // extra draw height
    int LinkFromY = 1 << 30;    // relative Y from which LinkAt answers
    int FloatHeight = 0;        // registers a left float of this height
    int FloatWidth = 0;
    bool ThrowOnLayout = false;
    int AdjustCount = 0;
    int AddedCount = 0;
    int CopyCount = 0;
    std::vector<int> LinkQueries; // relative Y of each LinkAt
    int LayoutY = -1;
    // The edges the last painting handed the item: the cell's left edge, its
    // right edge, the clip width and the left edge at the item's top (floats
    // that layout registered included).
    struct TPaintedEdges {
        int LeftEdgeX = -1;
        int RightEdgeX = -1;
        int ClipWidth = -1;
        int LeftEdgeAtTop = -1;
    } PaintedEdges;

    void Added() override { ++AddedCount; }
    void AdjustToBaseSize() override { ++AdjustCount; }

    int Layout(TCanvas&, int y, int& position, int& maxWidth, IndentManager& indent) override
    {
        if (ThrowOnLayout) {
            position += 3; // positions taken before the failure
            throw EProcessError("Table has too many Columns");
        }
        LayoutY = y;
        Y = y;
        StartPosition = position;
        Length = static_cast<int>(Text.size());
        position += Length;
        SectionHeight = Height;
        DrawHeight = Height + HangingBelow;
        maxWidth = Height * 2;
        if (FloatHeight > 0)
            indent.RegisterFloat(TFloatSide::Left, y, FloatHeight, FloatWidth);
        return Height;
    }

    int Paint(TCanvas&, const TRect&, int y, int, IndentManager& indent) override
    {
        Y = y;
        PaintedEdges = {indent.LeftEdgeX, indent.RightEdgeX, indent.ClipWidth, indent.LeftEdge(y)};
        return y + SectionHeight;
    }

    bool LinkAt(TCanvas&, int, int, int y, TImageFormControlObj*&, TUrlTarget& target) override
    {
        LinkQueries.push_back(y);
        if (y < LinkFromY)
            return false;
        target.Url = Text;
        return true;
    }

    int PositionAt(TCanvas&, int, int, int y, bool& insideText, int& lineHeight, int& lineTop, int&,
                   TCell*&) override
    {
        insideText = true;
        lineHeight = 5;
        lineTop = y - y % 5;
        return StartPosition + std::min(y / 5, Length);
    }

    void CopySelection(TTextSink& sink) override
    {
        ++CopyCount;
        TFakeTextItem::CopySelection(sink);
    }

    void WidthRange(TCanvas&, int& minimum, int& maximum) override
    {
        minimum = Height;
        maximum = Height * 3;
    }
};

// Adds a fake item to the cell and hands back a pointer to it.
inline TFakeItem& AddFake(TCell& cell, int height, std::string text = {})
{
    auto item = std::make_unique<TFakeItem>(height, std::move(text));
    TFakeItem& added = *item;
    cell.Add(std::move(item));
    return added;
}
