// A form of 1000 controls of every kind: made from the page's tags, sized from
// the layout canvas, submitted, and freed with the page; once as a window that
// shows none of them (no widget is made), once with every widget made, as
// after painting the whole page or tabbing through every control.

#include "bench/BenchSupport.h"
#include "engine/canvas/Canvas.h"
#include "engine/forms/FormControlFactory.h"
#include "engine/forms/FormControls.h"
#include "engine/forms/HtmlForm.h"
#include "engine/lexer/Lexer.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"
#include "engine/viewer/PageHost.h"

#include <QWidget>
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>

namespace {

constexpr int kControlCount = 1000;
constexpr int kOptionsPerList = 5;

std::string FormPage()
{
    constexpr std::array<std::string_view, 8> kTags = {
        "<input name=text value=abc>",
        "<input type=password name=secret size=\"12,1\">",
        "<input type=checkbox name=box checked>",
        "<input type=radio name=choice value=v>",
        "<input type=hidden name=h value=1>",
        "<select name=list size=3>",
        "<textarea name=area>first\r\nsecond</textarea>",
        "<input type=submit name=go value=Go>",
    };
    std::string page = "<form action=/bench method=post>";
    for (int index = 0; index < kControlCount; ++index)
        page += kTags[static_cast<std::size_t>(index) % kTags.size()];
    return page + "</form>";
}

// The part of the builder that makes the controls.
void ReadControls(const std::string& page, TSectionList& document, TFormList& forms, TSection& section)
{
    TFormControlFactory factory(document, forms);
    THtmlLexer lexer;
    lexer.StartMemory(page);
    for (TSymbol symbol = lexer.NextSymbol(); symbol != TSymbol::EndOfInput; symbol = lexer.NextSymbol()) {
        if (symbol == TSymbol::Form) {
            factory.StartForm(lexer.Attributes());
        } else if (symbol == TSymbol::Input) {
            factory.CreateInput(section, nullptr, lexer.Attributes());
        } else if (symbol == TSymbol::Select) {
            TListBoxFormControlObj& list = factory.CreateSelect(section, lexer.Attributes());
            for (int option = 0; option < kOptionsPerList; ++option)
                list.AddOption("", option == 2, "option " + std::to_string(option));
            list.ResetToValue();
        } else if (symbol == TSymbol::TextArea) {
            // The builder reads the body; its lines are given here.
            factory.CreateTextArea(section, lexer.Attributes()).SetInitialLines({"first", "second"});
        }
    }
}

void CreateSizeSubmit(benchmark::State& state, bool makeWidgets)
{
    const std::string page = FormPage();
    QWidget panel;
    TPageHost host(panel);
    TSilentErrorBox errors;
    TCanvas measure;
    std::size_t pairs = 0;
    for (auto _ : state) {
        TFormList forms;
        TSectionList document(&host, errors);
        document.SubmitHandler = [&pairs](const std::string&, const std::string&, const std::string&,
                                          const std::string&, std::vector<std::string> results) {
            pairs += results.size();
        };
        TBuilderStyle style;
        TSection section(0, TParaAlign::Left, nullptr, TMyFont("Times New Roman", 12), style);
        ReadControls(page, document, forms, section);
        for (TFormControlObj* control : document.FormControlList) {
            control->SizeFromCanvas(measure);
            if (makeWidgets)
                control->EnsureWidget();
        }
        forms.front()->Submit();
        benchmark::DoNotOptimize(pairs);
    }
    state.counters["controls"] = kControlCount;
}
void CreateSizeSubmit1000(benchmark::State& state)
{
    CreateSizeSubmit(state, false);
}
BENCHMARK(CreateSizeSubmit1000)->Unit(benchmark::kMillisecond);

void CreateSizeSubmit1000WithWidgets(benchmark::State& state)
{
    CreateSizeSubmit(state, true);
}
BENCHMARK(CreateSizeSubmit1000WithWidgets)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
