#include "app/window/FindDialog.h"

#include "engine/base/Cp1252.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Rechercher";
constexpr const char* kTextLabel = "&Rechercher :";
constexpr const char* kWholeWord = "&Mot entier";
constexpr const char* kMatchCase = "Respecter la &casse";
constexpr const char* kDirection = "Direction";
constexpr const char* kUp = "&Haut";
constexpr const char* kDown = "&Bas";
constexpr const char* kFindNext = "&Suivant";
constexpr const char* kCancel = "Annuler";

} // namespace

TFindDialog::TFindDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Cp1252ToQString(kCaption));
    setModal(false);

    textBox_ = new QLineEdit(this);
    textBox_->setObjectName("findText");
    auto* label = new QLabel(Cp1252ToQString(kTextLabel), this);
    label->setBuddy(textBox_);
    wholeWordBox_ = new QCheckBox(Cp1252ToQString(kWholeWord), this);
    wholeWordBox_->setObjectName("wholeWord");
    matchCaseBox_ = new QCheckBox(Cp1252ToQString(kMatchCase), this);
    matchCaseBox_->setObjectName("matchCase");

    auto* direction = new QGroupBox(Cp1252ToQString(kDirection), this);
    upButton_ = new QRadioButton(Cp1252ToQString(kUp), direction);
    upButton_->setObjectName("up");
    downButton_ = new QRadioButton(Cp1252ToQString(kDown), direction);
    downButton_->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(upButton_);
    directionLayout->addWidget(downButton_);

    findButton_ = new QPushButton(Cp1252ToQString(kFindNext), this);
    findButton_->setObjectName("findNext");
    findButton_->setDefault(true);
    auto* cancelButton = new QPushButton(Cp1252ToQString(kCancel), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(textBox_, 0, 1, 1, 2);
    layout->addWidget(findButton_, 0, 3);
    layout->addWidget(wholeWordBox_, 1, 0, 1, 2);
    layout->addWidget(direction, 1, 2, 2, 1);
    layout->addWidget(cancelButton, 1, 3);
    layout->addWidget(matchCaseBox_, 2, 0, 1, 2);

    connect(findButton_, &QPushButton::clicked, this, &TFindDialog::FindNext);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::hide);
    connect(textBox_, &QLineEdit::textChanged, this, &TFindDialog::Changed);
    connect(matchCaseBox_, &QCheckBox::toggled, this, &TFindDialog::Changed);
    connect(wholeWordBox_, &QCheckBox::toggled, this, &TFindDialog::Changed);
}

std::string TFindDialog::Text() const
{
    return QStringToEngineText(textBox_->text());
}

TFindOptions TFindDialog::Options() const
{
    return {matchCaseBox_->isChecked(), wholeWordBox_->isChecked(), upButton_->isChecked()};
}

void TFindDialog::FindNext()
{
    if (OnFind && !textBox_->text().isEmpty())
        OnFind(Text(), Options());
}

void TFindDialog::Changed()
{
    if (OnChange && isVisible())
        OnChange();
}

void TFindDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (OnChange)
        OnChange();
}

void TFindDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (OnClose)
        OnClose();
}
