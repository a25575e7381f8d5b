#pragma once
// The document item: what every piece of a page (text section, vertical space,
// rule, table) offers its container. Containers forward these operations to
// their items in order, adding their own offsets.
//
// Coordinates: Y is document Y (pixels from the top of the document, top
// margin included) unless said otherwise; during layout X is relative to the
// containing cell's left edge; painting and the point queries get that left
// edge in window X from the container, as they get the item's top, so that
// nothing the device learns is written into the model. Character positions
// run over the whole document's text; an inline image and a form control
// count one each, spaces and rules none.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct TRect;
class TCanvas;
class TCell;
class TImageFormControlObj;
class TImageObj;
class TSectionList;
class TTextSink;
class IndentManager;
struct TUrlTarget;

// Raised by an item's layout when the item cannot be laid out; the containing
// cell shows the message, drops the item and lays out the rest.
class EProcessError : public std::runtime_error {
public:
    // The message is a Windows-1252 byte string.
    explicit EProcessError(const std::string& message) : std::runtime_error(message) {}
};

class TSectionBase {
public:
    TSectionBase() = default;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;
    virtual ~TSectionBase() = default;

    // Set when the item is added to a container.
    TSectionList* Document = nullptr;
    // Height the item takes in the flow: the next item goes below it.
    int SectionHeight = 0;
    // Height to paint: at least the section height, more when floats hang below.
    int DrawHeight = 0;
    // Top of the item in document Y, set by layout.
    int Y = 0;
    // First character position and number of positions the item owns.
    int StartPosition = 0;
    int Length = 0;

    // The operations, in the design's slot order.

    // Sends the selected part of the item to the sink.
    virtual void CopySelection(TTextSink& sink);

    // Lays the item out at document Y y. `position` is the running character
    // position: the item takes its positions from it and advances it past
    // them. `maxWidth` receives the width the item needs. Returns the height
    // the item takes in the flow. May throw EProcessError.
    virtual int Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent);

    // Paints the item at document Y y (window Y = y minus the document's
    // Y offset) with its cell's left edge at window X x; only what meets
    // `clip` (window coordinates) needs drawing. Returns the Y where the next
    // item starts.
    virtual int Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager& indent);

    // The link under window X x and y relative to the item top, the item's
    // cell having its left edge at window X cellLeft. An image form control
    // under the point is returned in `imageControl` (the target is then left
    // alone); a text or image link fills `target`.
    virtual bool LinkAt(TCanvas& canvas, int cellLeft, int x, int y, TImageFormControlObj*& imageControl,
                        TUrlTarget& target);

    // The inline image under window X x and y relative to the item top, and the
    // point inside the picture.
    virtual bool ImageAt(int cellLeft, int x, int y, int& yInImage, int& xInImage, TImageObj*& image);

    // The character position under window X x and y relative to the item top,
    // or -1. `insideText` tells whether the point lies on the text itself;
    // `lineHeight`, `lineTop` (relative to the item top) and `cursorX` (window X)
    // describe the line and where a caret would stand. `cell` receives the
    // innermost cell that answered, when none is recorded yet.
    virtual int PositionAt(TCanvas& canvas, int cellLeft, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                           int& cursorX, TCell*& cell);

    // The first position at or after `start` where `text` occurs in the item,
    // or -1.
    virtual int Search(int start, std::string_view text, bool matchCase);

    // Document Y of the line holding `position` and the character's window X,
    // the item's cell having its left edge at window X cellLeft.
    virtual bool PositionToPoint(TCanvas& canvas, int cellLeft, int position, int& y, int& x);

    // The character at `position` and the item that owns it.
    virtual bool CharAt(int position, char& ch, TSectionBase*& item);

    // The lowest document Y at or above `limit` where a printed page may end
    // without cutting a line, a row or a picture of the item (its top when
    // none); `limit` lies within the item.
    virtual int PageBreakAbove([[maybe_unused]] int limit) const { return Y; }

    // Re-applies the document's default fonts and colours. The base recomputes
    // the size-dependent spacing.
    virtual void ApplyDefaultFonts();

    // Recomputes what scales with the document's base font size.
    virtual void AdjustToBaseSize();

    // The narrowest and widest the item can usefully be laid out.
    virtual void WidthRange(TCanvas& canvas, int& minimum, int& maximum);

    // Not one of the slots: called by TCell::Add once the document is set and
    // before AdjustToBaseSize, so that an item can settle its content for good
    // (an empty preformatted section takes one space there).
    virtual void Added() {}

    // Not one of the slots: calls `visit` with this item and every item that
    // lies inside it (in a table's cells and caption).
    virtual void VisitItems(const std::function<void(const TSectionBase& item)>& visit) const { visit(*this); }

    // Not one of the slots: appends the boxes (window X, document Y) that
    // the characters from `begin` to `end` cover, one per line, the item's
    // cell having its left edge at window X cellLeft. Nothing for an item
    // without text.
    virtual void RangeBoxes(int /*cellLeft*/, int /*begin*/, int /*end*/, std::vector<TRect>& /*boxes*/) {}
};
