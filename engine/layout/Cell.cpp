#include "engine/layout/Cell.h"

#include "engine/base/ErrorBox.h"
#include "engine/layout/SectionList.h"

#include "engine/base/LayoutLimits.h"
#include "engine/base/Rect.h"

#include <algorithm>

TCell::TCell(TSectionList* document) : Document(document) {}

TCell::~TCell() = default;

void TCell::Add(std::unique_ptr<TSectionBase> item)
{
    if (!item)
        return;
    TSectionBase& added = *Items.emplace_back(std::move(item));
    added.Document = Document;
    added.Added();
    added.AdjustToBaseSize();
}

int TCell::Layout(TCanvas& canvas, int y, int width, int& position, int& maxWidth)
{
    IndentManager indent;
    const TBorrowedIndents borrowed(indent, Indent);
    indent.Reset(width);
    Y = y;
    StartPosition = position;
    int height = 0;
    maxWidth = 0;
    for (auto it = Items.begin(); it != Items.end();) {
        const int itemStart = position;
        try {
            int itemMaxWidth = 0;
            height = ExtentSum(y + height, (*it)->Layout(canvas, y + height, position, itemMaxWidth, indent)) - y;
            maxWidth = std::max(maxWidth, itemMaxWidth);
            ++it;
        } catch (const EProcessError& error) {
            // The page stays readable without the item that failed; it
            // gives back any positions it took.
            Document->ErrorBox.ShowError(error.what());
            position = itemStart;
            if (Document->OnItemDropped)
                Document->OnItemDropped(**it);
            it = Items.erase(it);
        }
    }
    Length = position - StartPosition;
    return std::max(height, indent.FloatBottom() - y);
}

void TCell::VisitItems(const std::function<void(const TSectionBase& item)>& visit) const
{
    for (const auto& item : Items)
        item->VisitItems(visit);
}

void TCell::WidthRange(TCanvas& canvas, int& minimum, int& maximum)
{
    minimum = 0;
    maximum = 0;
    for (const auto& item : Items) {
        int itemMinimum = 0;
        int itemMaximum = 0;
        item->WidthRange(canvas, itemMinimum, itemMaximum);
        minimum = std::max(minimum, itemMinimum);
        maximum = std::max(maximum, itemMaximum);
    }
}

int TCell::Paint(TCanvas& canvas, const TRect& clip, int y, int x, int clipWidth)
{
    IndentManager indent;
    const TBorrowedIndents borrowed(indent, Indent);
    indent.LeftEdgeX = x;
    indent.RightEdgeX = x + indent.Width;
    indent.ClipWidth = clipWidth;
    for (const auto& item : Items)
        y = item->Paint(canvas, clip, y, x, indent);
    return y;
}

bool TCell::LinkAt(TCanvas& canvas, int left, int x, int y, TImageFormControlObj*& imageControl, TUrlTarget& target)
{
    // Draw heights may reach below the next item's top (hanging floats), so
    // every item whose painted band holds the point is asked.
    int top = 0;
    for (const auto& item : Items) {
        if (y >= top && y < top + item->DrawHeight && item->LinkAt(canvas, left, x, y - top, imageControl, target))
            return true;
        top += item->SectionHeight;
    }
    return false;
}

bool TCell::ImageAt(int left, int x, int y, int& yInImage, int& xInImage, TImageObj*& image)
{
    int top = 0;
    for (const auto& item : Items) {
        if (y >= top && y < top + item->DrawHeight && item->ImageAt(left, x, y - top, yInImage, xInImage, image))
            return true;
        top += item->SectionHeight;
    }
    return false;
}

int TCell::PositionAt(TCanvas& canvas, int left, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                      int& cursorX, TCell*& cell)
{
    if (const int floated = PositionInFloat(canvas, left, x, y, insideText, lineHeight, lineTop, cursorX, cell);
        floated >= 0)
        return floated;
    int top = 0;
    int index = 0;
    TSectionBase* item = ItemAtY(y, top, index);
    if (!item)
        return -1;
    const int position = item->PositionAt(canvas, left, x, y - top, insideText, lineHeight, lineTop, cursorX, cell);
    lineTop += top;
    if (position >= 0 && !cell)
        cell = this;
    return position;
}

// Floating tables take no height in the flow, so the text beside them
// holds their band: a point over one of them is asked of it first.
int TCell::PositionInFloat(TCanvas& canvas, int left, int x, int y, bool& insideText, int& lineHeight,
                           int& lineTop, int& cursorX, TCell*& cell)
{
    int top = 0;
    for (const auto& item : Items) {
        if (item->SectionHeight == 0 && y >= top && y < top + item->DrawHeight) {
            const int position =
                item->PositionAt(canvas, left, x, y - top, insideText, lineHeight, lineTop, cursorX, cell);
            if (position >= 0) {
                lineTop += top;
                if (!cell)
                    cell = this;
                return position;
            }
        }
        top += item->SectionHeight;
    }
    return -1;
}

int TCell::Search(int start, std::string_view text, bool matchCase)
{
    for (const auto& item : Items) {
        const int found = item->Search(start, text, matchCase);
        if (found >= 0)
            return found;
    }
    return -1;
}

bool TCell::PositionToPoint(TCanvas& canvas, int left, int position, int& y, int& x)
{
    for (const auto& item : Items)
        if (item->PositionToPoint(canvas, left, position, y, x))
            return true;
    return false;
}

bool TCell::CharAt(int position, char& ch, TSectionBase*& item)
{
    if (position < StartPosition || position > StartPosition + Length)
        return false;
    for (const auto& candidate : Items)
        if (candidate->CharAt(position, ch, item))
            return true;
    return false;
}

int TCell::PageBreakAbove(int limit) const
{
    // Items follow each other down the cell: the last one starting above the
    // limit is the only one it can cut.
    const auto after = std::partition_point(Items.begin(), Items.end(),
                                            [limit](const auto& item) { return item->Y < limit; });
    if (after == Items.begin())
        return limit;
    const TSectionBase& item = **std::prev(after);
    if (item.Y + item.SectionHeight <= limit)
        return limit;
    return item.PageBreakAbove(limit);
}

void TCell::RangeBoxes(int left, int begin, int end, std::vector<TRect>& boxes)
{
    // Items take their positions in order: the first that reaches past
    // begin is found by bisection, so that a page of many items answers fast.
    const auto first = std::partition_point(Items.begin(), Items.end(), [begin](const auto& item) {
        return item->StartPosition + item->Length <= begin;
    });
    for (auto item = first; item != Items.end() && (*item)->StartPosition < end; ++item)
        (*item)->RangeBoxes(left, begin, end, boxes);
}

void TCell::CopySelection(TTextSink& sink)
{
    const int begin = Document->SelectionBegin;
    const int end = Document->SelectionEnd;
    for (const auto& item : Items) {
        if (item->StartPosition + item->Length <= begin)
            continue;
        if (item->StartPosition >= end)
            break;
        item->CopySelection(sink);
    }
}

void TCell::ApplyDefaultFonts()
{
    for (const auto& item : Items)
        item->ApplyDefaultFonts();
}

TSectionBase* TCell::ItemAtY(int y, int& top, int& index) const
{
    int itemTop = 0;
    for (std::size_t i = 0; i < Items.size(); ++i) {
        const int height = Items[i]->SectionHeight;
        if (y >= itemTop && y < itemTop + height) {
            top = itemTop;
            index = static_cast<int>(i);
            return Items[i].get();
        }
        itemTop += height;
    }
    return nullptr;
}
