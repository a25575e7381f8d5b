// The reference the viewer's speed and memory are compared with: the same
// phases of showing a page done by QTextDocument. Prints, as the median over
// the runs, one line per phase in milliseconds and the peak resident memory,
// in the format of zefweb --bench.
//
//     qt_document_compare FILE [--width W] [--repeat N]

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWindowHeight = 600;

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

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

    std::map<std::string, std::vector<double>> phases;
    for (int run = 0; run < repeat; ++run) {
        auto start = std::chrono::steady_clock::now();
        QTextDocument document;
        document.setHtml(html);
        phases["build"].push_back(MillisecondsSince(start));

        start = std::chrono::steady_clock::now();
        document.setTextWidth(width);
        ForceLayout(document);
        phases["layout"].push_back(MillisecondsSince(start));

        start = std::chrono::steady_clock::now();
        PaintWindow(document, width, 0);
        phases["paint-top"].push_back(MillisecondsSince(start));

        start = std::chrono::steady_clock::now();
        document.setTextWidth(width - 100);
        ForceLayout(document);
        phases["relayout"].push_back(MillisecondsSince(start));

        const double bottom = std::max(0.0, document.size().height() - kWindowHeight);
        start = std::chrono::steady_clock::now();
        PaintWindow(document, width - 100, bottom);
        phases["paint-bottom"].push_back(MillisecondsSince(start));
    }
    for (const char* phase : {"build", "layout", "paint-top", "relayout", "paint-bottom"})
        std::printf("%s %g\n", phase, Median(phases[phase]));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak-mb %g\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
