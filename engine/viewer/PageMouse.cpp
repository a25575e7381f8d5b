#include "engine/viewer/PageMouse.h"

#include "engine/forms/HtmlForm.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"
#include "engine/forms/FormControlObj.h"
#include "engine/viewer/BusyFlag.h"
#include "engine/viewer/PageSelection.h"
#include "engine/viewer/PageView.h"
#include "engine/viewer/PaintPanel.h"

#include <QMouseEvent>

#include <algorithm>

TPageMouse::TPageMouse(QWidget& control, TPageView& view, TPageSelection& selection, TSectionList& document,
                       TCanvas& measure, TBusyFlag& busy, TPageMouseListener& listener)
    : control_(control),
      view_(view),
      selection_(selection),
      document_(document),
      measure_(measure),
      busy_(busy),
      listener_(listener)
{
    TPaintPanel& panel = view_.Panel();
    panel.OnMouseDown = [this](QMouseEvent& event) { Down(event); };
    panel.OnMouseMove = [this](QMouseEvent& event) { Move(event); };
    panel.OnMouseUp = [this](QMouseEvent& event) { Up(event); };
    panel.OnDoubleClick = [this](QMouseEvent& event) { DoubleClick(event); };
    autoScrollTimer_.setInterval(kAutoScrollInterval);
    QObject::connect(&autoScrollTimer_, &QTimer::timeout, &control_, [this] { AutoScrollStep(); });
}

void TPageMouse::ForgetPress()
{
    clickCandidate_ = false;
    selecting_ = false;
    StopAutoScroll();
}

QPoint TPageMouse::PagePoint(const QMouseEvent& event)
{
    const QPoint panelPoint = event.position().toPoint();
    lastPointer_ = panelPoint + view_.Panel().pos();
    return view_.PagePoint(panelPoint);
}

int TPageMouse::DocumentY(int panelY) const
{
    return panelY + view_.VScrollPos() - view_.MarginHeight();
}

int TPageMouse::PositionAtPanel(int x, int y, bool& insideText, int& lineTop)
{
    int lineHeight = 0;
    int cursorX = 0;
    TCell* cell = nullptr;
    insideText = false;
    lineTop = 0;
    return document_.PositionAt(measure_, view_.DocumentLeft(), x, DocumentY(y), insideText, lineHeight, lineTop, cursorX, cell);
}

bool TPageMouse::UpdateHotSpot(const std::string& url, const std::string& target)
{
    if (url == hotSpotUrl_)
        return true;
    hotSpotUrl_ = url;
    hotSpotTarget_ = target;
    return listener_.HotSpotCovered(url);
}

// After each report to the listener, the handlers go on only on the same page.

void TPageMouse::Down(QMouseEvent& event)
{
    if (!listener_.MouseDown(event))
        return;
    control_.setFocus();
    linkFollowed_ = false;
    const QPoint point = PagePoint(event);
    if (event.button() != Qt::LeftButton)
        return;
    clickCandidate_ = true;
    selecting_ = true;
    bool insideText = false;
    int lineTop = 0;
    if (selection_.Press(PositionAtPanel(point.x(), point.y(), insideText, lineTop)))
        view_.Panel().update();
}

bool TPageMouse::ShowPointerShape(const QMouseEvent& event, const QPoint& point)
{
    TPaintPanel& panel = view_.Panel();
    const int documentY = DocumentY(point.y());
    std::string url;
    std::string target;
    TImageFormControlObj* imageControl = nullptr;
    TUrlTarget link;
    TImageObj* image = nullptr;
    int xInImage = 0;
    int yInImage = 0;
    if (document_.LinkAt(measure_, view_.DocumentLeft(), point.x(), documentY, imageControl, link)) {
        panel.setCursor(TImageCache::HandCursor);
        if (!imageControl) {
            url = link.Url;
            target = link.Target;
        }
    } else if (listener_.WatchesImagesOnMove() &&
               document_.ImageAt(view_.DocumentLeft(), point.x(), documentY, yInImage, xInImage, image)) {
        panel.setCursor(Qt::ArrowCursor);
        if (!listener_.ImageOver(*image, event.modifiers(), xInImage, yInImage))
            return false;
    } else {
        bool insideText = false;
        int lineTop = 0;
        const int position = PositionAtPanel(point.x(), point.y(), insideText, lineTop);
        panel.setCursor(position >= 0 && insideText ? TImageCache::IBeamCursor : Qt::ArrowCursor);
    }
    return UpdateHotSpot(url, target);
}

void TPageMouse::Move(QMouseEvent& event)
{
    if (!listener_.MouseMove(event))
        return;
    const QPoint point = PagePoint(event);
    if (!ShowPointerShape(event, point) || !(event.buttons() & Qt::LeftButton))
        return;
    if (!autoScrollActive_ && (lastPointer_.y() <= 0 || lastPointer_.y() > control_.height())) {
        autoScrollActive_ = true;
        autoScrollTimer_.start();
    }
    if (!selection_.NoSelect())
        ExtendSelection(point.x(), point.y());
}

