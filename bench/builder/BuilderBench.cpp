// The document builder and the layout of what it builds, on generated pages
// of about 1 MB each: running text, tables (nested two deep), nested lists and
// preformatted blocks. Reports MB/s of page source for building and for
// laying out at the viewer's width. BuildFile reads a 10 MB page of French
// text from a file written in Windows-1252 and in UTF-8; the times give what
// deciding the encoding and converting cost.

#include "bench/BenchSupport.h"
#include "engine/base/Cp1252.h"
#include "engine/base/TextEncoding.h"
#include "engine/canvas/Canvas.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kPageBytes = 1 << 20;
constexpr int kLayoutWidth = 780;

// A small deterministic generator, so every run builds the same pages.
class TWords {
public:
    std::string_view Next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return kWords[(state_ >> 33) % kWords.size()];
    }
    int Below(int limit)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(limit));
    }

private:
    static constexpr std::array<std::string_view, 16> kWords = {
        "the", "page", "viewer", "shows", "local", "files", "with", "tables", "and", "lists",
        "caf&eacute;", "r&eacute;sum&eacute;", "of", "text", "in", "fonts"};
    std::uint64_t state_ = 42;
};

std::string Sentence(TWords& words, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += words.Next();
        text += ' ';
    }
    return text;
}

std::string TextPage()
{
    TWords words;
    std::string page = "<HTML><HEAD><TITLE>Text</TITLE></HEAD><BODY>\n";
    while (page.size() < kPageBytes) {
        page += "<H2>" + Sentence(words, 4) + "</H2>\n<P>" + Sentence(words, 20);
        page += "<B>" + Sentence(words, 3) + "</B><I>" + Sentence(words, 5) + "</I>";
        page += "<A HREF=\"p.htm\">" + Sentence(words, 2) + "</A><FONT SIZE=+1 COLOR=navy>" +
                Sentence(words, 6) + "</FONT>" + Sentence(words, 30) + "<BR>\n";
    }
    return page + "</BODY></HTML>\n";
}

std::string Cells(TWords& words, int columns, bool nest)
{
    std::string row = "<TR>";
    for (int column = 0; column < columns; ++column) {
        row += "<TD>" + Sentence(words, 2 + words.Below(6));
        if (nest && column == 0)
            row += "<TABLE BORDER=1><TR><TD>" + Sentence(words, 3) + "<TD>" + Sentence(words, 2) + "</TABLE>";
    }
    return row + "\n";
}

std::string TablesPage()
{
    TWords words;
    std::string page = "<HTML><BODY>\n";
    while (page.size() < kPageBytes) {
        page += "<TABLE BORDER=1 CELLPADDING=2 WIDTH=90%>\n";
        for (int row = 0; row < 20; ++row)
            page += Cells(words, 5, row % 5 == 0);
        page += "</TABLE><P>" + Sentence(words, 10) + "\n";
    }
    return page + "</BODY></HTML>\n";
}

std::string ListsPage()
{
    TWords words;
    std::string page = "<HTML><BODY>\n";
    constexpr std::array<std::string_view, 3> kKinds = {"UL", "OL", "DL"};
    while (page.size() < kPageBytes) {
        for (int depth = 0; depth < 6; ++depth) {
            const std::string_view kind = kKinds[static_cast<std::size_t>(depth) % kKinds.size()];
            page += "<" + std::string(kind) + ">\n";
            for (int item = 0; item < 4; ++item)
                page += (kind == "DL" ? "<DT>" + Sentence(words, 2) + "<DD>" : std::string("<LI>")) +
                        Sentence(words, 8) + "\n";
        }
        for (int depth = 5; depth >= 0; --depth)
            page += "</" + std::string(kKinds[static_cast<std::size_t>(depth) % kKinds.size()]) + ">\n";
    }
    return page + "</BODY></HTML>\n";
}

std::string PrePage()
{
    TWords words;
    std::string page = "<HTML><BODY>\n";
    while (page.size() < kPageBytes) {
        page += "<PRE>\n";
        for (int line = 0; line < 40; ++line)
            page += "    " + Sentence(words, 3 + words.Below(8)) + "&lt;x&gt; <B>b</B>\n";
        page += "</PRE>\n";
    }
    return page + "</BODY></HTML>\n";
}

const std::string& Page(int kind)
{
    static const std::array<std::string, 4> kPages = {TextPage(), TablesPage(), ListsPage(), PrePage()};
    return kPages[static_cast<std::size_t>(kind)];
}

// A document the builder fills, with the viewer's default fonts.
struct TBuiltDocument {
    TImageCache Cache;
    TBenchDocument Page{TBenchColors::Viewer};
    TSectionList& Document = Page.Document;
    TFormList Forms;
    TAnchorList Anchors;
    THtmlBuilder Builder;

