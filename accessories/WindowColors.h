#pragma once
// The accessories' fixed colours (standard colours, never system ones) set on
// their widgets.

#include "engine/base/Colors.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QPalette>
#include <QWidget>

inline QColor StandardQColor(TColor color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

// Fills the widget with the colour; a view (grid, text box) fills its
// viewport with it too. Other widgets keep their base colour, which check
// marks and radio buttons on them are drawn with.
inline void SetBackground(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, StandardQColor(color));
    if (qobject_cast<QAbstractScrollArea*>(widget) != nullptr)
        palette.setColor(QPalette::Base, StandardQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

inline void SetTextColor(QWidget* widget, TColor color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, StandardQColor(color));
    palette.setColor(QPalette::Text, StandardQColor(color));
    widget->setPalette(palette);
}
