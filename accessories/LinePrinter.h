#pragma once
// Prints lines of text as a line printer does: from the top of the page, in
// one font, a line wider than the page going on at the next printed line, tabs
// at multiples of eight average character widths, a new page when the next line
// does not fit.

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

#include <optional>

class QPrinter;

class TLinePrinter {
public:
    // The font's size is kept as on the screen (96 dots per inch), whatever
    // the printer's resolution.
    TLinePrinter(QPrinter& printer, const QFont& font);
    ~TLinePrinter();
    TLinePrinter(const TLinePrinter&) = delete;
    TLinePrinter& operator=(const TLinePrinter&) = delete;

    // Starts the job named title; false when the printer refuses it.
    bool Begin(const QString& title);
    void WriteLine(const QString& line);
    // Ends the job and sends it; false when it could not be completed.
    bool End();

private:
    QStringList Wrap(const QString& line) const;
    qreal Advance(QChar character, qreal x) const;
    qreal Width(const QString& text) const;
    void PrintOneLine(const QString& text);

    QPrinter& mPrinter;
    QFont mFont;
    QPainter mPainter;
    std::optional<QFontMetricsF> mMetrics;
    qreal mTabWidth = 0;
    qreal mPageWidth = 0;
    qreal mPageHeight = 0;
    qreal mY = 0;
};

// One whole job: Begin, every line, End.
bool PrintLines(QPrinter& printer, const QFont& font, const QString& title, const QStringList& lines);
