#pragma once
// The modal steps of the shell: message boxes, the open and picture save
// dialogs, the page save, and the modal showing of its windows. The main and
// document windows ask for them only through this interface, so that tests
// answer them instead of blocking on a box.

#include <optional>
#include <string>

class QDialog;
class QWidget;
class TErrorBox;

// What the open dialog gives back: the chosen name (UTF-8) and the chosen
// filter, 1 for HTML, 2 for images, 3 for text.
struct TOpenChoice {
    std::string FileName;
    int FilterIndex = 1;
};

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
    // The picture save dialog ("Bitmaps (*.bmp)"); the name has its extension.
    virtual std::optional<std::string> AskPictureFileName(QWidget* parent) = 0;
    // The page save: asks for a name and a format and exports the source file.
    virtual void SavePage(QWidget* parent, const std::string& sourceFileName, TErrorBox& errorBox) = 0;
};

// Qt's message boxes and file dialogs, with French labels.
class TQtShellDialogs final : public TShellDialogs {
public:
    bool AskOkCancel(QWidget* parent, const std::string& message) override;
    bool AskYesNo(QWidget* parent, const std::string& message) override;
    void Inform(QWidget* parent, const std::string& message) override;
    int ShowModal(QDialog& dialog) override;
    std::optional<TOpenChoice> AskOpenFileName(QWidget* parent, const TOpenChoice& last) override;
    std::optional<std::string> AskPictureFileName(QWidget* parent) override;
    void SavePage(QWidget* parent, const std::string& sourceFileName, TErrorBox& errorBox) override;
};
