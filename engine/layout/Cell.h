#pragma once
// A container of document items: the page body, every table cell and every
// table caption. It owns its items, lays them out one below the other with
// its own indent manager, and forwards the point and position queries to them.
//
// Point queries take X in window coordinates (compared with what the last
// painting recorded) and Y measured from the top of the cell's first item.

#include "engine/base/Colors.h"
#include "engine/layout/IndentManager.h"
#include "engine/layout/ItemList.h"
#include "engine/layout/SectionBase.h"

#include <functional>
#include <memory>
#include <string_view>

// Cells are never deleted through a TCell pointer (the document is one, the
// others are members of table cells), so the class has no virtual functions:
// a table of a million cells carries no vtable pointers.
class TCell {
public:
    explicit TCell(TSectionList* document);
    TCell(const TCell&) = delete;
    TCell& operator=(const TCell&) = delete;
    ~TCell();

    TSectionList* Document;
    // The width and the indent records of the last layout, which painting
    // reads back.
    TCellIndents Indent;
    TItemList Items;
    // Document Y of the cell top and the positions it covered at the last layout.
    int Y = 0;
    int StartPosition = 0;
    int Length = 0;
    // BGCOLOR of a table cell or row.
    TColor BkColor = 0;
    bool HasBkColor = false;

    // Takes the item (a null one is ignored), sets its document and lets it
    // size itself to the base font size.
    void Add(std::unique_ptr<TSectionBase> item);

    // Lays the items out from document Y y for the given width, taking
    // character positions from `position`. `maxWidth` receives the widest
    // width an item asked for. Returns the height, at least down to the lowest
    // float. An item that throws EProcessError is reported, removed and freed.
    int Layout(TCanvas& canvas, int y, int width, int& position, int& maxWidth);

    // Minimum and maximum over the items' ranges.
    void WidthRange(TCanvas& canvas, int& minimum, int& maximum);

    // Paints the items from document Y y with the cell's left edge at window X
    // x; returns the Y after the last item.
    int Paint(TCanvas& canvas, const TRect& clip, int y, int x, int clipWidth);

    // The point queries of the items, for the cell's left edge at window X
    // left and y relative to the cell's first item.
    bool LinkAt(TCanvas& canvas, int left, int x, int y, TImageFormControlObj*& imageControl, TUrlTarget& target);
    bool ImageAt(int left, int x, int y, int& yInImage, int& xInImage, TImageObj*& image);
    // `lineTop` comes back relative to the cell's first item; `cell` records
    // the innermost cell that found a position, when none is recorded yet.
    int PositionAt(TCanvas& canvas, int left, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                   int& cursorX, TCell*& cell);
    int Search(int start, std::string_view text, bool matchCase);
    bool PositionToPoint(TCanvas& canvas, int left, int position, int& y, int& x);
    bool CharAt(int position, char& ch, TSectionBase*& item);
    // The lowest document Y at or above `limit` where a printed page may end
    // between items or within the item `limit` falls in.
    int PageBreakAbove(int limit) const;
    // The boxes of the items' characters from begin to end (TSectionBase::RangeBoxes).
    void RangeBoxes(int left, int begin, int end, std::vector<TRect>& boxes);
    // Copies the items that overlap the document's selection into the sink.
    void CopySelection(TTextSink& sink);
    void ApplyDefaultFonts();

    // Calls `visit` with every item and every item inside them.
    void VisitItems(const std::function<void(const TSectionBase& item)>& visit) const;

    // The first item whose band [top, top + section height) holds y, with its
    // top and index; null when y lies below every item.
    TSectionBase* ItemAtY(int y, int& top, int& index) const;

private:
    // PositionAt for a point over an item that takes no height in the flow.
    int PositionInFloat(TCanvas& canvas, int left, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                        int& cursorX, TCell*& cell);
};
