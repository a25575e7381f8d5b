#pragma once
// The image window: shows one bitmap at its own size under a panel with a
// "Fermer" button, never narrower than that button and the desktop's frame
// need.

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

class TImageForm : public QDialog {
    Q_OBJECT

public:
    explicit TImageForm(QWidget* parent = nullptr);

    // The bitmap to show next time the window is shown. Where the mask (1-bit,
    // white where transparent, or null) is white the window's colour shows.
    void SetBitmap(const QImage& bitmap, const QImage& mask = QImage());

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The distance from the button's left edge to the window's right edge.
    int CloseButtonOffset() const;

    QImage Bitmap;
    QPushButton* CloseButton;
    QLabel* ImageArea;
};
