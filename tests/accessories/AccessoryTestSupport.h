#pragma once
// What the accessory tests share: the recording error box, key presses sent
// to the focused widget, and showing a window as the active one.

#include "tests/EngineFakes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <string>
#include <string_view>
#include <vector>

// Sends one key press, as the keyboard would, to the window's focused widget.
inline void PressKey(QWidget& window, int key, const QString& text = QString())
{
    QWidget* target = window.focusWidget() != nullptr ? window.focusWidget() : &window;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

// Types printable characters.
inline void Type(QWidget& window, std::string_view characters)
{
    for (char character : characters) {
        const QChar typed = QChar::fromLatin1(character);
        PressKey(window, typed.toUpper().unicode(), QString(typed));
    }
}

inline void ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::processEvents();
}
