// What layout and painting pay for text: the extent of a line, which layout
// asks for millions of times on a large page, and the painting of a line.

#include "bench/BenchSupport.h"
#include "engine/canvas/Canvas.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <string>

namespace {

const std::string kLine80 =
    "The quick brown fox jumps over the lazy dog, caf\xE9 cr\xE8me & 10 \x80 -- a line of text.";

void TextExtent80(benchmark::State& state)
{
    TCanvas canvas;
    canvas.SetFont(TMyFont("Times New Roman", 12));
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.TextExtent(kLine80));
}
BENCHMARK(TextExtent80);

void TextWidth80(benchmark::State& state)
{
    TCanvas canvas;
    canvas.SetFont(TMyFont("Times New Roman", 12));
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.TextWidth(kLine80));
}
BENCHMARK(TextWidth80);

// Setting a run's font before measuring, as layout does for every chunk.
void SetFontAndMeasure(benchmark::State& state)
{
    TCanvas canvas;
    const TMyFont font("Times New Roman", 12);
    for (auto _ : state) {
        canvas.SetFont(font);
        benchmark::DoNotOptimize(canvas.TextWidth(kLine80));
    }
}
BENCHMARK(SetFontAndMeasure);

void PaintLine80(benchmark::State& state)
{
    QImage image(800, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    canvas.SetFont(TMyFont("Times New Roman", 12, {}, clBlack));
    canvas.SetBackgroundMode(TBackgroundMode::Transparent);
    canvas.SetTextAlign(TTextAlign::Baseline);
    for (auto _ : state)
        canvas.TextOut(4, 30, kLine80);
}
BENCHMARK(PaintLine80);

// An animated picture's frame drawn through its mask, 200 by 200 pixels.
void DrawMasked200(benchmark::State& state)
{
    QImage picture(200, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QImage mask(200, 200, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            mask.setPixel(x, y, (x + y) % 3 == 0);
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    for (auto _ : state)
        canvas.DrawMasked({10, 10, 210, 210}, picture, mask);
}
BENCHMARK(DrawMasked200);

// Making a face: what the face cache saves for every run that re-applies defaults.
void MakeFace(benchmark::State& state)
{
    int size = 8;
    for (auto _ : state) {
        TFontFace face({"Times New Roman", size, false, false});
        benchmark::DoNotOptimize(face.Advance('A'));
        size = size == 40 ? 8 : size + 1;
    }
}
BENCHMARK(MakeFace);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
