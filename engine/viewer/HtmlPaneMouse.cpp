// THtmlPane: the mouse over the page (cursors, links, images, clicks), drag
// selection with automatic scrolling, word selection, find and copy.

#include "engine/viewer/HtmlPane.h"

#include "engine/forms/FormControlObj.h"
#include "engine/forms/HtmlForm.h"
#include "engine/viewer/PaintPanel.h"

#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

// Digits, ASCII letters and the accented letters of Windows-1252 (192 to 255
// without the multiplication and division signs). Everything else, the
// underscore included, ends a word.
bool IsWordCharacter(char ch)
{
    const auto code = static_cast<unsigned char>(ch);
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'))
        return true;
    return code >= 192 && code != 215 && code != 247;
}

QPoint PanelPoint(const QMouseEvent& event)
{
    return event.position().toPoint();
}

} // namespace

int THtmlPane::DocumentY(int panelY) const
{
    return panelY + VScrollPos() - marginHeight_;
}

int THtmlPane::PositionAtPanel(int x, int y, bool& insideText, int& lineTop)
{
    int lineHeight = 0;
    int cursorX = 0;
    TCell* cell = nullptr;
    insideText = false;
    lineTop = 0;
    return document_->PositionAt(measure_, DocumentLeft(), x, DocumentY(y), insideText, lineHeight, lineTop, cursorX, cell);
}

void THtmlPane::UpdateHotSpot(const std::string& url, const std::string& target)
{
    if (url == hotSpotUrl_)
        return;
    hotSpotUrl_ = url;
    hotSpotTarget_ = target;
    if (OnHotSpotCovered)
        OnHotSpotCovered(*this, url);
}

// The user's handlers may load another page, which frees everything found in
// this one: after each, the mouse handlers go on only on the same page.

void THtmlPane::PanelMouseDown(QMouseEvent& event)
{
    const std::uint64_t page = pageSerial_;
    if (OnMouseDown)
        OnMouseDown(*this, event);
    if (pageSerial_ != page)
        return;
    setFocus();
    linkFollowed_ = false;
    const QPoint point = PanelPoint(event);
    lastPointer_ = point + panel_->pos();
    if (event.button() != Qt::LeftButton)
        return;
    clickCandidate_ = true;
    selecting_ = true;
    bool insideText = false;
    int lineTop = 0;
    selectionAnchor_ = PositionAtPanel(point.x(), point.y(), insideText, lineTop);
    if (selectionAnchor_ < 0)
        return;
    if (document_->SelectionBegin != document_->SelectionEnd)
        panel_->update();
    document_->SelectionBegin = selectionAnchor_;
    document_->SelectionEnd = selectionAnchor_;
    caretPos_ = selectionAnchor_;
}

void THtmlPane::PanelMouseMove(QMouseEvent& event)
{
    const std::uint64_t page = pageSerial_;
    if (OnMouseMove)
        OnMouseMove(*this, event);
    if (pageSerial_ != page)
        return;
    const QPoint point = PanelPoint(event);
    lastPointer_ = point + panel_->pos();
    const int documentY = DocumentY(point.y());

    std::string url;
    std::string target;
    TImageFormControlObj* imageControl = nullptr;
    TUrlTarget link;
    TImageObj* image = nullptr;
    int xInImage = 0;
    int yInImage = 0;
    if (document_->LinkAt(measure_, DocumentLeft(), point.x(), documentY, imageControl, link)) {
        panel_->setCursor(TImageCache::HandCursor);
        if (!imageControl) {
            url = link.Url;
            target = link.Target;
        }
    } else if ((OnImageClick || OnImageOver) &&
               document_->ImageAt(DocumentLeft(), point.x(), documentY, yInImage, xInImage, image)) {
        panel_->setCursor(Qt::ArrowCursor);
        if (OnImageOver)
            OnImageOver(*this, *image, event.modifiers(), xInImage, yInImage);
        if (pageSerial_ != page)
            return;
    } else {
        bool insideText = false;
        int lineTop = 0;
        const int position = PositionAtPanel(point.x(), point.y(), insideText, lineTop);
        panel_->setCursor(position >= 0 && insideText ? TImageCache::IBeamCursor : Qt::ArrowCursor);
    }
    UpdateHotSpot(url, target);
    if (pageSerial_ != page)
        return;

    if (event.buttons() & Qt::LeftButton) {
        if (!autoScrollActive_ && (lastPointer_.y() <= 0 || lastPointer_.y() > height())) {
            autoScrollActive_ = true;
            autoScrollTimer_.start();
        }
        if (!noSelect_)
            ExtendSelection(point.x(), point.y());
    }
}

void THtmlPane::ExtendSelection(int x, int y)
{
    if (!selecting_ || selectionAnchor_ < 0)
        return;
    y = std::clamp(y, 0, height());
    bool insideText = false;
    int lineTop = 0;
    const int position = PositionAtPanel(x, y, insideText, lineTop);
    if (position < 0)
        return;
    if (position != caretPos_ && !noSelect_) {
        document_->SelectionBegin = std::min(selectionAnchor_, position);
        document_->SelectionEnd = std::max(selectionAnchor_, position);
        panel_->update();
    }
    caretPos_ = position;
}

