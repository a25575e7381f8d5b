#include "app/window/AboutBox.h"

#include "app/window/ProgramPicture.h"
#include "engine/base/Cp1252.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Windows-1252.
constexpr const char* kCaption = "A propos";
constexpr const char* kProductName = "Zef Web";
constexpr const char* kVersion = "Version 1.0";
constexpr const char* kComment = "Explorateur de pages Web";
constexpr const char* kOk = "OK";

constexpr int kPictureSize = 64;

QLabel* MakeLabel(QWidget* parent, const char* text, bool bold)
{
    auto* label = new QLabel(Cp1252ToQString(text), parent);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(Cp1252ToQString(kCaption));

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* picture = new QLabel(panel);
    picture->setPixmap(QPixmap::fromImage(ProgramPicture(kPictureSize)));
    auto* comment = MakeLabel(panel, kComment, false);
    comment->setWordWrap(true);

    auto* panelLayout = new QGridLayout(panel);
    panelLayout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    panelLayout->addWidget(MakeLabel(panel, kProductName, true), 0, 1);
    panelLayout->addWidget(MakeLabel(panel, kVersion, false), 1, 1);
    panelLayout->addWidget(comment, 2, 0, 1, 2);

    auto* okButton = new QPushButton(Cp1252ToQString(kOk), this);
    okButton->setObjectName("okButton");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
