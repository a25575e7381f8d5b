#include "app/window/SubmitForm.h"

#include "engine/base/Cp1252.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Submit Results";
constexpr const char* kClose = "Fermer";
constexpr const char* kActionLabel = "Action:";
constexpr const char* kMethodLabel = "Methode:";
constexpr const char* kResultsLabel = "Resultat";

QLineEdit* MakeReadOnlyBox(QWidget* parent, const char* objectName)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    return box;
}

} // namespace

TSubmitForm::TSubmitForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(Cp1252ToQString(kCaption));
    resize(420, 320);
    auto* closeButton = new QPushButton(Cp1252ToQString(kClose), this);
    closeButton->setObjectName("closeButton");
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

    ActionBox = MakeReadOnlyBox(this, "actionBox");
    MethodBox = MakeReadOnlyBox(this, "methodBox");
    ResultList = new QListWidget(this);
    ResultList->setObjectName("resultList");

    auto* panel = new QHBoxLayout;
    panel->addWidget(closeButton);
    panel->addStretch();
    auto* boxes = new QFormLayout;
    boxes->addRow(Cp1252ToQString(kActionLabel), ActionBox);
    boxes->addRow(Cp1252ToQString(kMethodLabel), MethodBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panel);
    layout->addLayout(boxes);
    layout->addWidget(new QLabel(Cp1252ToQString(kResultsLabel), this));
    layout->addWidget(ResultList);
}

void TSubmitForm::SetResults(const std::string& action, const std::string& method,
                             const std::vector<std::string>& results)
{
    ActionBox->setText(Cp1252ToQString(action));
    MethodBox->setText(Cp1252ToQString(method));
    ResultList->clear();
    for (const std::string& line : results)
        ResultList->addItem(Cp1252ToQString(line));
}
