#pragma once
// The modal steps of the shell: message boxes, the open and save dialogs, and
// the modal showing of its windows. The windows ask for them only through
// this interface, so that tests answer them instead of blocking on a box.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

class QDialog;
class QPrinter;
class QWidget;

// What the open dialog gives back: the chosen name (UTF-8) and the chosen
// filter, 1 for HTML, 2 for images, 3 for text.
struct TOpenChoice {
    std::string FileName;
    int FilterIndex = 1;
};

// The open dialog's filter (1 to 3, as in TOpenChoice) whose patterns the
// file's name matches, in any letter case; 0 when none does.
int OpenFilterIndexOf(const std::string& fileName);

// What a save dialog shows: its caption, its filters (Qt name filters such as
// "Texte brut (*.txt)"), the folder it opens in and the name it proposes.
struct TSaveRequest {
    QString Caption;
    QStringList Filters;
    QString Folder;
    QString ProposedName;
};

struct TSaveChoice {
    std::string FileName;   // UTF-8
    int FilterIndex = 1;    // 1 for the first filter
};

// The answers to "Enregistrer les modifications ?".
enum class TUnsavedChoice { Save, Discard, Cancel };

class TShellDialogs {
public:
    virtual ~TShellDialogs() = default;

    // A warning box with "OK" and "Annuler"; true for OK. Texts are Windows-1252.
    virtual bool AskOkCancel(QWidget* parent, const std::string& message) = 0;
    // A question box with "Oui" and "Non", "Non" the default; true for Oui.
    virtual bool AskYesNo(QWidget* parent, const std::string& message) = 0;
    // An information box with "OK".
    virtual void Inform(QWidget* parent, const std::string& message) = 0;
    // Shows a window modally and returns its result (QDialog::Accepted or Rejected).
    virtual int ShowModal(QDialog& dialog) = 0;
    // The open dialog, starting from the last choice; nothing when cancelled.
    virtual std::optional<TOpenChoice> AskOpenFileName(QWidget* parent, const TOpenChoice& last) = 0;
    // A save dialog; nothing when cancelled. It does not ask about an existing
    // file: the caller knows the name finally written (AskSaveTarget).
    virtual std::optional<TSaveChoice> AskSaveFileName(QWidget* parent, const TSaveRequest& request) = 0;
    // Whether to replace an existing file (UTF-8 name); true to replace.
    virtual bool AskReplace(QWidget* parent, const std::string& fileName) = 0;
    // "Enregistrer les modifications ?" before unsaved edits are closed.
    virtual TUnsavedChoice AskSaveChanges(QWidget* parent) = 0;
    // The platform's print dialog over the printer; true to print.
    virtual bool AskPrinter(QWidget* parent, QPrinter& printer) = 0;
    // The print preview of what `paint` prints on the printer; the user may
    // print from it.
    virtual void ShowPrintPreview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint) = 0;
};

// Qt's message boxes and file dialogs, with French labels.
class TQtShellDialogs final : public TShellDialogs {
public:
    bool AskOkCancel(QWidget* parent, const std::string& message) override;
    bool AskYesNo(QWidget* parent, const std::string& message) override;
    void Inform(QWidget* parent, const std::string& message) override;
    int ShowModal(QDialog& dialog) override;
    std::optional<TOpenChoice> AskOpenFileName(QWidget* parent, const TOpenChoice& last) override;
    std::optional<TSaveChoice> AskSaveFileName(QWidget* parent, const TSaveRequest& request) override;
    bool AskReplace(QWidget* parent, const std::string& fileName) override;
    TUnsavedChoice AskSaveChanges(QWidget* parent) override;
    bool AskPrinter(QWidget* parent, QPrinter& printer) override;
    void ShowPrintPreview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;
};