void TPageMouse::ExtendSelection(int x, int y)
{
    if (!selecting_ || selection_.Anchor() < 0)
        return;
    y = std::clamp(y, 0, view_.Zoom().ToPage(control_.height()));
    bool insideText = false;
    int lineTop = 0;
    const int position = PositionAtPanel(x, y, insideText, lineTop);
    if (position >= 0 && selection_.ExtendTo(position))
        view_.Panel().update();
}

void TPageMouse::AutoScrollStep()
{
    const int y = lastPointer_.y();
    if (!autoScrollActive_ || (y > 0 && y <= control_.height())) {
        StopAutoScroll();
        return;
    }
    int position = view_.VScrollPos();
    const int far = kAutoScrollFarLines * TPageView::kVerticalLineStep;
    if (y < -kAutoScrollFarDistance)
        position -= far;
    else if (y <= 0)
        position -= TPageView::kVerticalLineStep;
    else if (y > control_.height() + kAutoScrollFarDistance)
        position += far;
    else
        position += TPageView::kVerticalLineStep;
    view_.SetVerticalPosition(std::clamp(position, 0, view_.MaxVerticalPosition()));
    const QPoint pagePoint = view_.PagePoint(lastPointer_ - view_.Panel().pos());
    ExtendSelection(pagePoint.x(), pagePoint.y());
    view_.Panel().update();
}

void TPageMouse::StopAutoScroll()
{
    autoScrollActive_ = false;
    autoScrollTimer_.stop();
}

TImageObj* TPageMouse::ReleasedImage(const QPoint& point, int& x, int& y)
{
    TImageObj* image = nullptr;
    if (listener_.WatchesImagesOnRelease() && document_.ImageAt(view_.DocumentLeft(), point.x(), DocumentY(point.y()), y, x, image))
        return image;
    return nullptr;
}

bool TPageMouse::ReportRightClick(const QMouseEvent& event, TImageObj* image, int x, int y)
{
    const QPoint point = PagePoint(event);
    TRightClickParameters parameters;
    parameters.ScreenPoint = event.globalPosition().toPoint();
    if (image) {
        parameters.Image = image;
        parameters.ImageX = x;
        parameters.ImageY = y;
    }
    TImageFormControlObj* imageControl = nullptr;
    TUrlTarget link;
    if (document_.LinkAt(measure_, view_.DocumentLeft(), point.x(), DocumentY(point.y()), imageControl, link) && !imageControl) {
        parameters.Url = link.Url;
        parameters.Target = link.Target;
    }
    return listener_.RightClicked(parameters);
}

void TPageMouse::Up(QMouseEvent& event)
{
    if (!listener_.MouseUp(event))
        return;
    const QPoint point = PagePoint(event);
    int xInImage = 0;
    int yInImage = 0;
    TImageObj* image = ReleasedImage(point, xInImage, yInImage);
    if (image && !listener_.ImageClicked(*image, event.button(), event.modifiers(), xInImage, yInImage))
        return;
    if (event.button() == Qt::RightButton && listener_.WatchesRightClick() &&
        !ReportRightClick(event, image, xInImage, yInImage))
        return;
    if (event.button() == Qt::LeftButton)
        LeftRelease(point);
}

void TPageMouse::LeftRelease(const QPoint& point)
{
    ExtendSelection(point.x(), point.y());
    selecting_ = false;
    StopAutoScroll();
    const bool wasCandidate = clickCandidate_;
    clickCandidate_ = false;
    if (!wasCandidate || document_.SelectionEnd > document_.SelectionBegin)
        return;
    const int documentY = DocumentY(point.y());
    TImageFormControlObj* imageControl = nullptr;
    TUrlTarget link;
    if (!document_.LinkAt(measure_, view_.DocumentLeft(), point.x(), documentY, imageControl, link))
        return;
    if (imageControl) {
        TImageObj* picture = nullptr;
        int xInImage = 0;
        int yInImage = 0;
        if (document_.ImageAt(view_.DocumentLeft(), point.x(), documentY, yInImage, xInImage, picture) && imageControl->Form)
            imageControl->Form->ImageClicked(*imageControl, xInImage, yInImage);
        return;
    }
    hotSpotUrl_ = link.Url;
    hotSpotTarget_ = link.Target;
    linkFollowed_ = true;
    listener_.LinkClicked();
}

void TPageMouse::DoubleClick(QMouseEvent& event)
{
    if (selection_.NoSelect() || busy_.On() || linkFollowed_)
        return;
    const QPoint point = PagePoint(event);
    bool insideText = false;
    int lineTop = 0;
    const int position = PositionAtPanel(point.x(), point.y(), insideText, lineTop);
    if (position >= 0 && selection_.SelectWordAt(position, lineTop + view_.MarginHeight()))
        view_.Panel().update();
}
