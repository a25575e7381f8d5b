#include "app/window/Splash.h"

#include "app/window/ProgramPicture.h"
#include "engine/base/Colors.h"
#include "engine/base/Cp1252.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

namespace {

// Windows-1252.
constexpr const char* kProductName = "Zef Web";
constexpr const char* kVersion = "Version 1.0";
constexpr const char* kTitleFont = "Arial";

constexpr int kWidth = 318;
constexpr int kHeight = 221;
constexpr int kPictureSize = 105;
constexpr int kTitlePixels = 23;

QLabel* MakeBoldLabel(QWidget* parent, const char* text, const QRect& geometry)
{
    auto* label = new QLabel(Cp1252ToQString(text), parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setGeometry(geometry);
    return label;
}

void FillWith(QWidget& widget, TColor color)
{
    const QColor colour(RedOf(color), GreenOf(color), BlueOf(color));
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

TSplash::TSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setFixedSize(kWidth, kHeight);
    FillWith(*this, clYellow);

    auto* panel = new QFrame(this);
    panel->setObjectName("panel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(0, 0, kWidth, kHeight);
    FillWith(*panel, clTeal);

    auto* picture = new QLabel(panel);
    picture->setObjectName("picture");
    picture->setGeometry(16, (kHeight - kPictureSize) / 2, kPictureSize, kPictureSize);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap::fromImage(ProgramPicture(kPictureSize)));

    QLabel* title = MakeBoldLabel(panel, kProductName, QRect(140, 70, 170, 34));
    title->setObjectName("title");
    QFont titleFont = title->font();
    titleFont.setFamily(kTitleFont);
    titleFont.setPixelSize(kTitlePixels);
    title->setFont(titleFont);
    MakeBoldLabel(panel, kVersion, QRect(140, 112, 170, 20))->setObjectName("version");
}

void TSplash::ShowNow()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    repaint();
}
