#pragma once
// The notepad "Bloc-notes": a scratch text that lives as long as the program,
// kept while the window is hidden, and printed on request.

#include <QDialog>
#include <QPrinter>
#include <QStringList>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class TErrorBox;

// Makes the printer a print job goes to: the default printer in the program,
// a PDF file in tests.
using TPrinterFactory = std::function<std::unique_ptr<QPrinter>()>;

std::unique_ptr<QPrinter> DefaultPrinter();

class TBlocnotes : public QDialog {
    Q_OBJECT
public:
    explicit TBlocnotes(TErrorBox& errorBox, TPrinterFactory printerFactory = DefaultPrinter, QWidget* parent = nullptr);

    QPlainTextEdit* TextBox() const { return mTextBox; }
    QPushButton* CloseButton() const { return mCloseButton; }
    // The text as the box shows it: every wrapped piece is a line of its own.
    QStringList ShownLines() const;

    // Prints the shown lines in the box's font, without a dialog; a failure is
    // reported in the error box and the text stays.
    void Imprimer();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TErrorBox& mErrorBox;
    TPrinterFactory mPrinterFactory;
    QPlainTextEdit* mTextBox = nullptr;
    QPushButton* mCloseButton = nullptr;
};
