#include "accessories/Blocnotes.h"

#include "accessories/LinePrinter.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QFrame>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
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
constexpr TCp1252Text kPrintFailed("L'impression a échoué");

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

} // namespace

std::unique_ptr<QPrinter> DefaultPrinter() { return std::make_unique<QPrinter>(QPrinter::HighResolution); }

TBlocnotes::TBlocnotes(TErrorBox& errorBox, TPrinterFactory printerFactory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , mErrorBox(errorBox)
    , mPrinterFactory(std::move(printerFactory))
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
    const std::unique_ptr<QPrinter> printer = mPrinterFactory();
    if (!PrintLines(*printer, mTextBox->font(), Cp1252ToQString(kCaption), ShownLines()))
        mErrorBox.ShowError(kPrintFailed);
}

void TBlocnotes::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    mCloseButton->move(width() - kCloseFromRight, mCloseButton->y());
}

void TBlocnotes::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    mTextBox->setFocus();
}