void THtmlPane::AutoScrollStep()
{
    const int y = lastPointer_.y();
    if (!autoScrollActive_ || (y > 0 && y <= height())) {
        StopAutoScroll();
        return;
    }
    int position = VScrollPos();
    const int far = kAutoScrollFarLines * kVerticalLineStep;
    if (y < -kAutoScrollFarDistance)
        position -= far;
    else if (y <= 0)
        position -= kVerticalLineStep;
    else if (y > height() + kAutoScrollFarDistance)
        position += far;
    else
        position += kVerticalLineStep;
    SetVerticalPosition(std::clamp(position, 0, MaxVerticalPosition()));
    const QPoint panelPoint = lastPointer_ - panel_->pos();
    ExtendSelection(panelPoint.x(), panelPoint.y());
    panel_->update();
}

void THtmlPane::StopAutoScroll()
{
    autoScrollActive_ = false;
    autoScrollTimer_.stop();
}

void THtmlPane::PanelMouseUp(QMouseEvent& event)
{
    const std::uint64_t page = pageSerial_;
    if (OnMouseUp)
        OnMouseUp(*this, event);
    if (pageSerial_ != page)
        return;
    const QPoint point = PanelPoint(event);
    lastPointer_ = point + panel_->pos();
    const int documentY = DocumentY(point.y());

    TImageObj* image = nullptr;
    int xInImage = 0;
    int yInImage = 0;
    if (OnImageClick || OnRightClick) {
        if (!document_->ImageAt(DocumentLeft(), point.x(), documentY, yInImage, xInImage, image))
            image = nullptr;
    }
    if (image && OnImageClick) {
        OnImageClick(*this, *image, event.button(), event.modifiers(), xInImage, yInImage);
        if (pageSerial_ != page)
            return;
    }

    if (event.button() == Qt::RightButton && OnRightClick) {
        TRightClickParameters parameters;
        if (image) {
            parameters.Image = image;
            parameters.ImageX = xInImage;
            parameters.ImageY = yInImage;
        }
        TImageFormControlObj* imageControl = nullptr;
        TUrlTarget link;
        if (document_->LinkAt(measure_, DocumentLeft(), point.x(), documentY, imageControl, link) && !imageControl) {
            parameters.Url = link.Url;
            parameters.Target = link.Target;
        }
        OnRightClick(*this, parameters);
        if (pageSerial_ != page)
            return;
    }

    if (event.button() != Qt::LeftButton)
        return;
    ExtendSelection(point.x(), point.y());
    selecting_ = false;
    StopAutoScroll();
    const bool wasCandidate = clickCandidate_;
    clickCandidate_ = false;
    if (!wasCandidate || document_->SelectionEnd > document_->SelectionBegin)
        return;
    TImageFormControlObj* imageControl = nullptr;
    TUrlTarget link;
    if (!document_->LinkAt(measure_, DocumentLeft(), point.x(), documentY, imageControl, link))
        return;
    if (imageControl) {
        TImageObj* picture = nullptr;
        if (document_->ImageAt(DocumentLeft(), point.x(), documentY, yInImage, xInImage, picture) && imageControl->Form)
            imageControl->Form->ImageClicked(*imageControl, xInImage, yInImage);
        return;
    }
    hotSpotUrl_ = link.Url;
    hotSpotTarget_ = link.Target;
    linkFollowed_ = true;
    HotSpotClickAction();
}

void THtmlPane::PanelDoubleClick(QMouseEvent& event)
{
    if (noSelect_ || processing_ || linkFollowed_)
        return;
    const QPoint point = PanelPoint(event);
    bool insideText = false;
    int lineTop = 0;
    const int position = PositionAtPanel(point.x(), point.y(), insideText, lineTop);
    if (position < 0)
        return;
    caretPos_ = position;
    // The position must lie on the line that was clicked.
    int pointY = 0;
    int pointX = 0;
    if (!document_->PositionToPoint(measure_, DocumentLeft(), caretPos_, pointY, pointX) || pointY - marginHeight_ != lineTop)
        return;
    char ch = 0;
    TSectionBase* clickedItem = nullptr;
    if (!document_->CharAt(caretPos_, ch, clickedItem) || !IsWordCharacter(ch))
        return;
    // A character of another item counts as a space: a word never crosses items.
    const auto isWordAt = [this, clickedItem](int at) {
        char character = 0;
        TSectionBase* owner = nullptr;
        return at >= 0 && document_->CharAt(at, character, owner) && owner == clickedItem &&
               IsWordCharacter(character);
    };
    int begin = caretPos_;
    int end = caretPos_ + 1;
    while (isWordAt(end))
        ++end;
    while (isWordAt(begin - 1))
        --begin;
    document_->SelectionBegin = begin;
    document_->SelectionEnd = end;
    panel_->update();
}

bool THtmlPane::Find(std::string_view text, bool matchCase)
{
    if (text.empty())
        return false;
    const std::string_view searched = text.substr(0, kSearchBufferLength);
    const int found = document_->Search(caretPos_, searched, matchCase);
    if (found < 0)
        return false;
    const int length = static_cast<int>(searched.size());
    document_->SelectionBegin = found;
    document_->SelectionEnd = found + length;
    caretPos_ = found + length;
    int y = 0;
    int x = 0;
    if (document_->PositionToPoint(measure_, DocumentLeft(), found, y, x))
        ScrollDocumentYIntoView(y);
    update();
    panel_->update();
    return true;
}

void THtmlPane::SelectAll()
{
    if (document_->Items.empty() || noSelect_)
        return;
    const TSectionBase& last = *document_->Items.back();
    document_->SelectionBegin = 0;
    document_->SelectionEnd = last.StartPosition + last.Length;
    update();
    panel_->update();
}

void THtmlPane::CopyToClipboard()
{
    document_->CopyToClipboard();
}

int THtmlPane::SelLength()
{
    return document_->SelectionLength();
}
