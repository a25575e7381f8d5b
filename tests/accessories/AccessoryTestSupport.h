#pragma once
// What the accessory tests share: a recording error box, key presses sent to
// the focused widget, and showing a window as the active one.

#include "engine/ErrorBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <string>
#include <string_view>
#include <vector>

class TRecordingErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

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
