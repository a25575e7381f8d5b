#include "app/window/Editeur.h"

#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"
#include "app/window/SaveDialog.h"
#include "app/window/ToolPictures.h"
#include "app/files/WholeFile.h"
#include "accessories/LinePrinter.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QFileInfo>
#include <QScopedValueRollback>
#include <QHideEvent>
#include <QKeySequence>
#include <QPrintDialog>
#include <QPrinter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>

namespace {

// Windows-1252.
constexpr const char* kCaption = "Editeur";
constexpr const char* kSaveHint = "Enregistrer";
constexpr const char* kPrintHint = "Imprimer";
constexpr const char* kCopyHint = "Copier";
constexpr const char* kClose = "Fermer";
constexpr const char* kSaveCaption = "Enregistrer sous";
constexpr const char* kSaveFilter = "*Fichiers html (*.htm *.html)";
constexpr const char* kCannotRead = "Impossible d'ouvrir le fichier ";
constexpr TCp1252Text kPrintFailed("L'impression a échoué");

// Sources read best in a fixed-pitch font: 10 points at 96 dots per inch.
constexpr const char* kTextFont = "Courier New";
constexpr int kTextFontPixels = 13;

constexpr int kPanelHeight = 33;
constexpr int kButtonSize = 25;
constexpr int kCloseFromRight = 100;

QToolButton* MakeToolButton(QWidget* parent, int x, const QIcon& icon, const char* hint)
{
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setGeometry(x, (kPanelHeight - kButtonSize) / 2, kButtonSize, kButtonSize);
    button->setIcon(icon);
    button->setToolTip(Cp1252ToQString(hint));
    return button;
}

} // namespace

std::unique_ptr<QPrinter> AskPrinter(QWidget* parent)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

TEditeur::TEditeur(TErrorBox& errorBox, TShellDialogs& dialogs, TPrinterSetup printerSetup, QWidget* parent)
    : QDialog(parent), ErrorBox(errorBox), Dialogs(dialogs), PrinterSetup(std::move(printerSetup))
{
    setWindowTitle(Cp1252ToQString(kCaption));
    setSizeGripEnabled(true);
    resize(640, 440);

    SaveButton = MakeToolButton(this, 5, SavePicture(), kSaveHint);
    SaveButton->setObjectName("saveButton");
    SaveButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveButton->setToolTip(SaveButton->toolTip() + " (" + SaveButton->shortcut().toString(QKeySequence::NativeText) +
                           ")");
    PrintButton = MakeToolButton(this, 30, PrintPicture(), kPrintHint);
    PrintButton->setObjectName("printButton");
    CopyButton = MakeToolButton(this, 55, CopyPicture(), kCopyHint);
    CopyButton->setObjectName("copyButton");
    CloseButton = new QPushButton(Cp1252ToQString(kClose), this);
    CloseButton->setObjectName("closeButton");
    CloseButton->setAutoDefault(false);

    TextBox = new QPlainTextEdit(this);
    TextBox->setObjectName("text");
    TextBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(kTextFont);
    font.setPixelSize(kTextFontPixels);
    TextBox->setFont(font);
    TextBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    connect(SaveButton, &QToolButton::clicked, this, [this] { Enregistrer(); });
    connect(PrintButton, &QToolButton::clicked, this, &TEditeur::Imprimer);
    connect(CopyButton, &QToolButton::clicked, this, &TEditeur::Copier);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
    connect(TextBox->document(), &QTextDocument::contentsChange, this, &TEditeur::FollowChange);
}

void TEditeur::Init(const std::string& fileName)
{
    StoredName = fileName;
}

// Minimising and restoring the window (spontaneous events) keep the edits.
void TEditeur::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && !StoredName.empty())
        Load();
}

void TEditeur::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) {
        Source = TSourceText();
        const QScopedValueRollback loading(Loading, true);
        TextBox->clear();
    }
    QDialog::hideEvent(event);
}

void TEditeur::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QSize buttonSize = CloseButton->sizeHint();
    CloseButton->setGeometry(width() - kCloseFromRight, (kPanelHeight - buttonSize.height()) / 2,
                             buttonSize.width(), buttonSize.height());
    TextBox->setGeometry(0, kPanelHeight, width(), height() - kPanelHeight);
}

void TEditeur::Load()
{
    const std::optional<std::string> bytes = ReadWholeFile(StoredName);
    Source = TSourceText(bytes.value_or(std::string()));
    {
        const QScopedValueRollback loading(Loading, true);
        TextBox->setPlainText(Source.ShownText());
    }
    KeepSourceInStep();
    TextBox->document()->setModified(false);
    if (!bytes)
        ErrorBox.ShowError(kCannotRead + FileNameForMessage(StoredName) + " : " + WhyUnreadable(StoredName));
}

// Should the box ever hold another text than the one followed, the box's
// text is taken whole.
void TEditeur::KeepSourceInStep()
{
    const QTextDocument& document = *TextBox->document();
    if (Source.Length() != document.characterCount() - 1)
        Source.Replace(0, Source.Length(), document.toRawText());
}

// Every edit is handed to the source text, so that saving knows which bytes
// the user touched.
void TEditeur::FollowChange(int position, int removed, int added)
{
    if (Loading)
        return;
    QTextDocument& document = *TextBox->document();
    const int length = document.characterCount() - 1; // without the end of the last line
    QTextCursor cursor(&document);
    cursor.setPosition(std::clamp(position, 0, length));
    cursor.setPosition(std::clamp(position + added, 0, length), QTextCursor::KeepAnchor);
    Source.Replace(position, removed, cursor.selectedText());
    KeepSourceInStep();
}

// An empty box holds no line at all.
QStringList TEditeur::Lines() const
{
    const QString text = TextBox->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

bool TEditeur::SaveTo(const std::string& fileName)
{
    if (const std::optional<std::string> failure = WriteFileAtomically(fileName, Source.Bytes())) {
        ErrorBox.ShowError(*failure);
        return false;
    }
    if (OnSaved)
        OnSaved(fileName);
    return true;
}

bool TEditeur::Enregistrer()
{
    const QFileInfo current(FileNameForDisplay(StoredName));
    const TSaveRequest request{Cp1252ToQString(kSaveCaption), {Cp1252ToQString(kSaveFilter)},
                               current.absolutePath(), current.fileName()};
    const std::optional<TSaveChoice> choice =
        AskSaveTarget(Dialogs, this, request, [](const TSaveChoice& chosen) { return chosen.FileName; });
    if (!choice)
        return false;
    StoredName = choice->FileName;
    if (!SaveTo(StoredName))
        return false;
    TextBox->document()->setModified(false);
    return true;
}

bool TEditeur::CloseQuery()
{
    if (!isVisible() || !TextBox->document()->isModified())
        return true;
    switch (Dialogs.AskSaveChanges(this)) {
    case TUnsavedChoice::Save:
        return Enregistrer();
    case TUnsavedChoice::Discard:
        return true;
    case TUnsavedChoice::Cancel:
        break;
    }
    return false;
}

void TEditeur::reject()
{
    if (CloseQuery())
        QDialog::reject();
}

void TEditeur::Imprimer()
{
    const std::unique_ptr<QPrinter> printer = PrinterSetup(this);
    if (printer && !PrintLines(*printer, TextBox->font(), Cp1252ToQString(kCaption), Lines()))
        ErrorBox.ShowError(kPrintFailed);
}

void TEditeur::Copier()
{
    TextBox->copy();
}
