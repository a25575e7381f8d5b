#pragma once
// The save dialogs of the shell: Qt's own file dialog with French labels, the
// same on every desktop. Existing files are overwritten without a question.

#include <QStringList>

#include <optional>
#include <string>

class QWidget;
class TErrorBox;

struct TSaveChoice {
    std::string FileName;   // UTF-8
    int FilterIndex = 1;    // 1 for the first filter
};

// Filters are Qt name filters ("Texte brut (*.txt)"). The dialog opens in
// `folder` with `proposedName` in its name box. Nothing when cancelled.
std::optional<TSaveChoice> AskSaveFileName(QWidget* parent, const QStringList& filters, const QString& folder,
                                           const QString& proposedName);

// Exports the source file (UTF-8 name) under the chosen name, in the chosen
// format ("Format HTML" or "Texte brut"); failures are shown in the error box.
void SavePageAs(const TSaveChoice& choice, const std::string& sourceFileName, TErrorBox& errorBox);

// The page save of the document window: asks for a name and a format, then
// saves as above. Cancelling writes nothing.
void SavePageWithDialog(QWidget* parent, const std::string& sourceFileName, TErrorBox& errorBox);
