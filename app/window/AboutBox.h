#pragma once
// The about box: the program's picture, name, version and comment.

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
};
