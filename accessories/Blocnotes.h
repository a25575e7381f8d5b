#pragma once
// The notepad "Bloc-notes": a scratch text kept from one run to the next in
// a file of the user's data folder, and printed on request.

#include <QDialog>
#include <QPrinter>
#include <QStringList>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class TErrorBox;

// Makes the printer a print job goes to: the default printer in the program,
// a PDF file in tests; null when the user cancelled the choice.
using TPrinterFactory = std::function<std::unique_ptr<QPrinter>(QWidget* parent)>;

// The default printer; without one, the print dialog, where a PDF file may
// be chosen.
std::unique_ptr<QPrinter> DefaultPrinter(QWidget* parent);

// Where the notes are kept: the user's data folder.
QString DefaultNotesFile();

class TBlocnotes : public QDialog {
    Q_OBJECT
public:
    // The text is read from notesFile when the notepad first opens and written
    // back whenever it closes; an empty name keeps nothing.
    TBlocnotes(TErrorBox& errorBox, QString notesFile, TPrinterFactory printerFactory = DefaultPrinter,
               QWidget* parent = nullptr);

    QPlainTextEdit* TextBox() const { return mTextBox; }
    QPushButton* CloseButton() const { return mCloseButton; }
    // The text as the box shows it: every wrapped piece is a line of its own.
    QStringList ShownLines() const;

    // Prints the shown lines in the box's font; a failure is reported in the
    // error box with its cause, and the text stays.
    void Imprimer();
    // Writes the text to the notes file, once it has been read from there (so
    // that notes never opened in this run are not replaced by an empty box).
    void SaveNotes();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void LoadNotes();

    TErrorBox& mErrorBox;
    TPrinterFactory mPrinterFactory;
    QString mNotesFile;
    bool mNotesLoaded = false;
    QPlainTextEdit* mTextBox = nullptr;
    QPushButton* mCloseButton = nullptr;
};
