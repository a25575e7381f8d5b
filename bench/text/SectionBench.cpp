// One text section of a whole book: laying it out must grow with the text,
// and painting a window of it must cost the same at its top and its bottom.

#include "bench/BenchSupport.h"
#include "engine/canvas/Canvas.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"

#include <QImage>
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 800;
constexpr int kWindowHeight = 600;

// A document holding one section of `bytes` characters of words.
class TBookDocument {
public:
    explicit TBookDocument(int bytes)
    {
        TBuilderStyle style;
        auto section = std::make_unique<TSection>(0, TParaAlign::Left, nullptr,
                                                  TMyFont("Times New Roman", 12, {}, clBlack), style);
        constexpr std::array<std::string_view, 8> kWords = {"lorem ", "ipsum ", "dolor ", "sit ",
                                                             "amet, ", "consectetur ", "adipiscing ", "elit. "};
        std::string text;
        for (std::size_t i = 0; static_cast<int>(text.size()) < bytes; ++i)
            text += kWords[(i * 7 + i / 3) % kWords.size()];
        text.resize(static_cast<std::size_t>(bytes));
        section->AddText(text);
        Section = section.get();
        Document.Add(std::move(section));
        Document.ApplyDefaultFonts();
    }

    int Layout() { return Page.Layout(Measure, kWidth); }

    void Paint(int yOffset, QImage& window)
    {
        Document.SetYOffset(yOffset);
        TCanvas canvas(&window);
        Document.Paint(canvas, {0, 0, kWidth, kWindowHeight}, 0, 0, kWidth);
    }

    TBenchDocument Page;
    TSectionList& Document = Page.Document;
    TCanvas Measure;
    TSection* Section = nullptr;
};

void LayoutBook(benchmark::State& state)
{
    TBookDocument book(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(book.Layout());
    state.counters["lines"] = static_cast<double>(book.Section->Lines.size());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LayoutBook)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

void PaintWindow(benchmark::State& state, bool atBottom)
{
    TBookDocument book(1024 * 1024);
    const int height = book.Layout();
    QImage window(kWidth, kWindowHeight, QImage::Format_RGB32);
    const int yOffset = atBottom ? height - kWindowHeight : 0;
    for (auto _ : state) {
        window.fill(Qt::white);
        book.Paint(yOffset, window);
    }
}

void PaintTopWindow(benchmark::State& state)
{
    PaintWindow(state, false);
}
BENCHMARK(PaintTopWindow)->Unit(benchmark::kMicrosecond);

void PaintBottomWindow(benchmark::State& state)
{
    PaintWindow(state, true);
}
BENCHMARK(PaintBottomWindow)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
