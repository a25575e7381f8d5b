#include "app/window/ShellDialogs.h"

#include "app/files/FileNameText.h"
#include "app/window/SaveDialog.h"
#include "engine/base/Cp1252.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace {

// Windows-1252.
constexpr const char* kOk = "OK";
constexpr const char* kCancel = "Annuler";
constexpr const char* kYes = "Oui";
constexpr const char* kNo = "Non";
constexpr const char* kOpenCaption = "Ouvrir";
constexpr const char* kLookIn = "Dans :";
constexpr const char* kFileName = "Nom du fichier :";
constexpr const char* kFileType = "Type :";
// Qt reads the patterns of a filter separated by spaces.
constexpr const char* kOpenFilters[] = {
    "Fichiers HTML (*.htm *.html)",
    "Fichiers image (*.gif *.jpg)",
    "Fichiers texte (*.txt)",
};
constexpr const char* kPictureFilter = "Bitmaps (*.bmp)";
constexpr const char* kPictureSuffix = "bmp";

void FrenchLabels(QFileDialog& dialog, const char* acceptText)
{
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setLabelText(QFileDialog::LookIn, Cp1252ToQString(kLookIn));
    dialog.setLabelText(QFileDialog::FileName, Cp1252ToQString(kFileName));
    dialog.setLabelText(QFileDialog::FileType, Cp1252ToQString(kFileType));
    dialog.setLabelText(QFileDialog::Accept, Cp1252ToQString(acceptText));
    dialog.setLabelText(QFileDialog::Reject, Cp1252ToQString(kCancel));
}

std::string ChosenFileName(const QFileDialog& dialog)
{
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

} // namespace

bool TQtShellDialogs::AskOkCancel(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton, parent);
    QPushButton* ok = box.addButton(Cp1252ToQString(kOk), QMessageBox::AcceptRole);
    box.addButton(Cp1252ToQString(kCancel), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

bool TQtShellDialogs::AskYesNo(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(Cp1252ToQString(kYes), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Cp1252ToQString(kNo), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void TQtShellDialogs::Inform(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), Cp1252ToQString(message),
                    QMessageBox::NoButton, parent);
    box.addButton(Cp1252ToQString(kOk), QMessageBox::AcceptRole);
    box.exec();
}

int TQtShellDialogs::ShowModal(QDialog& dialog)
{
    return dialog.exec();
}

std::optional<TOpenChoice> TQtShellDialogs::AskOpenFileName(QWidget* parent, const TOpenChoice& last)
{
    const QString lastName = FileNameForDisplay(last.FileName);
    QFileDialog dialog(parent, Cp1252ToQString(kOpenCaption),
                       lastName.isEmpty() ? QString() : QFileInfo(lastName).absolutePath());
    FrenchLabels(dialog, kOpenCaption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters;
    for (const char* filter : kOpenFilters)
        filters << Cp1252ToQString(filter);
    dialog.setNameFilters(filters);
    const int lastFilter = std::clamp(last.FilterIndex, 1, static_cast<int>(filters.size()));
    dialog.selectNameFilter(filters[lastFilter - 1]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return TOpenChoice{ChosenFileName(dialog), std::max(filterIndex, 1)};
}

std::optional<std::string> TQtShellDialogs::AskPictureFileName(QWidget* parent)
{
    QFileDialog dialog(parent, Cp1252ToQString("Enregistrer l'image"));
    FrenchLabels(dialog, "Enregistrer");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({Cp1252ToQString(kPictureFilter)});
    dialog.setDefaultSuffix(QString::fromLatin1(kPictureSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ChosenFileName(dialog);
}

void TQtShellDialogs::SavePage(QWidget* parent, const std::string& sourceFileName, TErrorBox& errorBox)
{
    SavePageWithDialog(parent, sourceFileName, errorBox);
}
