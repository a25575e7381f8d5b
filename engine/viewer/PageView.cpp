#include "engine/viewer/PageView.h"

#include "engine/canvas/Canvas.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"
#include "engine/forms/FormControlObj.h"
#include "engine/viewer/BusyFlag.h"
#include "engine/viewer/PaintPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The remainder of value by divisor, always in 0 .. divisor - 1.
int PositiveModulo(int value, int divisor)
{
    const int remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}

} // namespace

TPageView::TPageView(QWidget& control, TPaintPanel& panel, TSectionList& document, TCanvas& measure, TBusyFlag& busy)
    : control_(control),
      panel_(panel),
      document_(document),
      measure_(measure),
      busy_(busy),
      verticalBar_(new QScrollBar(Qt::Vertical, &control)),
      horizontalBar_(new QScrollBar(Qt::Horizontal, &control))
{
    panel_.move(1, 1);
    panel_.setCursor(TImageCache::IBeamCursor);
    panel_.OnDrawBackground = [this](TCanvas& canvas, const TRect& damaged) { DrawBackground(canvas, damaged); };
    panel_.OnPaint = [this](TCanvas& canvas, const TRect& damaged) { PaintDocument(canvas, damaged); };

    for (QScrollBar* bar : {verticalBar_, horizontalBar_}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setRange(0, 0);
    }
    verticalBar_->setSingleStep(kVerticalLineStep);
    horizontalBar_->setSingleStep(kHorizontalLineStep);
    scrollBarWidth_ = control_.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalBar_);
    // A bar the user works gives the control the focus; the control moving
    // its own bars does not.
    for (QScrollBar* bar : {verticalBar_, horizontalBar_})
        QObject::connect(bar, &QScrollBar::actionTriggered, &control_, [this] { control_.setFocus(); });
    QObject::connect(verticalBar_, &QScrollBar::valueChanged, &control_,
                     [this](int value) { VerticalBarMoved(value); });
    QObject::connect(horizontalBar_, &QScrollBar::valueChanged, &panel_, [this] { panel_.update(); });
}

// ---- Settings ---------------------------------------------------------------

void TPageView::SetBorderStyle(THTMLBorderStyle style)
{
    borderStyle_ = style;
    control_.update();
}

void TPageView::SetScrollBars(TScrollStyle style)
{
    if (style == scrollBars_)
        return;
    scrollBars_ = style;
    {
        const TBusyScope busy(busy_);
        DoLayout();
    }
    Repaint();
}

void TPageView::SetMargin(int& margin, int value)
{
    if (value == margin || busy_.On() || value < 0 || value > kMaxMargin)
        return;
    RelayoutWithCursor([&margin, value] { margin = value; });
}

void TPageView::SetMarginHeight(int margin)
{
    SetMargin(marginHeight_, margin);
}

void TPageView::SetMarginWidth(int margin)
{
    SetMargin(marginWidth_, margin);
}

void TPageView::SetShowImages(bool value)
{
    if (value == document_.ShowImages || busy_.On())
        return;
    RelayoutWithCursor([this, value] {
        document_.ShowImages = value;
        if (!document_.Items.empty())
            document_.BackgroundBitmap();
    });
}

// ---- Layout -----------------------------------------------------------------

bool TPageView::VerticalAllowed() const
{
    return scrollBars_ == TScrollStyle::Vertical || scrollBars_ == TScrollStyle::Both;
}

bool TPageView::HorizontalAllowed() const
{
    return scrollBars_ == TScrollStyle::Horizontal || scrollBars_ == TScrollStyle::Both;
}

int TPageView::PanelHeight() const
{
    return zoom_.ToPage(panel_.height());
}

int TPageView::PanelWidth() const
{
    return zoom_.ToPage(panel_.width());
}

