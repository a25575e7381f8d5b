#pragma once
// The source editor: shows the source of the current page in a text box, and
// saves it (under a new name if wished), prints it or copies a selection.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QToolButton;
class TErrorBox;

// Asks the user for a printer; nothing when the user cancels.
using TPrinterSetup = std::function<std::unique_ptr<QPrinter>(QWidget* parent)>;

// The platform's print dialog on the default printer.
std::unique_ptr<QPrinter> AskPrinter(QWidget* parent);

class TEditeur : public QDialog {
    Q_OBJECT

public:
    explicit TEditeur(TErrorBox& errorBox, TPrinterSetup printerSetup = AskPrinter, QWidget* parent = nullptr);

    // Stores the name of the file to edit (UTF-8); it is loaded when shown.
    void Init(const std::string& fileName);
    const std::string& FileName() const { return StoredName; }

    // Writes the text box's lines with CR LF line ends; false (after telling
    // the user) when the file cannot be written.
    bool SaveTo(const std::string& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Load();
    void Enregistrer();
    void Imprimer();
    void Copier();
    QStringList Lines() const;

    TErrorBox& ErrorBox;
    TPrinterSetup PrinterSetup;
    std::string StoredName;
    QToolButton* SaveButton;
    QToolButton* PrintButton;
    QToolButton* CopyButton;
    QPushButton* CloseButton;
    QPlainTextEdit* TextBox;
};