    TBuiltDocument() { Document.ImageCache = &Cache; }
    // Empties the page for the next build.
    void Clear()
    {
        Document.Clear();
        Forms.clear();
        Anchors.Clear();
    }
    TPageParts Parts() { return {Document, Forms, Anchors}; }
    void Build(const std::string& page)
    {
        Clear();
        Builder.ParseHtmlText(Parts(), page);
    }
    int Layout(TCanvas& canvas) { return Page.Layout(canvas, kLayoutWidth, 5); }
};

void Build(benchmark::State& state)
{
    const std::string& page = Page(static_cast<int>(state.range(0)));
    TBuiltDocument document;
    for (auto _ : state) {
        document.Build(page);
        benchmark::DoNotOptimize(document.Document.Items.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

void Layout(benchmark::State& state)
{
    const std::string& page = Page(static_cast<int>(state.range(0)));
    TBuiltDocument document;
    document.Build(page);
    TCanvas canvas;
    for (auto _ : state)
        benchmark::DoNotOptimize(document.Layout(canvas));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size()));
}

// 10 MB of French running text as Windows-1252 bytes: ordinary prose (a
// word in six or so with an accented letter, apostrophes, no-break spaces
// before colons, guillemets), or, for the worst case, dense phrases where half
// the UTF-8 bytes are not ASCII.
enum class TFrench { Prose, Dense };

std::string FrenchTextPage(TFrench kind)
{
    constexpr std::array<std::string_view, 24> kProse = {
        "le ", "navigateur ", "affiche ", "les ", "pages ", "enregistr\xE9" "es ", "sur ", "le ", "disque ",
        "et ", "l\x92" "image ", "de ", "la ", "fen\xEAtre ", "\xE0 ", "chaque ", "lecture ", "du ", "texte ",
        "d\xE9j\xE0 ", "pr\xE9" "c\xE9" "dente\xA0: ", "\xAB\xA0" "tableaux\xA0\xBB ", "avec ", "des "};
    constexpr std::array<std::string_view, 12> kDense = {
        "Caf\xE9 cr\xE8me ", "\xAB r\xE9sum\xE9 \xBB ", "l\x92\xE9t\xE9 ", "\x96 ", "na\xEFve ",
        "Chapitre\xA0" "1. ", "\x93H\xE4ufig\x94 ", "page ", "du texte ", "\x85 ", "\x80 ", "fen\xEAtre "};
    TWords words;
    std::string page = "<HTML><HEAD><TITLE>Texte</TITLE></HEAD><BODY>\n";
    while (page.size() < 10 * kPageBytes) {
        page += "<P>";
        for (int phrase = 0; phrase < 40; ++phrase)
            page += kind == TFrench::Prose
                ? kProse[static_cast<std::size_t>(words.Below(static_cast<int>(kProse.size())))]
                : kDense[static_cast<std::size_t>(words.Below(static_cast<int>(kDense.size())))];
        page += "\n";
    }
    return page + "</BODY></HTML>\n";
}

std::string Utf8Of(std::string_view cp1252)
{
    std::string utf8;
    for (const char byte : cp1252)
        AppendEncoded(Cp1252ToUnicode(static_cast<unsigned char>(byte)), TTextEncoding::Utf8, utf8);
    return utf8;
}

// The files of one text: in Windows-1252, in UTF-8 with its META
// declaration, and in UTF-8 without one (the whole file is checked before
// it is converted).
enum class TFileEncoding { Cp1252, Utf8Declared, Utf8Undeclared };

std::string PageFile(TFrench kind, TFileEncoding encoding)
{
    const std::string page = FrenchTextPage(kind);
    const std::string head = "<HTML><HEAD>";
    std::string bytes = encoding == TFileEncoding::Cp1252 ? page : Utf8Of(page);
    if (encoding == TFileEncoding::Utf8Declared)
        bytes.insert(head.size(), "<META CHARSET=\"utf-8\">");
    const auto file = std::filesystem::temp_directory_path()
        / ("zef_bench_" + std::to_string(static_cast<int>(kind)) + "_" + std::to_string(static_cast<int>(encoding))
           + ".htm");
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
}

void BuildFile(benchmark::State& state)
{
    const std::string file =
        PageFile(static_cast<TFrench>(state.range(0)), static_cast<TFileEncoding>(state.range(1)));
    TBuiltDocument document;
    for (auto _ : state) {
        document.Clear();
        document.Builder.ParseHtmlFile(document.Parts(), file);
        benchmark::DoNotOptimize(document.Document.Items.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations())
                            * static_cast<std::int64_t>(std::filesystem::file_size(file)));
    std::filesystem::remove(file);
}

// Arguments: 0 text, 1 tables, 2 lists, 3 preformatted.
BENCHMARK(Build)->ArgName("page")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(Layout)->ArgName("page")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
// Arguments: text 0 prose, 1 dense; encoding 0 Windows-1252, 1 UTF-8
// declared, 2 UTF-8 undeclared.
BENCHMARK(BuildFile)->ArgNames({"text", "encoding"})->ArgsProduct({{0, 1}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
