#include "app/window/SaveDialog.h"

#include "app/files/PageExport.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QFile>
#include <QFileDialog>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Enregistrer sous";
constexpr const char* kLookIn = "Dans :";
constexpr const char* kFileName = "Nom du fichier :";
constexpr const char* kFileType = "Type :";
constexpr const char* kAccept = "Enregistrer";
constexpr const char* kReject = "Annuler";

} // namespace

std::optional<TSaveChoice> AskSaveFileName(QWidget* parent, const QStringList& filters, const QString& folder,
                                           const QString& proposedName)
{
    QFileDialog dialog(parent, Cp1252ToQString(kCaption), folder);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::LookIn, Cp1252ToQString(kLookIn));
    dialog.setLabelText(QFileDialog::FileName, Cp1252ToQString(kFileName));
    dialog.setLabelText(QFileDialog::FileType, Cp1252ToQString(kFileType));
    dialog.setLabelText(QFileDialog::Accept, Cp1252ToQString(kAccept));
    dialog.setLabelText(QFileDialog::Reject, Cp1252ToQString(kReject));
    dialog.setNameFilters(filters);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const int filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return TSaveChoice{QFile::encodeName(dialog.selectedFiles().first()).toStdString(), std::max(filterIndex, 1)};
}

void SavePageAs(const TSaveChoice& choice, const std::string& sourceFileName, TErrorBox& errorBox)
{
    const std::string target = ExportFileName(choice.FileName, choice.FilterIndex);
    if (const std::optional<std::string> failure =
            ExportPageFile(sourceFileName, target, ExportFormatForFilter(choice.FilterIndex)))
        errorBox.ShowError(*failure);
}

void SavePageWithDialog(QWidget* parent, const std::string& sourceFileName, TErrorBox& errorBox)
{
    const std::optional<TSaveChoice> choice = AskSaveFileName(
        parent, {Cp1252ToQString(kSaveFilterHtml), Cp1252ToQString(kSaveFilterText)}, QString(), QString());
    if (choice)
        SavePageAs(*choice, sourceFileName, errorBox);
}