void TPageView::SetZoomPercent(int percent)
{
    percent = TZoom::Clamped(percent);
    if (percent == zoom_.Percent() || busy_.On())
        return;
    if (document_.Items.empty()) {
        zoom_.SetPercent(percent);
        Repaint();
        return;
    }
    RelayoutWithCursor([this, percent] { zoom_.SetPercent(percent); }, TRelayout::WidthOnly);
}

QPoint TPageView::PagePoint(const QPoint& panelPoint) const
{
    if (zoom_.IsNormal())
        return panelPoint;
    // Rounded down, also left of and above the panel.
    const double scale = zoom_.Scale();
    return {static_cast<int>(std::floor(panelPoint.x() / scale)), static_cast<int>(std::floor(panelPoint.y() / scale))};
}

TRect TPageView::PageDamage(TCanvas& canvas, const TRect& damaged) const
{
    if (zoom_.IsNormal())
        return damaged;
    const double scale = zoom_.Scale();
    canvas.SetScale(scale);
    return {static_cast<int>(std::floor(damaged.Left / scale)), static_cast<int>(std::floor(damaged.Top / scale)),
            static_cast<int>(std::ceil(damaged.Right / scale)), static_cast<int>(std::ceil(damaged.Bottom / scale))};
}

void TPageView::DoLayout(TRelayout cause)
{
    if (cause == TRelayout::AnyChange)
        document_.ForgetWidthRanges();
    scrollWidth_ = 0;
    const TSuppressDrawing suppressed(panel_);
    const int border = borderStyle_ == THTMLBorderStyle::None ? 1 : 3;
    int position = 0;
    int maxWidth = 0;
    if (VerticalAllowed()) {
        const int layoutWidth = zoom_.ToPage(control_.width() - scrollBarWidth_ - border) - 2 * marginWidth_;
        docHeight_ = document_.Layout(measure_, marginHeight_, layoutWidth, position, maxWidth) + 2 * marginHeight_;
    } else {
        // Without a vertical bar the page ends at its last item: one margin.
        const int layoutWidth = zoom_.ToPage(control_.width() - border) - 2 * marginWidth_;
        docHeight_ = document_.Layout(measure_, marginHeight_, layoutWidth, position, maxWidth) + marginHeight_;
    }
    scrollWidth_ = maxWidth;
    ArrangeScrollBars();
}

void TPageView::ArrangeScrollBars()
{
    scrollWidth_ = std::min(scrollWidth_, kMaxScrollWidth);
    const int frame = borderStyle_ == THTMLBorderStyle::None ? 0 : 1;
    const int fullWidth = control_.width();
    const int fullHeight = control_.height();
    const int barWidth = scrollBarWidth_;
    // The page's extent on screen decides the bars; their ranges are in page pixels.
    const int contentWidth = 2 * marginWidth_ + scrollWidth_;
    const int screenContentWidth = zoom_.ToScreen(contentWidth);
    const int screenDocHeight = zoom_.ToScreen(docHeight_);

    bool vertical = false;
    bool horizontal = false;
    if (VerticalAllowed()) {
        vertical = screenDocHeight >= fullHeight - 2 ||
                   (HorizontalAllowed() && screenDocHeight >= fullHeight - 2 - barWidth &&
                    screenContentWidth > fullWidth - barWidth);
        horizontal = HorizontalAllowed() && (screenContentWidth > fullWidth ||
                                             (vertical && screenContentWidth > fullWidth - barWidth));
    } else {
        horizontal = HorizontalAllowed() && screenContentWidth > fullWidth;
    }

    const int visibleWidth = vertical ? fullWidth - barWidth : fullWidth;
    const int panelWidth = std::max(0, visibleWidth - 2 * frame);
    const int panelHeight = std::max(0, horizontal ? fullHeight - 2 * frame - barWidth : fullHeight - 2 * frame);
    panel_.setGeometry(frame, frame, panelWidth, panelHeight);

    movingBar_ = true;
    horizontalBar_->setVisible(horizontal);
    horizontalBar_->setPageStep(std::max(1, zoom_.ToPage(visibleWidth - 20)));
    horizontalBar_->setGeometry(frame, fullHeight - barWidth - frame, std::max(0, visibleWidth - frame), barWidth);
    const int horizontalMaximum = std::max(0, std::max(contentWidth, zoom_.ToPage(visibleWidth - 2 * frame)));
    horizontalBar_->setRange(0, std::max(0, horizontalMaximum - zoom_.ToPage(panelWidth)));

    verticalBar_->setGeometry(fullWidth - barWidth - frame, frame, barWidth, panelHeight);
    verticalBar_->setPageStep(std::max(1, zoom_.ToPage(panelHeight) - kVerticalLineStep));
    verticalBar_->setVisible(vertical);
    verticalBar_->setRange(0, MaxVerticalPosition());
    movingBar_ = false;
    // A shorter range may have pulled the position back.
    document_.SetYOffset(verticalBar_->value());
}

