// The reference the viewer's speed and memory are compared with: the same
// phases of showing a page done by QTextDocument. Prints, as the median over
// the runs, one line per phase in milliseconds and the peak resident memory,
// in the format of zefweb --bench.
//
//     qt_document_compare FILE [--width W] [--repeat N]

#include "engine/base/PhaseTimes.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kWindowHeight = 600;

// Lays the whole document out: the document size is known only then.
void ForceLayout(QTextDocument& document)
{
    document.documentLayout()->documentSize();
}

void PaintWindow(QTextDocument& document, int width, double top)
{
    QImage image(width, kWindowHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(0, -top);
    document.drawContents(&painter, QRectF(0, top, width, kWindowHeight));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A widget application, as zefweb is: both start from the same memory.
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: qt_document_compare FILE [--width W] [--repeat N]\n");
        return 2;
    }
    int width = 800;
    int repeat = 5;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--width") == 0)
            width = std::max(101, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--repeat") == 0)
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "qt_document_compare: cannot read %s\n", argv[1]);
        return 1;
    }
    // The pages are Windows-1252; Latin-1 reads their ASCII the same.
    const QString html = QString::fromLatin1(file.readAll());

    TPhaseTimes times;
    for (int run = 0; run < repeat; ++run) {
        times.Start();
        QTextDocument document;
        document.setHtml(html);
        times.Record("build");

        times.Start();
        document.setTextWidth(width);
        ForceLayout(document);
        times.Record("layout");

        times.Start();
        PaintWindow(document, width, 0);
        times.Record("paint-top");

        times.Start();
        document.setTextWidth(width - 100);
        ForceLayout(document);
        times.Record("relayout");

        const double bottom = std::max(0.0, document.size().height() - kWindowHeight);
        times.Start();
        PaintWindow(document, width - 100, bottom);
        times.Record("paint-bottom");
    }
    times.Print(std::cout, {"build", "layout", "paint-top", "relayout", "paint-bottom"});
    return 0;
}
