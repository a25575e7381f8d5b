// Lexing speed on a generated 5 MB page that mixes running text with inline
// markup, entities, tables with attributes, lists, comments and forms.

#include "engine/lexer/Lexer.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kPageSize = 5 * 1024 * 1024;

// splitmix64: the same page on every machine.
class TRandom {
public:
    std::uint64_t Next()
    {
        State += 0x9E3779B97F4A7C15u;
        std::uint64_t z = State;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    int Below(int limit) { return static_cast<int>(Next() % static_cast<std::uint64_t>(limit)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) { return items[static_cast<std::size_t>(Below(N))]; }

private:
    std::uint64_t State = 42;
};

constexpr std::array<std::string_view, 24> kWords = {"the", "of", "and", "page", "table", "lorem", "ipsum",
    "window", "viewer", "colour", "Zef", "image", "link", "river", "mountain", "quickly", "paragraph", "with",
    "for", "when", "about", "between", "structure", "document"};
constexpr std::array<std::string_view, 8> kEntities = {"&amp;", "&lt;", "&eacute;", "&nbsp;", "&copy;",
    "&#169;", "&frac12;", "&Uuml;"};
constexpr std::array<std::string_view, 6> kInlineTags = {"B", "I", "EM", "STRONG", "TT", "U"};
constexpr std::array<std::string_view, 5> kColours = {"#FFFFCC", "navy", "#008080", "silver", "#FF0000"};

class TPageWriter {
public:
    std::string Write(std::size_t size)
    {
        Page = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n<HTML><HEAD><TITLE>Bench</TITLE>"
               "</HEAD>\n<BODY BGCOLOR=\"#FFFFFF\" TEXT=black LINK=\"#0000FF\">\n";
        while (Page.size() < size) {
            const int roll = Random.Below(100);
            if (roll < 55)
                Paragraph();
            else if (roll < 70)
                Table();
            else if (roll < 80)
                List();
            else if (roll < 88)
                Page += "<!-- section " + std::to_string(Random.Below(1000)) + " -- generated -->\n";
            else if (roll < 94)
                Heading();
            else
                Form();
        }
        Page += "</BODY></HTML>\n";
        return std::move(Page);
    }

private:
    void Words(int count)
    {
        for (int index = 0; index < count; ++index) {
            if (index > 0)
                Page += index % 12 == 0 ? "\r\n" : " ";
            Page += Random.Chance(4) ? Random.Pick(kEntities) : Random.Pick(kWords);
        }
    }

    void Inline(int count)
    {
        while (count > 0) {
            const int chunk = 1 + Random.Below(8);
            const int roll = Random.Below(100);
            if (roll < 25) {
                const std::string_view tag = Random.Pick(kInlineTags);
                Page += "<" + std::string(tag) + ">";
                Words(chunk);
                Page += "</" + std::string(tag) + "> ";
            } else if (roll < 33) {
                Page += "<FONT SIZE=+1 COLOR=\"" + std::string(Random.Pick(kColours)) + "\">";
                Words(chunk);
                Page += "</FONT> ";
            } else if (roll < 43) {
                Page += "<A HREF=\"../dir/page" + std::to_string(Random.Below(500)) + ".html#top\">";
                Words(chunk);
                Page += "</A> ";
            } else {
                Words(chunk);
                Page += ' ';
            }
            count -= chunk;
        }
    }

    void Paragraph()
    {
        Page += Random.Chance(10) ? "<P ALIGN=CENTER>" : "<P>";
        Inline(30 + Random.Below(130));
        Page += Random.Chance(60) ? "</P>\n" : "\n";
    }

    void Heading()
    {
        const std::string level = std::to_string(1 + Random.Below(6));
        Page += "<H" + level + "><A NAME=\"s" + std::to_string(Random.Below(999)) + "\">";
        Words(3 + Random.Below(6));
        Page += "</A></H" + level + ">\n";
    }

    void Table()
    {
        Page += "<TABLE BORDER=1 CELLPADDING=" + std::to_string(Random.Below(6)) + " CELLSPACING=2 WIDTH=\"90%\">\n";
        const int rows = 2 + Random.Below(6);
        const int columns = 2 + Random.Below(4);
        for (int row = 0; row < rows; ++row) {
            Page += "<TR VALIGN=top>";
            for (int column = 0; column < columns; ++column) {
                Page += Random.Chance(20) ? "<TD ALIGN=right BGCOLOR=\"#E0E0E0\" COLSPAN=1>" : "<TD>";
                Inline(1 + Random.Below(12));
                Page += "</TD>";
            }
            Page += "</TR>\n";
        }
        Page += "</TABLE>\n";
    }

    void List()
    {
        Page += Random.Chance(50) ? "<UL TYPE=disc>\n" : "<OL START=3>\n";
        const int items = 2 + Random.Below(8);
        for (int item = 0; item < items; ++item) {
            Page += "<LI>";
            Inline(4 + Random.Below(20));
            Page += '\n';
        }
        Page += "</UL>\n";
    }

    void Form()
    {
        Page += "<FORM ACTION=\"/cgi-bin/post\" METHOD=POST>\n<INPUT TYPE=text NAME=q SIZE=30 MAXLENGTH=80>"
                "<SELECT NAME=s><OPTION SELECTED>one<OPTION VALUE=2>two</SELECT>\n"
                "<INPUT TYPE=checkbox NAME=c CHECKED> <INPUT TYPE=submit VALUE=\"Envoyer\"></FORM>\n";
    }

    TRandom Random;
    std::string Page;
};

void LexMixedPage(benchmark::State& state)
{
    const std::string page = TPageWriter().Write(kPageSize);
    std::size_t symbols = 0;
    for (auto _ : state) {
        THtmlLexer lexer;
        lexer.StartMemory(page);
        symbols = 0;
        while (lexer.NextSymbol() != TSymbol::EndOfInput)
            ++symbols;
        benchmark::DoNotOptimize(symbols);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    state.counters["symbols"] = static_cast<double>(symbols);
}
BENCHMARK(LexMixedPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