int TPageView::MaxVerticalPosition() const
{
    return std::max(0, docHeight_ - PanelHeight());
}

void TPageView::RelayoutKeepPosition(TRelayout cause)
{
    if (busy_.On())
        return;
    const TBusyScope busy(busy_);
    const int position = Position();
    DoLayout(cause);
    SetPosition(position);
}

void TPageView::RelayoutWithCursor(const std::function<void()>& change, TRelayout cause)
{
    const TWaitCursor wait;
    const TBusyScope busy(busy_);
    change();
    if (!document_.Items.empty()) {
        const int position = Position();
        DoLayout(cause);
        SetPosition(position);
        Repaint();
    }
}

void TPageView::ShowEmpty()
{
    docHeight_ = 0;
    scrollWidth_ = 0;
    movingBar_ = true;
    verticalBar_->setRange(0, 0);
    horizontalBar_->setRange(0, 0);
    movingBar_ = false;
    document_.SetYOffset(0);
    verticalBar_->hide();
    horizontalBar_->hide();
    const int frame = borderStyle_ == THTMLBorderStyle::None ? 0 : 1;
    panel_.setGeometry(frame, frame, std::max(0, control_.width() - 2 * frame),
                       std::max(0, control_.height() - 2 * frame));
    verticalBar_->resize(verticalBar_->width(), panel_.height());
}

void TPageView::Resized()
{
    if (control_.width() == lastLayoutWidth_ || busy_.On()) {
        ArrangeScrollBars();
    } else {
        RelayoutKeepPosition(TRelayout::WidthOnly);
        lastLayoutWidth_ = control_.width();
    }
    if (docHeight_ < PanelHeight())
        SetPosition(0);
    else
        ScrollTo(VScrollPos());
    horizontalBar_->setValue(std::min(horizontalBar_->value(), horizontalBar_->maximum()));
}

// ---- Scrolling --------------------------------------------------------------

int TPageView::VScrollPos() const
{
    return verticalBar_->value();
}

int TPageView::HScrollPos() const
{
    return horizontalBar_->value();
}

void TPageView::SetVerticalPosition(int y)
{
    movingBar_ = true;
    verticalBar_->setValue(y);
    movingBar_ = false;
    document_.SetYOffset(y);
}

void TPageView::ScrollTo(int y)
{
    y = std::max(std::min(y, docHeight_ - PanelHeight()), 0);
    SetVerticalPosition(y);
    Repaint();
}

void TPageView::ScrollToLeftAt(int y)
{
    ScrollTo(y);
    horizontalBar_->setValue(0);
}

void TPageView::SetVScrollPos(int y)
{
    y = std::min(std::max(y, 0), docHeight_ - PanelHeight());
    if (y != VScrollPos())
        ScrollTo(y);
}

void TPageView::VerticalBarMoved(int value)
{
    if (movingBar_)
        return;
    // The user moved the bar: the existing pixels move, the uncovered strip is painted.
    const int old = document_.YOffset;
    document_.SetYOffset(value);
    ScrollPanelBy(old - value);
}

