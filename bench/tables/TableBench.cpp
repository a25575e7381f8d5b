// What laying out tables costs: tables nested ever deeper (each level must
// cost about the same, not double the one below) and one long flat table.

#include "bench/BenchSupport.h"
#include "engine/canvas/Canvas.h"
#include "engine/tables/HtmlTable.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/Symbols.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

// A document of tables whose cells hold text sections.
class TTablePage {
public:
    TBenchDocument Page;
    TSectionList& Document = Page.Document;
    TBuilderStyle Style;
    TCanvas Measure;

    ThtmlTable& AddTable(TCell& cell)
    {
        auto table = std::make_unique<ThtmlTable>(&Document, 0, &cell, TParaAlign::Left, TAttributeList());
        ThtmlTable& added = *table;
        cell.Add(std::move(table));
        return added;
    }

    TCellObj& AddCell(TCellList& row)
    {
        row.Add(std::make_unique<TCellObj>(&Document, TAttributeList(), TParaAlign::Left, TVertAlign::Middle));
        return *row.Cells.back();
    }

    void AddText(TCell& cell, const std::string& text)
    {
        auto section = std::make_unique<TSection>(0, TParaAlign::Left, nullptr,
                                                  TMyFont("Times New Roman", 12, {}, clBlack), Style);
        section->AddText(text);
        TSection& added = *section;
        cell.Add(std::move(section));
        added.ApplyDefaultFonts();
    }

    int Layout(int width) { return Page.Layout(Measure, width); }
};

void NestedTables(benchmark::State& state)
{
    TTablePage page;
    TCell* cell = &page.Document;
    for (int level = 0; level < state.range(0); ++level) {
        ThtmlTable& table = page.AddTable(*cell);
        table.AddRow(std::make_unique<TCellList>());
        cell = &page.AddCell(*table.Rows.back()).Cell;
        page.AddText(*cell, "Level " + std::to_string(level) + " of the nested tables");
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(page.Layout(800));
}
BENCHMARK(NestedTables)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond);

void FlatTable(benchmark::State& state)
{
    TTablePage page;
    ThtmlTable& table = page.AddTable(page.Document);
    for (int rowIndex = 0; rowIndex < state.range(0); ++rowIndex) {
        table.AddRow(std::make_unique<TCellList>());
        for (int column = 0; column < 3; ++column)
            page.AddText(page.AddCell(*table.Rows.back()).Cell,
                         "Row " + std::to_string(rowIndex) + " column " + std::to_string(column));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(page.Layout(800));
}
BENCHMARK(FlatTable)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
