#include "bench/BenchSupport.h"

#include <QApplication>
#include <benchmark/benchmark.h>

TBenchDocument::TBenchDocument(TBenchColors colors)
{
    if (colors == TBenchColors::Viewer)
        Document.SetFonts("Times New Roman", "Courier New", kSystemColorFlag | 0x0F, 0x00FF0000,
                          kSystemColorFlag | 0x12, 12);
    else
        Document.SetFonts("Times New Roman", "Courier New", clWhite, clBlue, clBlack, 12);
}

int TBenchDocument::Layout(TCanvas& canvas, int width, int y)
{
    int position = 0;
    int maxWidth = 0;
    return Document.Layout(canvas, y, width, position, maxWidth);
}

int RunBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A widget application serves every benchmark: the form controls need
    // one, the canvas is content with it.
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