void TPageView::ScrollPanelBy(int pagePixels)
{
    if (zoom_.MovesWholeScreenPixels(pagePixels))
        panel_.scroll(0, pagePixels * zoom_.Percent() / 100);
    else
        panel_.update();
}

void TPageView::MoveVertically(int y)
{
    y = std::max(std::min(std::max(y, 0), docHeight_ - PanelHeight()), 0);
    const int old = VScrollPos();
    SetVerticalPosition(y);
    if (std::abs(y - old) == kVerticalLineStep)
        ScrollPanelBy(old - y);
    else
        panel_.update();
}

void TPageView::MoveHorizontally(int x)
{
    // The bar's range ends at its maximum less the panel width.
    horizontalBar_->setValue(std::clamp(x, 0, horizontalBar_->maximum()));
    panel_.update();
}

bool TPageView::ScrollByKey(int key)
{
    const int position = VScrollPos();
    switch (key) {
    case Qt::Key_PageUp:
        MoveVertically(position - verticalBar_->pageStep());
        return true;
    case Qt::Key_PageDown:
        MoveVertically(position + verticalBar_->pageStep());
        return true;
    case Qt::Key_End:
        MoveVertically(docHeight_);
        return true;
    case Qt::Key_Home:
        MoveVertically(0);
        return true;
    case Qt::Key_Up:
        MoveVertically(position - kVerticalLineStep);
        return true;
    case Qt::Key_Down:
        MoveVertically(position + kVerticalLineStep);
        return true;
    case Qt::Key_Left:
        MoveHorizontally(HScrollPos() - kHorizontalLineStep);
        return true;
    case Qt::Key_Right:
        MoveHorizontally(HScrollPos() + kHorizontalLineStep);
        return true;
    default:
        return false;
    }
}

void TPageView::ScrollVerticallyBy(int pixels)
{
    const int old = VScrollPos();
    const int y = std::clamp(old + pixels, 0, MaxVerticalPosition());
    if (y == old)
        return;
    SetVerticalPosition(y);
    ScrollPanelBy(old - y);
}

QPoint TPageView::WheelPixels(const QWheelEvent& event)
{
    QPoint angle = event.angleDelta();
    QPoint pixels = event.pixelDelta();
    if (event.modifiers().testFlag(Qt::ShiftModifier) && angle.x() == 0 && pixels.x() == 0) {
        angle = QPoint(angle.y(), 0);
        pixels = QPoint(pixels.y(), 0);
    }
    if (pixels.isNull()) {
        // One notch is 120 eighths of a degree; finer wheels send less, and
        // what does not make a whole pixel yet waits for the next turn.
        const int lines = QApplication::wheelScrollLines();
        const QPoint turned =
            wheelRemainder_ + QPoint(angle.x() * lines * kHorizontalLineStep, angle.y() * lines * kVerticalLineStep);
        constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
        pixels = QPoint(turned.x() / kNotch, turned.y() / kNotch);
        wheelRemainder_ = turned - pixels * kNotch;
    }
    // A turn away from the user (positive) shows what lies above.
    return -pixels;
}

void TPageView::Wheel(QWheelEvent& event)
{
    event.accept();
    if (busy_.On())
        return;
    const QPoint pixels = WheelPixels(event);

    if (pixels.y() != 0)
        ScrollVerticallyBy(pixels.y());
    if (pixels.x() != 0)
        MoveHorizontally(HScrollPos() + pixels.x());
}

int TPageView::Position() const
{
    int top = 0;
    int index = 0;
    if (!document_.ItemAtY(VScrollPos(), top, index))
        return 0;
    const auto packed = (static_cast<std::uint32_t>(index) << 16) |
                        (static_cast<std::uint32_t>(VScrollPos() - top) & 0xFFFFu);
    return static_cast<int>(packed);
}

void TPageView::SetPosition(int position)
{
    if (position < 0)
        return;
    const auto packed = static_cast<std::uint32_t>(position);
    const int index = static_cast<int>(packed >> 16);
    const int offset = static_cast<int>(packed & 0xFFFFu);
    if (index < static_cast<int>(document_.Items.size()))
        ScrollTo(document_.ItemTop(index) + offset);
}

