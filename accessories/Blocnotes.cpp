#include "accessories/Blocnotes.h"

#include "accessories/LinePrinter.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Interface texts (Windows-1252).
constexpr char kCaption[] = "Bloc-notes";
constexpr char kPrintHint[] = "Imprimer";
constexpr char kCloseCaption[] = "Fermer";
constexpr TCp1252Text kPrintFailed("L'impression a échoué : ");
constexpr TCp1252Text kNoPrinter("aucune imprimante n'est installée");
constexpr TCp1252Text kPrinterRefused("l'imprimante « %1 » a refusé le travail");
constexpr TCp1252Text kNoFolder("le dossier « %1 » n'existe pas");
constexpr TCp1252Text kCannotWrite("le fichier « %1 » ne peut pas être écrit");
constexpr TCp1252Text kCannotReadNotes("Impossible de lire le bloc-notes « %1 » : %2");
constexpr TCp1252Text kCannotSaveNotes("Impossible d'enregistrer le bloc-notes dans « %1 » : %2");
constexpr TCp1252Text kNotAFile("ce n'est pas un fichier ordinaire");
constexpr TCp1252Text kPermissionDenied("permission refusée");
constexpr TCp1252Text kWriteFailed("écriture impossible (disque plein ?)");
constexpr TCp1252Text kReadFailed("lecture impossible");
constexpr char kNotesFileName[] = "/blocnotes.txt";

// Window geometry, in pixels.
constexpr int kClientWidth = 533;
constexpr int kClientHeight = 334;
constexpr int kPanelHeight = 33;
constexpr int kCloseFromRight = 125; // "Fermer" keeps this distance to the right edge

// The print button's picture: a printer with a sheet coming out.
QIcon PrinterIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(4, 1, 7, 5);
    painter.setBrush(Qt::lightGray);
    painter.drawRect(1, 6, 13, 6);
    painter.setBrush(Qt::white);
    painter.drawRect(4, 10, 7, 4);
    painter.fillRect(11, 8, 2, 1, Qt::green);
    return QIcon(pixmap);
}

// Why a printer refused a job, in the user's words.
QString PrintFailureCause(const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QFileInfo target(printer.outputFileName());
        if (!target.absoluteDir().exists())
            return Cp1252ToQString(kNoFolder).arg(target.absolutePath());
        return Cp1252ToQString(kCannotWrite).arg(target.absoluteFilePath());
    }
    if (printer.printerName().isEmpty())
        return Cp1252ToQString(kNoPrinter);
    return Cp1252ToQString(kPrinterRefused).arg(printer.printerName());
}

QString FileErrorCause(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::PermissionsError: return Cp1252ToQString(kPermissionDenied);
    case QFileDevice::ReadError: return Cp1252ToQString(kReadFailed);
    default: return Cp1252ToQString(kWriteFailed);
    }
}

} // namespace

std::unique_ptr<QPrinter> DefaultPrinter(QWidget* parent)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!QPrinterInfo::defaultPrinter().isNull())
        return printer;
    QPrintDialog dialog(printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

QString DefaultNotesFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1String(kNotesFileName);
}

TBlocnotes::TBlocnotes(TErrorBox& errorBox, QString notesFile, TPrinterFactory printerFactory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , mErrorBox(errorBox)
    , mPrinterFactory(std::move(printerFactory))
    , mNotesFile(std::move(notesFile))
{
    setWindowTitle(Cp1252ToQString(kCaption));

    auto* panel = new QFrame(this);
    panel->setFixedHeight(kPanelHeight);
    auto* printButton = new QToolButton(panel);
    printButton->setAutoRaise(true);
    printButton->setIcon(PrinterIcon());
    printButton->setToolTip(Cp1252ToQString(kPrintHint));
    printButton->setGeometry(4, 4, 25, 25);
    printButton->setFocusPolicy(Qt::NoFocus);
    connect(printButton, &QToolButton::clicked, this, &TBlocnotes::Imprimer);
    mCloseButton = new QPushButton(Cp1252ToQString(kCloseCaption), panel);
    mCloseButton->setGeometry(kClientWidth - kCloseFromRight, 4, 75, 25);
    mCloseButton->setAutoDefault(false); // Enter belongs to the text
    connect(mCloseButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* lowered = new QFrame(this);
    lowered->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    mTextBox = new QPlainTextEdit(lowered);
    mTextBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* loweredLayout = new QVBoxLayout(lowered);
    loweredLayout->setContentsMargins(2, 2, 2, 2);
    loweredLayout->addWidget(mTextBox);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(lowered, 1);
    resize(kClientWidth, kClientHeight);
}

QStringList TBlocnotes::ShownLines() const
{
    QStringList lines;
    for (QTextBlock block = mTextBox->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (layout == nullptr || layout->lineCount() == 0) { // not laid out yet: one line
            lines << block.text();
            continue;
        }
        for (int index = 0; index < layout->lineCount(); ++index) {
            const QTextLine line = layout->lineAt(index);
            lines << block.text().mid(line.textStart(), line.textLength());
        }
    }
    // An empty box has one empty block, but nothing to print.
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}

void TBlocnotes::Imprimer()
{
    const std::unique_ptr<QPrinter> printer = mPrinterFactory(this);
    if (!printer)
        return;
    if (!PrintLines(*printer, mTextBox->font(), Cp1252ToQString(kCaption), ShownLines()))
        mErrorBox.ShowError(QStringToCp1252(Cp1252ToQString(kPrintFailed) + PrintFailureCause(*printer)));
}

void TBlocnotes::LoadNotes()
{
    mNotesLoaded = true;
    const QFileInfo info(mNotesFile);
    if (mNotesFile.isEmpty() || !info.exists())
        return;
    QFile file(mNotesFile);
    // A FIFO or a device would block or never end.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        const QString cause = info.isFile() ? FileErrorCause(file.error()) : Cp1252ToQString(kNotAFile);
        mErrorBox.ShowError(QStringToCp1252(Cp1252ToQString(kCannotReadNotes).arg(mNotesFile, cause)));
        return;
    }
    mTextBox->setPlainText(QString::fromUtf8(file.readAll()));
}

void TBlocnotes::SaveNotes()
{
    if (mNotesFile.isEmpty() || !mNotesLoaded)
        return;
    QDir().mkpath(QFileInfo(mNotesFile).absolutePath());
    // Replaced whole or not at all: a failed write keeps the last notes.
    QSaveFile file(mNotesFile);
    if (file.open(QIODevice::WriteOnly) && file.write(mTextBox->toPlainText().toUtf8()) >= 0 && file.commit())
        return;
    mErrorBox.ShowError(
        QStringToCp1252(Cp1252ToQString(kCannotSaveNotes).arg(mNotesFile, FileErrorCause(file.error()))));
}

void TBlocnotes::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    mCloseButton->move(width() - kCloseFromRight, mCloseButton->y());
}

void TBlocnotes::showEvent(QShowEvent* event)
{
    if (!mNotesLoaded)
        LoadNotes();
    QDialog::showEvent(event);
    mTextBox->setFocus();
}

void TBlocnotes::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    SaveNotes();
}
