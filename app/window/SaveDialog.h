#pragma once
// Saving under a name the user chooses: the save dialog, then a question
// before an existing file is replaced, asked about the name finally written
// (the page export may add an extension to the name typed).

#include "app/window/ShellDialogs.h"

#include <functional>
#include <optional>
#include <string>

class QWidget;
class TErrorBox;

// The name written for the dialog's choice (UTF-8).
using TFinalName = std::function<std::string(const TSaveChoice& choice)>;
// Whether a final name can never be written (after telling the user why).
using TRefusedName = std::function<bool(const std::string& finalName)>;

// Asks for a name until the user picks one that is free or agrees to replace
// the file; a name refused outright is refused before any question, and a
// refusal opens the dialog again on the name refused. The choice returned
// carries the final name. Nothing when the dialog is cancelled.
std::optional<TSaveChoice> AskSaveTarget(TShellDialogs& dialogs, QWidget* parent, TSaveRequest request,
                                         const TFinalName& finalName, const TRefusedName& refused = {});

// Exports the source file under the name chosen (with the extension the
// format adds, ExportFileName), in the chosen format ("Format HTML" or "Texte
// brut"); failures are shown in the error box.
void SavePageAs(const TSaveChoice& choice, const std::string& sourceFileName, TErrorBox& errorBox);

// The page save of the document window: asks for a name and a format,
// proposing the page's own name, then saves as above; the page itself is
// refused at once. Cancelling writes nothing.
void SavePageWithDialog(TShellDialogs& dialogs, QWidget* parent, const std::string& sourceFileName,
                        TErrorBox& errorBox);
