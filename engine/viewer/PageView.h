#pragma once
// TPageView, what the viewer control shows of its page: the paint panel and
// the two scroll bars, children of the control. It lays the document out for
// the control's width, arranges the bars, scrolls by bar, key and wheel, and
// paints the border, the background and the document. The control owns it
// and forwards its widget events; the view knows the document, a measuring
// canvas and the busy flag, nothing of loading, history or links.

#include "engine/base/Colors.h"
#include "engine/base/Rect.h"
#include "engine/images/AnimationNotes.h"
#include "engine/viewer/Zoom.h"

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <functional>

class QImage;
class QKeyEvent;
class QScrollBar;
class QWheelEvent;
class QWidget;
class TBusyFlag;
class TCanvas;
class TFormControlObj;
class TPaintPanel;
class TSectionList;

enum class THTMLBorderStyle : std::uint8_t { Focused, None, Single };
enum class TScrollStyle : std::uint8_t { None, Horizontal, Vertical, Both };

class TPageView {
public:
    static constexpr int kVerticalLineStep = 16;
    static constexpr int kHorizontalLineStep = 15;
    // Content wider than this scrolls no further: the document paints no
    // wider than this either.
    static constexpr int kMaxScrollWidth = 2000;
    static constexpr int kMaxMargin = 50;
    // Form controls and found text closer than this to the bottom edge are
    // scrolled into the middle of the view.
    static constexpr int kBottomSlack = 20;

    // The panel is the control's child already (the document places its form
    // controls on it); the view adds the bars.
    TPageView(QWidget& control, TPaintPanel& panel, TSectionList& document, TCanvas& measure, TBusyFlag& busy);

    TPaintPanel& Panel() { return panel_; }
    QScrollBar& VerticalBar() { return *verticalBar_; }
    QScrollBar& HorizontalBar() { return *horizontalBar_; }
    int DocHeight() const { return docHeight_; }
    int ScrollWidth() const { return scrollWidth_; }

    // ---- Settings ------------------------------------------------------------
    THTMLBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(THTMLBorderStyle style);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    int MarginHeight() const { return marginHeight_; }
    void SetMarginHeight(int margin);
    int MarginWidth() const { return marginWidth_; }
    void SetMarginWidth(int margin);
    // Pictures shown, or their frames only: the page is laid out again.
    void SetShowImages(bool value);
    // The page laid out for the control's width at that scale, the paragraph
    // at the top of the view kept there.
    const TZoom& Zoom() const { return zoom_; }
    void SetZoomPercent(int percent);
    // A point of the panel in page pixels (what the document's queries take).
    QPoint PagePoint(const QPoint& panelPoint) const;

    // ---- Layout ----------------------------------------------------------------
    // What a layout follows: any change, or only another width (a resize, a
    // zoom), for which the tables keep the width ranges of their cells.
    enum class TRelayout { AnyChange, WidthOnly };
    // Lays the document out for the current width and arranges the bars.
    void DoLayout(TRelayout cause = TRelayout::AnyChange);
    // Sizes the panel and both bars from DocHeight and ScrollWidth.
    void ArrangeScrollBars();
    // DoLayout keeping the view on the same paragraph (nothing while busy).
    void RelayoutKeepPosition(TRelayout cause = TRelayout::AnyChange);
    // Busy with the hourglass: the change, then, when the page has items, a
    // layout keeping the position and a repaint.
    void RelayoutWithCursor(const std::function<void()>& change, TRelayout cause = TRelayout::AnyChange);
    // No page: no bars, the panel over the whole control.
    void ShowEmpty();

    // ---- Scrolling -------------------------------------------------------------
    // The item at the top of the view in the high half, the offset into it in
    // the low half, so that the view survives a re-layout.
    int Position() const;
    void SetPosition(int position);
    int VScrollPos() const;
    void SetVScrollPos(int y);
    int HScrollPos() const;
    // Window X of the document's left edge: the margin, less the scrolling.
    int DocumentLeft() const { return marginWidth_ - HScrollPos(); }
    // Where the last painting drew the page's animated pictures.
    const TAnimationNotes& Animations() const { return animations_; }
    // The vertical position, limited to the document, and a repaint.
    void ScrollTo(int y);
    // ScrollTo, and the left edge of the page.
    void ScrollToLeftAt(int y);
    // The bar and the document's offset, without limit or repaint.
    void SetVerticalPosition(int y);
    int MaxVerticalPosition() const;
    // Scrolls the control's line into the middle of the view unless it shows.
    void ScrollFormControlIntoView(const TFormControlObj& control);
    // The same for the line of a character position (what find found).
    void ScrollPositionIntoView(int position);

    // ---- The control's events --------------------------------------------------
    void Repaint();
    // After the control was resized.
    void Resized();
    // The scroll keys; false for any other key.
    bool ScrollByKey(int key);
    void Wheel(QWheelEvent& event);
    void PaintBorder();
    // Paints the part of the panel as the panel's paint would, into an image
    // of that size (batch rendering; the rectangle is in panel coordinates).
    void PaintPanelInto(QImage& image, const QRect& rectangle);
    // Paints over the document what the control shows on it (the focus
    // frame, the found text), in panel coordinates.
    std::function<void(TCanvas& canvas)> OnPaintOver;
    // The document Ys of the top and the bottom of what the panel shows.
    int ShownTop() const;
    int ShownBottom() const;

private:
    bool VerticalAllowed() const;
    bool HorizontalAllowed() const;
    // The panel's size in page pixels.
    int PanelHeight() const;
    int PanelWidth() const;
    // The rectangle of the panel in page pixels, and the canvas set to draw
    // page pixels there.
    TRect PageDamage(TCanvas& canvas, const TRect& damaged) const;
    // Moves the panel's pixels by so many page pixels where they land on
    // whole screen pixels; paints it all again where they do not.
    void ScrollPanelBy(int pagePixels);
    void SetMargin(int& margin, int value);
    void MoveVertically(int y);
    void MoveHorizontally(int x);
    // Moves the existing pixels and paints only the strip uncovered.
    void ScrollVerticallyBy(int pixels);
    // The wheel's turn in pixels to scroll by: Qt's wheel-scroll lines per
    // notch, Shift turning it sideways, a touchpad's own pixels as they come.
    QPoint WheelPixels(const QWheelEvent& event);
    void VerticalBarMoved(int value);
    // Scrolls the document Y into the middle of the view unless it shows.
    void ScrollDocumentYIntoView(int y);
    void DrawBackground(TCanvas& canvas, const TRect& panelDamage);
    void PaintDocument(TCanvas& canvas, const TRect& panelDamage);

    QWidget& control_;
    TPaintPanel& panel_;
    TSectionList& document_;
    TCanvas& measure_;
    TAnimationNotes animations_;
    TBusyFlag& busy_;
    QScrollBar* verticalBar_;
    QScrollBar* horizontalBar_;
    TScrollStyle scrollBars_ = TScrollStyle::Both;
    THTMLBorderStyle borderStyle_ = THTMLBorderStyle::Focused;
    int marginHeight_ = 5;
    int marginWidth_ = 10;
    int lastLayoutWidth_ = 0;
    int scrollBarWidth_ = 0;
    int scrollWidth_ = 0;
    int docHeight_ = 0;
    TZoom zoom_;
    // Set while the view moves its own vertical bar.
    bool movingBar_ = false;
    // What fine-stepping wheels turned short of a whole pixel, in eighths of
    // a degree times pixels per notch (see WheelPixels).
    QPoint wheelRemainder_;
};