void TPageView::ScrollDocumentYIntoView(int y)
{
    const int clientHeight = zoom_.ToPage(control_.height());
    if (y < VScrollPos() || y > VScrollPos() + clientHeight - kBottomSlack)
        SetVScrollPos(y - clientHeight / 2);
}

void TPageView::ScrollFormControlIntoView(const TFormControlObj& control)
{
    ScrollDocumentYIntoView(control.LineY);
    Repaint();
}

void TPageView::ScrollPositionIntoView(int position)
{
    int y = 0;
    int x = 0;
    if (document_.PositionToPoint(measure_, DocumentLeft(), position, y, x))
        ScrollDocumentYIntoView(y);
}

// ---- Painting ---------------------------------------------------------------

void TPageView::Repaint()
{
    control_.update();
    panel_.update();
}

void TPageView::PaintBorder()
{
    if (borderStyle_ == THTMLBorderStyle::None)
        return;
    const bool visible = borderStyle_ == THTMLBorderStyle::Single ||
                         (borderStyle_ == THTMLBorderStyle::Focused && control_.hasFocus());
    QPainter painter(&control_);
    painter.setPen(ToQColor(visible ? clWindowText : panel_.Color));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, control_.width() - 1, control_.height() - 1);
}

void TPageView::DrawBackground(TCanvas& canvas, const TRect& panelDamage)
{
    if (!canvas.HasDevice())
        return;
    const TRect damaged = PageDamage(canvas, panelDamage);
    const int vertical = VScrollPos();
    const int horizontal = HScrollPos();
    canvas.SetBrush(panel_.Color | kPaletteRelative);
    const QImage& tile = document_.ShowImages ? document_.BackgroundBitmap() : QImage();
    if (tile.isNull() || tile.width() <= 0 || tile.height() <= 0) {
        canvas.FillRect(damaged);
        return;
    }
    // A picture with alpha (a PNG) is blended onto the page's colour.
    if (tile.hasAlphaChannel())
        canvas.FillRect(damaged);
    // The tile grid is anchored to the document, so that it scrolls with the page.
    const int tileWidth = tile.width();
    const int tileHeight = tile.height();
    const int firstX = damaged.Left - PositiveModulo(damaged.Left + horizontal, tileWidth);
    const int firstY = damaged.Top - PositiveModulo(damaged.Top + vertical, tileHeight);
    for (int y = firstY; y < damaged.Bottom; y += tileHeight)
        for (int x = firstX; x < damaged.Right; x += tileWidth)
            canvas.Draw(x, y, tile);
}

void TPageView::PaintDocument(TCanvas& canvas, const TRect& panelDamage)
{
    if (panel_.DrawingSuppressed)
        return;
    const TRect damaged = PageDamage(canvas, panelDamage);
    TRect clip{marginWidth_, 1, PanelWidth(), PanelHeight()};
    // Painting the whole view places every visible form control and marks
    // every visible animation as painted; without either, the items outside
    // the damaged rectangle can be skipped with the same pixels.
    if (document_.FormControlList.empty() && document_.AnimatedImages.empty())
        clip = clip.Intersected(damaged);
    animations_.Clear();
    canvas.AnimationNotes = &animations_;
    document_.Paint(canvas, clip, marginHeight_, DocumentLeft(), kMaxScrollWidth);
    canvas.AnimationNotes = nullptr;
    if (OnPaintOver)
        OnPaintOver(canvas);
}

int TPageView::ShownTop() const
{
    return VScrollPos();
}

int TPageView::ShownBottom() const
{
    return VScrollPos() + PanelHeight();
}

void TPageView::PaintPanelInto(QImage& image, const QRect& rectangle)
{
    if (!panel_.DrawingSuppressed)
        panel_.PaintInto(image, rectangle);
}
