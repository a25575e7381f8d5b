#pragma once
// The splash window, shown while the other windows are created at start-up.

#include <QWidget>

class TSplash : public QWidget {
    Q_OBJECT

public:
    explicit TSplash(QWidget* parent = nullptr);

    // Shows the window centred on the screen and paints it at once, before
    // the event loop runs.
    void ShowNow();
};
