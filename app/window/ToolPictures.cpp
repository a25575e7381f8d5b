#include "app/window/ToolPictures.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include <functional>

namespace {

constexpr int kSize = 16;

QIcon DrawIcon(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

void DrawSheet(QPainter& painter, int x, int y)
{
    painter.setBrush(Qt::white);
    painter.drawRect(x, y, 8, 10);
    for (int line = y + 3; line < y + 10; line += 2)
        painter.drawLine(x + 2, line, x + 6, line);
}

} // namespace

QIcon SavePicture()
{
    return DrawIcon([](QPainter& painter) {
        painter.setBrush(QColor(0, 0, 128));
        painter.drawRect(1, 1, 13, 13);
        painter.setBrush(Qt::white);
        painter.drawRect(4, 1, 7, 5);
        painter.setBrush(QColor(192, 192, 192));
        painter.drawRect(4, 9, 7, 5);
    });
}

QIcon PrintPicture()
{
    return DrawIcon([](QPainter& painter) {
        painter.setBrush(Qt::white);
        painter.drawRect(4, 1, 7, 5);
        painter.setBrush(QColor(192, 192, 192));
        painter.drawRect(1, 6, 13, 6);
        painter.setBrush(Qt::white);
        painter.drawRect(4, 10, 7, 4);
        painter.fillRect(11, 8, 2, 1, Qt::green);
    });
}

QIcon CopyPicture()
{
    return DrawIcon([](QPainter& painter) {
        DrawSheet(painter, 1, 1);
        DrawSheet(painter, 6, 5);
    });
}

QIcon OpenPicture()
{
    return DrawIcon([](QPainter& painter) {
        // A yellow folder with its flap open.
        painter.setBrush(QColor(255, 255, 128));
        painter.drawRect(1, 4, 11, 9);
        painter.drawLine(2, 3, 5, 3);
        painter.setBrush(QColor(192, 160, 0));
        painter.drawPolygon(QPolygon({QPoint(1, 13), QPoint(4, 7), QPoint(15, 7), QPoint(12, 13)}));
    });
}

QIcon BackPicture()
{
    return DrawIcon([](QPainter& painter) {
        painter.setBrush(QColor(0, 128, 0));
        painter.drawPolygon(QPolygon({QPoint(1, 8), QPoint(7, 2), QPoint(7, 5), QPoint(14, 5), QPoint(14, 11),
                                      QPoint(7, 11), QPoint(7, 14)}));
    });
}

QIcon ForwardPicture()
{
    return DrawIcon([](QPainter& painter) {
        painter.setBrush(QColor(0, 128, 0));
        painter.drawPolygon(QPolygon({QPoint(14, 8), QPoint(8, 2), QPoint(8, 5), QPoint(1, 5), QPoint(1, 11),
                                      QPoint(8, 11), QPoint(8, 14)}));
    });
}

QIcon ReloadPicture()
{
    return DrawIcon([](QPainter& painter) {
        // Three quarters of a circle and the head of its arrow.
        QPen pen(QColor(0, 0, 160), 2);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(2, 2, 11, 11, 90 * 16, 270 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 160));
        painter.drawPolygon(QPolygon({QPoint(7, 0), QPoint(11, 3), QPoint(7, 6)}));
    });
}
