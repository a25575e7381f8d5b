#pragma once
// The source editor: shows the source of the current page in a text box, and
// saves it (under a new name if wished), prints it or copies a selection.
// Unsaved edits are never closed away without asking.

#include "app/files/SourceText.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QToolButton;
class TErrorBox;
class TShellDialogs;

// Asks the user for a printer; nothing when the user cancels.
using TPrinterSetup = std::function<std::unique_ptr<QPrinter>(QWidget* parent)>;

// The platform's print dialog on the default printer.
std::unique_ptr<QPrinter> AskPrinter(QWidget* parent);

class TEditeur : public QDialog {
    Q_OBJECT

public:
    TEditeur(TErrorBox& errorBox, TShellDialogs& dialogs, TPrinterSetup printerSetup = AskPrinter,
             QWidget* parent = nullptr);

    // Stores the name of the file to edit (UTF-8); it is loaded when shown.
    void Init(const std::string& fileName);
    const std::string& FileName() const { return StoredName; }

    // Writes the text in the file's own encoding, every character the user
    // did not edit as the bytes it was read from; false (after telling the
    // user) when the file cannot be written.
    bool SaveTo(const std::string& fileName);
    // Told the name of every file written, so that a page shown from it can
    // be shown again.
    std::function<void(const std::string& fileName)> OnSaved;

    // Whether the window may close: true without unsaved edits, else after
    // "Enregistrer les modifications ?" is answered by saving them (the save
    // dialog confirmed and the file written) or by not saving them.
    bool CloseQuery();
    // Closing in every way (Fermer, Escape, the close box) asks first.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Load();
    // True when the text was written under a name the user chose.
    bool Enregistrer();
    void FollowChange(int position, int removed, int added);
    void KeepSourceInStep();
    void Imprimer();
    void Copier();
    QStringList Lines() const;

    TErrorBox& ErrorBox;
    TShellDialogs& Dialogs;
    TPrinterSetup PrinterSetup;
    std::string StoredName;
    TSourceText Source;
    bool Loading = false;
    QToolButton* SaveButton;
    QToolButton* PrintButton;
    QToolButton* CopyButton;
    QPushButton* CloseButton;
    QPlainTextEdit* TextBox;
};
