#include "app/window/ProgramPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Drawn on a 100-unit square and scaled to the size asked for.
constexpr double kUnits = 100.0;

void DrawGlobe(QPainter& painter)
{
    QRadialGradient sea(QPointF(38, 36), 60);
    sea.setColorAt(0, QColor(120, 180, 255));
    sea.setColorAt(1, QColor(0, 50, 150));
    painter.setPen(QPen(QColor(0, 30, 90), 3));
    painter.setBrush(sea);
    painter.drawEllipse(QRectF(6, 6, 88, 88));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 225, 255), 2));
    painter.drawEllipse(QRectF(30, 6, 40, 88));
    painter.drawLine(QPointF(50, 6), QPointF(50, 94));
    painter.drawLine(QPointF(6, 50), QPointF(94, 50));
    painter.drawLine(QPointF(15, 28), QPointF(85, 28));
    painter.drawLine(QPointF(15, 72), QPointF(85, 72));
}

void DrawLetter(QPainter& painter)
{
    QPainterPath letter;
    letter.moveTo(26, 24);
    letter.lineTo(76, 24);
    letter.lineTo(76, 34);
    letter.lineTo(42, 68);
    letter.lineTo(76, 68);
    letter.lineTo(76, 78);
    letter.lineTo(24, 78);
    letter.lineTo(24, 68);
    letter.lineTo(58, 34);
    letter.lineTo(26, 34);
    letter.closeSubpath();
    painter.setPen(QPen(QColor(90, 60, 0), 2));
    painter.setBrush(QColor(255, 215, 0));
    painter.drawPath(letter);
}

} // namespace

QImage ProgramPicture(int size)
{
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kUnits, size / kUnits);
    DrawGlobe(painter);
    DrawLetter(painter);
    return picture;
}
