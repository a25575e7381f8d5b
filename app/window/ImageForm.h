#pragma once
// The image window: shows one bitmap at its own size under a panel with a
// "Fermer" button.

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

class TImageForm : public QDialog {
    Q_OBJECT

public:
    explicit TImageForm(QWidget* parent = nullptr);

    // The bitmap to show next time the window is shown.
    void SetBitmap(const QImage& bitmap);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage Bitmap;
    QPushButton* CloseButton;
    QLabel* ImageArea;
};
