#include "engine/viewer/PaintPanel.h"

#include "engine/canvas/Canvas.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TPaintPanel::TPaintPanel(QWidget* owner) : QWidget(owner)
{
    // The whole damaged rectangle is painted every time: Qt need not erase it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

bool TPaintPanel::focusNextPrevChild(bool next)
{
    if (OnFocusNextControl && OnFocusNextControl(next))
        return true;
    return QWidget::focusNextPrevChild(next);
}

void TPaintPanel::PaintInto(QImage& image, const QRect& rectangle)
{
    TCanvas canvas(&image);
    canvas.SetWindowOrigin(rectangle.left(), rectangle.top());
    const TRect damaged = ToTRect(rectangle);
    if (OnDrawBackground)
        OnDrawBackground(canvas, damaged);
    if (OnPaint)
        OnPaint(canvas, damaged);
}

void TPaintPanel::paintEvent(QPaintEvent* event)
{
    if (DrawingSuppressed)
        return;
    const QRect damaged = event->rect();
    const qreal ratio = devicePixelRatioF();
    QImage image(damaged.size() * ratio, QImage::Format_RGB32);
    // Out of resources: nothing of this frame is copied. Raising from a paint
    // event would unwind through the toolkit's painting.
    if (image.isNull())
        return;
    image.setDevicePixelRatio(ratio);
    PaintInto(image, damaged);
    QPainter painter(this);
    painter.drawImage(damaged.topLeft(), image);
}

void TPaintPanel::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(*event);
}

void TPaintPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(*event);
}

void TPaintPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseUp)
        OnMouseUp(*event);
}

void TPaintPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnDoubleClick)
        OnDoubleClick(*event);
}
