#include "app/window/ImageForm.h"

#include "engine/base/Cp1252.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

namespace {

// Windows-1252.
constexpr const char* kClose = "Fermer";

constexpr int kPanelHeight = 33;
// The client area is this much higher than the bitmap: the panel and a margin.
constexpr int kExtraHeight = 35;
constexpr int kCloseFromRight = 90;

} // namespace

TImageForm::TImageForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    CloseButton = new QPushButton(Cp1252ToQString(kClose), this);
    CloseButton->setObjectName("closeButton");
    ImageArea = new QLabel(this);
    ImageArea->setObjectName("image");
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
}

void TImageForm::SetBitmap(const QImage& bitmap)
{
    Bitmap = bitmap;
}

void TImageForm::showEvent(QShowEvent* event)
{
    ImageArea->setPixmap(QPixmap::fromImage(Bitmap));
    ImageArea->setGeometry(0, kExtraHeight, Bitmap.width(), Bitmap.height());
    setFixedSize(Bitmap.width(), Bitmap.height() + kExtraHeight);
    QDialog::showEvent(event);
}

void TImageForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QSize buttonSize = CloseButton->sizeHint();
    // Beside a bitmap narrower than 90 pixels the button starts at the left edge.
    CloseButton->setGeometry(std::max(0, width() - kCloseFromRight), (kPanelHeight - buttonSize.height()) / 2,
                             buttonSize.width(), buttonSize.height());
}
