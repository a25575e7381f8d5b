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
// Around the button when the window is only as wide as the button needs.
constexpr int kButtonMargin = 10;
// A window as narrow as a small picture leaves the desktop's frame no room
// for its caption and buttons: a narrower picture stands in the middle.
constexpr int kMinimumWidth = 240;

// The bitmap with its transparent pixels made transparent, so that the
// window's colour shows through them instead of the colour stored there.
QImage WithTransparency(const QImage& bitmap, const QImage& mask)
{
    if (mask.isNull() || mask.size() != bitmap.size())
        return bitmap;
    QImage picture = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (qGray(mask.pixel(x, y)) > 127)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return picture;
}

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

void TImageForm::SetBitmap(const QImage& bitmap, const QImage& mask)
{
    Bitmap = WithTransparency(bitmap, mask);
}

int TImageForm::CloseButtonOffset() const
{
    return std::max(kCloseFromRight, CloseButton->sizeHint().width() + kButtonMargin);
}

void TImageForm::showEvent(QShowEvent* event)
{
    const int width = std::max({Bitmap.width(), CloseButtonOffset() + kButtonMargin, kMinimumWidth});
    ImageArea->setPixmap(QPixmap::fromImage(Bitmap));
    // A picture narrower than the button row stands in the middle.
    ImageArea->setGeometry((width - Bitmap.width()) / 2, kExtraHeight, Bitmap.width(), Bitmap.height());
    setFixedSize(width, Bitmap.height() + kExtraHeight);
    QDialog::showEvent(event);
}

void TImageForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QSize buttonSize = CloseButton->sizeHint();
    CloseButton->setGeometry(width() - CloseButtonOffset(), (kPanelHeight - buttonSize.height()) / 2,
                             buttonSize.width(), buttonSize.height());
}
