#pragma once
// Tables built in code for the table tests: a box item of known width range
// and height that records how it was laid out and answers the queries with
// its text, and helpers that make attributes, rows and cells the way the
// builder does.

#include "engine/canvas/Canvas.h"
#include "engine/tables/HtmlTable.h"
#include "engine/layout/IndentManager.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/Symbols.h"
#include "engine/base/UrlTarget.h"
#include "tests/EngineFakes.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A block of fixed height whose width range is given; it owns one position
// per character of its text.
class TBox : public TFakeTextItem {
public:
    TBox(int minimum, int maximum, int height, std::string text = {})
        : TFakeTextItem(std::move(text)), Minimum(minimum), Maximum(maximum), Height(height)
    {
    }

    int Minimum;
    int Maximum;
    int Height;
    int LayoutCount = 0;
    int WidthRangeCount = 0;
    int LayoutY = -1;
    int LeftEdgeAtLayout = 0;
    int WidthAtLayout = 0;
    int LinkY = -1;      // relative Y of the last LinkAt
    int PaintedAtX = -1; // window X of the last painting

    int Layout(TCanvas&, int y, int& position, int& maxWidth, IndentManager& indent) override
    {
        ++LayoutCount;
        LayoutY = y;
        Y = y;
        LeftEdgeAtLayout = indent.LeftEdge(y);
        WidthAtLayout = indent.RightEdge(y) - LeftEdgeAtLayout;
        StartPosition = position;
        Length = static_cast<int>(Text.size());
        position += Length;
        SectionHeight = Height;
        DrawHeight = Height;
        maxWidth = Maximum;
        return Height;
    }

    int Paint(TCanvas&, const TRect&, int y, int x, IndentManager&) override
    {
        PaintedAtX = x;
        return y + SectionHeight;
    }

    void WidthRange(TCanvas&, int& minimum, int& maximum) override
    {
        ++WidthRangeCount;
        minimum = Minimum;
        maximum = Maximum;
    }

    bool LinkAt(TCanvas&, int, int, int y, TImageFormControlObj*&, TUrlTarget& target) override
    {
        LinkY = y;
        target.Url = Text;
        return true;
    }

    int PositionAt(TCanvas&, int, int, int y, bool& insideText, int& lineHeight, int& lineTop, int&, TCell*&) override
    {
        insideText = true;
        lineHeight = 10;
        lineTop = y - y % 10;
        return StartPosition;
    }

    int Search(int start, std::string_view text, bool) override
    {
        const std::size_t from = static_cast<std::size_t>(std::max(0, start - StartPosition));
        const std::size_t found = Text.find(text, from);
        return found == std::string::npos ? -1 : StartPosition + static_cast<int>(found);
    }

    bool PositionToPoint(TCanvas&, int cellLeft, int position, int& y, int& x) override
    {
        if (position < StartPosition || position >= StartPosition + Length)
            return false;
        y = Y;
        x = cellLeft + position - StartPosition;
        return true;
    }
    // One pixel a character, as PositionToPoint has it, the box's height high.
    void RangeBoxes(int cellLeft, int begin, int end, std::vector<TRect>& boxes) override
    {
        const int from = std::max(begin, StartPosition) - StartPosition;
        const int to = std::min(end, StartPosition + Length) - StartPosition;
        if (from < to)
            boxes.push_back({cellLeft + from, Y, cellLeft + to, Y + SectionHeight});
    }
};

// An attribute as the lexer makes it: the number in front of an optional "%".
inline TAttribute Attr(TSymbol symbol, const std::string& text)
{
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return {symbol, value, text};
}

inline TAttributeList Attrs(std::initializer_list<TAttribute> attributes)
{
    TAttributeList list;
    for (const TAttribute& attribute : attributes)
        list.Add(attribute);
    return list;
}

// A document of tables laid out through a measuring canvas.
class TTableFixture {
public:
    TRecordingErrorBox Errors;
    TSectionList Document{nullptr, Errors};
    TCanvas Measure;

    // A table made by the builder in `cell` (the document when none), not
    // yet added to it.
    std::unique_ptr<ThtmlTable> MakeTable(const TAttributeList& attributes = {}, TCell* cell = nullptr)
    {
        return std::make_unique<ThtmlTable>(&Document, 0, cell ? cell : &Document, TParaAlign::Left, attributes);
    }

    // Makes the table and adds it to the cell (the document when none).
    ThtmlTable& AddTable(const TAttributeList& attributes = {}, TCell* cell = nullptr)
    {
        TCell& into = cell ? *cell : Document;
        auto table = MakeTable(attributes, &into);
        ThtmlTable& added = *table;
        into.Add(std::move(table));
        return added;
    }

    static TCellList& AddRow(ThtmlTable& table, const TAttributeList& attributes = {})
    {
        table.AddRow(std::make_unique<TCellList>(attributes));
        return *table.Rows.back();
    }

    TCellObj& AddCell(TCellList& row, const TAttributeList& attributes = {}, TVertAlign vertAlign = TVertAlign::Top)
    {
        row.Add(std::make_unique<TCellObj>(&Document, attributes, TParaAlign::Left, vertAlign));
        return *row.Cells.back();
    }

    // A cell holding one box of the given range and height.
    TBox& AddBoxCell(TCellList& row, int minimum, int maximum, int height = 10,
                     const TAttributeList& attributes = {})
    {
        return AddBox(AddCell(row, attributes).Cell, minimum, maximum, height);
    }

    static TBox& AddBox(TCell& cell, int minimum, int maximum, int height, std::string text = {})
    {
        auto box = std::make_unique<TBox>(minimum, maximum, height, std::move(text));
        TBox& added = *box;
        cell.Add(std::move(box));
        return added;
    }

    // Lays the document out at the width; returns its height.
    int Layout(int width)
    {
        int position = 0;
        int maxWidth = 0;
        return Document.Layout(Measure, 0, width, position, maxWidth);
    }

    static std::vector<int> Widths(const ThtmlTable& table)
    {
        return {table.ColumnWidths.begin(), table.ColumnWidths.begin() + table.ColumnCount};
    }
};
