#include "accessories/LinePrinter.h"

#include <QPrinter>

#include <cmath>

namespace {

constexpr int kTabColumns = 8;
constexpr qreal kScreenDotsPerInch = 96;
constexpr qreal kPointsPerInch = 72;

// A pixel size means screen pixels; on a printer it would mean device dots.
QFont PrinterFont(QFont font)
{
    if (font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * kPointsPerInch / kScreenDotsPerInch);
    return font;
}

} // namespace

TLinePrinter::TLinePrinter(QPrinter& printer, const QFont& font)
    : mPrinter(printer)
    , mFont(PrinterFont(font))
{
}

TLinePrinter::~TLinePrinter()
{
    if (mPainter.isActive())
        mPainter.end();
}

bool TLinePrinter::Begin(const QString& title)
{
    mPrinter.setDocName(title);
    if (!mPainter.begin(&mPrinter))
        return false;
    mPainter.setFont(mFont);
    mMetrics.emplace(mPainter.font(), &mPrinter);
    mTabWidth = kTabColumns * mMetrics->averageCharWidth();
    mPageWidth = mPrinter.width();
    mPageHeight = mPrinter.height();
    mY = 0;
    return true;
}

void TLinePrinter::WriteLine(const QString& line)
{
    if (!mPainter.isActive())
        return;
    for (const QString& printed : Wrap(line))
        PrintOneLine(printed);
}

bool TLinePrinter::End()
{
    return mPainter.isActive() && mPainter.end();
}

qreal TLinePrinter::Advance(QChar character, qreal x) const
{
    if (character == u'\t')
        return (std::floor(x / mTabWidth) + 1) * mTabWidth - x;
    return mMetrics->horizontalAdvance(character);
}

qreal TLinePrinter::Width(const QString& text) const
{
    qreal x = 0;
    for (QChar character : text)
        x += Advance(character, x);
    return x;
}

// Breaks after the last space that lets the line fit, or inside a word wider
// than the page; the space at a break is not carried to the next line.
QStringList TLinePrinter::Wrap(const QString& line) const
{
    QStringList printed;
    QString current;
    qreal x = 0;
    qsizetype breakAfter = 0;
    for (QChar character : line) {
        qreal advance = Advance(character, x);
        if (x + advance > mPageWidth && !current.isEmpty()) {
            if (breakAfter > 0 && character != u' ') {
                printed << current.left(breakAfter);
                current = current.mid(breakAfter);
            } else {
                printed << current;
                current.clear();
            }
            breakAfter = 0;
            x = Width(current);
            if (character == u' ' && current.isEmpty())
                continue;
            advance = Advance(character, x);
        }
        current += character;
        x += advance;
        if (character == u' ')
            breakAfter = current.size();
    }
    printed << current;
    return printed;
}

void TLinePrinter::PrintOneLine(const QString& text)
{
    const qreal lineHeight = mMetrics->lineSpacing();
    if (mY > 0 && mY + lineHeight > mPageHeight) {
        mPrinter.newPage();
        mY = 0;
    }
    const qreal baseline = mY + mMetrics->ascent();
    const QStringList pieces = text.split(u'\t');
    qreal x = 0;
    for (qsizetype index = 0; index < pieces.size(); ++index) {
        if (index > 0)
            x += Advance(u'\t', x);
        if (!pieces[index].isEmpty())
            mPainter.drawText(QPointF(x, baseline), pieces[index]);
        x += Width(pieces[index]);
    }
    mY += lineHeight;
}

bool PrintLines(QPrinter& printer, const QFont& font, const QString& title, const QStringList& lines)
{
    TLinePrinter linePrinter(printer, font);
    if (!linePrinter.Begin(title))
        return false;
    for (const QString& line : lines)
        linePrinter.WriteLine(line);
    return linePrinter.End();
}
