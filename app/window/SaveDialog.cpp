#include "app/window/SaveDialog.h"

#include "app/files/FileNameText.h"
#include "app/files/PageExport.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QFileInfo>

#include <filesystem>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Enregistrer sous";

// A folder in the way is no file to replace: writing reports it.
bool IsExistingFile(const std::string& fileName)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(fileName, error);
    return std::filesystem::exists(status) && !std::filesystem::is_directory(fileName, error);
}

} // namespace

std::optional<TSaveChoice> AskSaveTarget(TShellDialogs& dialogs, QWidget* parent, TSaveRequest request,
                                         const TFinalName& finalName, const TRefusedName& refused)
{
    for (;;) {
        std::optional<TSaveChoice> choice = dialogs.AskSaveFileName(parent, request);
        if (!choice)
            return std::nullopt;
        choice->FileName = finalName(*choice);
        const bool refusedOutright = refused && refused(choice->FileName);
        if (!refusedOutright && (!IsExistingFile(choice->FileName) || dialogs.AskReplace(parent, choice->FileName)))
            return choice;
        const QFileInfo refused(FileNameForDisplay(choice->FileName));
        request.Folder = refused.absolutePath();
        request.ProposedName = refused.fileName();
    }
}

void SavePageAs(const TSaveChoice& choice, const std::string& sourceFileName, TErrorBox& errorBox)
{
    const std::string target = ExportFileName(choice.FileName, choice.FilterIndex);
    if (const std::optional<std::string> failure =
            ExportPageFile(sourceFileName, target, ExportFormatForFilter(choice.FilterIndex)))
        errorBox.ShowError(*failure);
}

void SavePageWithDialog(TShellDialogs& dialogs, QWidget* parent, const std::string& sourceFileName,
                        TErrorBox& errorBox)
{
    const QFileInfo page(FileNameForDisplay(sourceFileName));
    const TSaveRequest request{Cp1252ToQString(kCaption),
                               {Cp1252ToQString(kSaveFilterHtml), Cp1252ToQString(kSaveFilterText)},
                               page.absolutePath(), page.fileName()};
    const auto finalName = [](const TSaveChoice& chosen) {
        return ExportFileName(chosen.FileName, chosen.FilterIndex);
    };
    const auto ontoThePage = [&](const std::string& target) {
        const std::optional<std::string> refusal = SelfExportRefusal(sourceFileName, target);
        if (refusal)
            errorBox.ShowError(*refusal);
        return refusal.has_value();
    };
    const std::optional<TSaveChoice> choice = AskSaveTarget(dialogs, parent, request, finalName, ontoThePage);
    if (choice)
        SavePageAs(*choice, sourceFileName, errorBox);
}
