// Text sections: text appending rules, line breaking, alignment, floats and
// the position queries, on sections laid out with the Liberation fonts.

#include "engine/base/Cp1252.h"
#include "engine/layout/IndentManager.h"
#include "engine/text/PreFormated.h"
#include "engine/canvas/TextSinks.h"
#include "tests/text/TextTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr char kImage = TSection::kImageMark;

std::string Words(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "word" + std::to_string(i) + " ";
    return text;
}

// A placeholder box of a settled size: no SRC, both dimensions given.
TAttributeList BoxAttributes(int width, int height, std::string_view align = {})
{
    TAttributeList list = Attributes({{TSymbol::Width, width, std::to_string(width)},
                                      {TSymbol::Height, height, std::to_string(height)}});
    if (!align.empty())
        list.Add({TSymbol::Align, 0, std::string(align)});
    return list;
}

} // namespace

// A control of a fixed size, as the forms layer's controls stand in the text.
class TBoxControl final : public TInlineControl {
public:
    TBoxControl(int width, int height) : width_(width), height_(height) {}
    bool HasWidget() const override { return true; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Place(int, int, TColor) override {}
    void Draw(TCanvas&, int, int) override {}

private:
    int width_;
    int height_;
};

TEST(SectionText, SpacesBetweenAppendedTextsCollapseToOne)
{
    TTextDocument doc;
    auto section = doc.MakeSection();
    section->AddText(" leading");
    section->AddText("Hello ");
    section->AddText(" world");
    section->AddText(" and");
    EXPECT_EQ(section->Text(), "leadingHello world and");
    EXPECT_EQ(section->Length, 22);
}

TEST(SectionText, NoSpaceAfterLeadingFloatsButAfterAnInlineImage)
{
    TTextDocument doc;
    auto floating = doc.MakeSection();
    floating->AddImage(BoxAttributes(30, 30, "left"), &doc.Document);
    floating->AddImage(BoxAttributes(30, 30, "right"), &doc.Document);
    floating->AddText(" text");
    EXPECT_EQ(floating->Text(), std::string(2, kImage) + "text");

    auto inlineImage = doc.MakeSection();
    inlineImage->AddImage(BoxAttributes(30, 30), &doc.Document);
    inlineImage->AddText(" text");
    EXPECT_EQ(inlineImage->Text(), std::string{kImage} + " text");
}

TEST(SectionText, MarksInThePageTextAreDropped)
{
    TTextDocument doc;
    auto section = doc.MakeSection();
    section->AddText(std::string("a\x04" "b\x02" "c"));
    EXPECT_EQ(section->Text(), "abc");
    EXPECT_TRUE(section->Images().IsEmpty());
}

TEST(SectionText, CloseForBreakGivesAnEmptySectionExactlyOneSpace)
{
    TTextDocument doc;
    auto empty = doc.MakeSection(TParaAlign::Centre);
    EXPECT_EQ(empty->CloseForBreak(), TParaAlign::Centre);
    EXPECT_EQ(empty->Text(), " ");
    empty->AddText(" more");
    EXPECT_EQ(empty->Text(), " more");

    auto full = doc.MakeSection();
    full->AddText("text");
    full->CloseForBreak();
    EXPECT_EQ(full->Text(), "text");
}

TEST(SectionText, ClearModeFromTheAttribute)
{
    TTextDocument doc;
    auto section = doc.MakeSection();
    section->SetClearMode(Attributes({}));
    EXPECT_EQ(section->ClearMode, TClearMode::None);
    section->SetClearMode(Attributes({{TSymbol::Clear, 0, "LEFT"}}));
    EXPECT_EQ(section->ClearMode, TClearMode::Left);
    section->SetClearMode(Attributes({{TSymbol::Clear, 0, "Right"}}));
    EXPECT_EQ(section->ClearMode, TClearMode::Right);
    section->SetClearMode(Attributes({{TSymbol::Clear, 0, "all"}}));
    EXPECT_EQ(section->ClearMode, TClearMode::Both);
}

TEST(SectionText, FontChangesMakeRunsThatKeepTheLink)
{
    TTextDocument doc;
    TUrlTarget link{"page.htm", ""};
    auto section = doc.MakeSection();
    section->AddText("plain ");
    section->ChangeLink(TSymbol::Href, doc.Document, TTextDocument::BodyFont(), link, doc.Style);
    section->AddText("linked ");
    doc.Style.Style = TFontStyle::Bold;
    section->ChangeFont(doc.Document, TTextDocument::BodyFont(), doc.Style);
    section->ChangeFont(doc.Document, TTextDocument::BodyFont(), doc.Style); // same start: no new run
    section->AddText("bold link ");
    doc.Style = {};
    doc.Style.VPos = TVerticalPosition::Superscript;
    section->ChangeLink(TSymbol::AEnd, doc.Document, TTextDocument::BodyFont(), link, doc.Style);
    section->AddText("up");

    ASSERT_EQ(section->Fonts().Count(), 4);
    EXPECT_EQ(section->RunAt(3).Link.Url, "");
    EXPECT_EQ(section->RunAt(8).Link.Url, "page.htm");
    EXPECT_EQ(section->RunAt(14).Link.Url, "page.htm");
    EXPECT_TRUE(section->RunAt(14).Font().Style().Has(TFontStyle::Bold));
    EXPECT_EQ(section->RunAt(section->Length - 1).Link.Url, "");
    EXPECT_EQ(section->RunAt(section->Length - 1).VPos, TVerticalPosition::Superscript);
    EXPECT_EQ(section->RunAt(section->Length - 1).Font().HtmlSize(), 9);
    EXPECT_EQ(section->RunEnd(0), 6);
}

TEST(SectionLayout, AWordWiderThanTheLineStaysWholeWithItsSpaces)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("Supercalifragilisticexpialidocious  next");
    doc.Layout(60);
    ASSERT_EQ(section.Lines.size(), 2u);
    EXPECT_EQ(section.Lines[0].Count, 36);
    EXPECT_EQ(section.Lines[1].Start, 36);
    EXPECT_EQ(section.Lines[1].Count, 4);
}

TEST(SectionLayout, LinesBreakAtSpacesAndFillTheWidth)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText(Words(60));
    doc.Layout(300);
    ASSERT_GT(section.Lines.size(), 3u);
    int start = 0;
    for (const LineRec& line : section.Lines) {
        EXPECT_EQ(line.Start, start);
        const std::string text = section.Text().substr(line.Start, line.Count);
        EXPECT_EQ(text.back(), ' ');
        EXPECT_LE(TTextDocument::WidthOf(section, text.substr(0, text.size() - 1)), 300);
        start += line.Count;
    }
    EXPECT_EQ(start, section.Length);
    // Each line is full: the next word would not have fitted.
    const LineRec& first = section.Lines[0];
    const std::string next = section.Text().substr(first.Start, section.Lines[1].Start + 6 - first.Start);
    EXPECT_GT(TTextDocument::WidthOf(section, next), 300);
    EXPECT_EQ(section.SectionHeight, static_cast<int>(section.Lines.size()) * section.Fonts()[0].LineHeight());
}

TEST(SectionLayout, LinesBreakRightBeforeAnImageOrAControl)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("aaaa bbbb");
    section.AddImage(BoxAttributes(50, 30), &doc.Document);
    section.AddText("cccc dddd");
    TBoxControl control(60, 20);
    section.AddFormControl(control);
    section.AddText("eeee");

    doc.Layout(TTextDocument::WidthOf(section, "aaaa bbbb") + 20);
    ASSERT_EQ(section.Lines.size(), 4u);
    EXPECT_EQ(section.Lines[0].Count, 9);  // "aaaa bbbb", then the image
    EXPECT_EQ(section.Text()[section.Lines[1].Start], kImage);
    // The image line: the box stands on the baseline and raises the line.
    EXPECT_EQ(section.Lines[1].SpaceBefore, 30 + section.Lines[1].Descent - section.Lines[1].TextHeight);
    // "dddd" and the control do not fit together: the line breaks before it.
    const LineRec& controlLine = section.Lines[3];
    EXPECT_EQ(section.Text().substr(section.Lines[2].Start, section.Lines[2].Count), "dddd");
    EXPECT_EQ(section.Text().substr(controlLine.Start, controlLine.Count), "\x02" "eeee");
    EXPECT_EQ(control.LineY, controlLine.Top);
    EXPECT_EQ(controlLine.SpaceBefore, std::max(0, 20 - controlLine.TextHeight));
}

TEST(SectionLayout, AlignmentPlacesLinesFromTheirMeasuredWidth)
{
    TTextDocument doc;
    auto& left = doc.Add(doc.MakeSection(TParaAlign::Left));
    auto& centre = doc.Add(doc.MakeSection(TParaAlign::Centre));
    auto& right = doc.Add(doc.MakeSection(TParaAlign::Right));
    for (TSection* section : {&left, &centre, &right})
        section->AddText("Short line   ");
    doc.Layout(400);
    const int width = TTextDocument::WidthOf(left, "Short line");
    EXPECT_EQ(left.Lines[0].IndentX, 0);
    EXPECT_EQ(centre.Lines[0].IndentX, (400 - width) / 2);
    EXPECT_EQ(right.Lines[0].IndentX, 400 - width - 1);
}

TEST(SectionLayout, ALeadingFloatIsRegisteredAtOnceAndTextFlowsBesideIt)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    TImageObj& image = section.AddImage(BoxAttributes(50, 60, "left"), &doc.Document);
    section.AddText(Words(80));
    doc.Layout(300);

    const int floatEdge = 50 + TImageObj::kDefaultHSpace;
    const TCellIndents& indent = doc.Document.Indent;
    ASSERT_EQ(indent.LeftRecords().size(), 1u);
    EXPECT_EQ(indent.LeftRecords()[0].X, floatEdge);
    EXPECT_EQ(indent.LeftRecords()[0].TopY, 0);
    EXPECT_EQ(indent.LeftRecords()[0].BottomY, 60);
    EXPECT_EQ(image.FloatX, 0);
    EXPECT_EQ(section.Lines[0].DrawHeight, 60);
    for (const LineRec& line : section.Lines) {
        EXPECT_EQ(line.IndentX, line.Top < 60 ? floatEdge : 0) << "line at " << line.Top;
        const std::string text = section.Text().substr(line.Start, line.Count);
        const std::string words = text.substr(text[0] == kImage ? 1 : 0);
        EXPECT_LE(TTextDocument::WidthOf(section, words.substr(0, words.find_last_not_of(' ') + 1)),
                  300 - line.IndentX);
    }
}

TEST(SectionLayout, AFloatAfterTextHangsBelowItsLine)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("Some text ");
    TImageObj& image = section.AddImage(BoxAttributes(40, 50, "right"), &doc.Document);
    section.AddText("more text");
    doc.Layout(400);

    const int lineHeight = section.Lines[0].FullHeight();
    ASSERT_EQ(doc.Document.Indent.RightRecords().size(), 1u);
    const IndentRec& record = doc.Document.Indent.RightRecords()[0];
    EXPECT_EQ(record.TopY, lineHeight);
    EXPECT_EQ(record.BottomY, lineHeight + 50);
    EXPECT_EQ(record.X, -(40 + TImageObj::kDefaultHSpace));
    EXPECT_EQ(image.FloatX, 400 - 40);
    EXPECT_EQ(section.Lines[0].DrawHeight, lineHeight + 50);
    EXPECT_EQ(section.DrawHeight, lineHeight + 50);
    EXPECT_EQ(section.SectionHeight, lineHeight);
}

TEST(SectionLayout, ClearSpaceReachesBelowTheFloat)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.SetClearMode(Attributes({{TSymbol::Clear, 0, "all"}}));
    IndentManager indent;
    indent.Reset(600);
    indent.RegisterFloat(TFloatSide::Left, 0, 100, 50);
    int position = 0;
    int maxWidth = 0;
    EXPECT_EQ(section.Layout(doc.Measure, 40, position, maxWidth, indent), 60);
    EXPECT_EQ(section.DrawHeight, 60);

    // With text, the clearance comes before the first line.
    section.AddText("below");
    EXPECT_EQ(section.Layout(doc.Measure, 40, position, maxWidth, indent), 60 + section.Fonts()[0].LineHeight());
    EXPECT_EQ(section.Lines[1].Top, 60);
    EXPECT_EQ(section.Lines[1].IndentX, 0);
}

TEST(SectionLayout, PreformattedTextKeepsSpacesAndBreaksNowhere)
{
    TTextDocument doc;
    auto filled = doc.Make<TPreFormated>(0, TParaAlign::Left, nullptr, TTextDocument::BodyFont(), doc.Style);
    filled->AddText("  two  spaces  ");
    filled->AddText(" and a long line that would wrap anywhere else");
    auto& pre = doc.Add(std::move(filled));
    doc.Layout(100);
    EXPECT_EQ(pre.Text(), "  two  spaces   and a long line that would wrap anywhere else");
    EXPECT_EQ(pre.Lines.size(), 1u);
    int minimum = 0;
    int maximum = 0;
    pre.WidthRange(doc.Measure, minimum, maximum);
    EXPECT_EQ(maximum, pre.TextWidth(0, pre.Length));
    // A line that cannot break needs all of its width, up to the 2000
    // pixels the viewer scrolls to.
    EXPECT_EQ(minimum, maximum);
    auto& endless = doc.Add(doc.Make<TPreFormated>(0, TParaAlign::Left, nullptr, TTextDocument::BodyFont(), doc.Style));
    endless.AddText(std::string(400, 'w'));
    endless.WidthRange(doc.Measure, minimum, maximum);
    EXPECT_GT(maximum, 2000);
    EXPECT_EQ(minimum, 2000);

    auto& empty = doc.Add(doc.Make<TPreFormated>(0, TParaAlign::Left, nullptr, TTextDocument::BodyFont(), doc.Style));
    EXPECT_EQ(empty.Text(), " ");
}

TEST(SectionLayout, WidthRangeIsTheWidestWordAndTheWholeText)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection(TParaAlign::Left, 1));
    section.AddText("a widest b");
    int minimum = 0;
    int maximum = 0;
    section.WidthRange(doc.Measure, minimum, maximum);
    EXPECT_EQ(minimum, TTextDocument::WidthOf(section, "widest") + 35);
    EXPECT_EQ(maximum, TTextDocument::WidthOf(section, "a widest b") + 35);
}

TEST(SectionLayout, ASectionOfMoreThan20000CharactersKeepsAllItsText)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    const std::string chunk = Words(100);
    while (section.Length < 30000)
        section.AddText(chunk);
    section.AddText("theveryend");
    const int length = section.Length;
    EXPECT_GT(length, 30000);
    doc.Layout(500);
    EXPECT_EQ(section.Lines.back().Start + section.Lines.back().Count, length);
    EXPECT_EQ(section.Search(0, "THEVERYEND", false), length - 10);
    char character = 0;
    TSectionBase* item = nullptr;
    ASSERT_TRUE(section.CharAt(length - 1, character, item));
    EXPECT_EQ(character, 'd');
}

TEST(SectionPositions, PositionAtLeftOfALineGivesItsFirstCharacter)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText(Words(40));
    doc.Layout(300);
    const LineRec& second = section.Lines[1];

    bool inside = true;
    int lineHeight = 0;
    int lineTop = 0;
    int cursorX = 0;
    TCell* cell = nullptr;
    const int y = second.Top + 2;
    EXPECT_EQ(section.PositionAt(doc.Measure, 20, 5, y, inside, lineHeight, lineTop, cursorX, cell), second.Start);
    EXPECT_FALSE(inside);
    EXPECT_EQ(lineTop, second.Top);
    EXPECT_EQ(lineHeight, second.TextHeight);

    // Inside the text, the cursor goes to the nearer side of the character.
    const int firstWordWidth = section.TextWidth(second.Start, 1);
    EXPECT_EQ(section.PositionAt(doc.Measure, 20, 20 + firstWordWidth - 1, y, inside, lineHeight, lineTop, cursorX, cell),
              second.Start + 1);
    EXPECT_TRUE(inside);
    EXPECT_EQ(cursorX, 20 + firstWordWidth);
    EXPECT_EQ(section.PositionAt(doc.Measure, 20, 20, 99999, inside, lineHeight, lineTop, cursorX, cell), -1);

    // Back from the position to the point.
    int pointY = 0;
    int pointX = 0;
    ASSERT_TRUE(section.PositionToPoint(doc.Measure, 20, second.Start + 1, pointY, pointX));
    EXPECT_EQ(pointY, second.Top);
    EXPECT_EQ(pointX, 20 + firstWordWidth);
    EXPECT_FALSE(section.PositionToPoint(doc.Measure, 20, section.Length + 1, pointY, pointX));
}

TEST(SectionSearch, CaseInsensitiveSearchFoldsAccentedLetters)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("Un \xE9t\xE9 chaud, un \xC9T\xC9 froid");
    doc.Layout(400);
    EXPECT_EQ(section.Search(0, "\xC9T\xC9", false), 3);
    EXPECT_EQ(section.Search(4, "\xC9T\xC9", false), 17);
    EXPECT_EQ(section.Search(0, "\xC9T\xC9", true), 17);
    EXPECT_EQ(section.Search(0, "\xE9t\xE9 froid", true), -1);
    EXPECT_EQ(section.Search(0, "absent", false), -1);
    EXPECT_EQ(section.Search(section.Length, "Un", false), -1);
}

TEST(SectionSearch, EveryLetterMatchesItsUnicodeLowerCase)
{
    TTextDocument doc;
    for (int byte = 0x20; byte < 256; ++byte) {
        const QString lower = QString(QChar(Cp1252ToUnicode(static_cast<unsigned char>(byte)))).toLower();
        const std::string folded = QStringToCp1252(lower);
        if (folded.size() != 1 || (folded == "?" && byte != '?'))
            continue;
        // Preformatted text keeps a lone space.
        auto section = doc.Make<TPreFormated>(0, TParaAlign::Left, nullptr, TTextDocument::BodyFont(), doc.Style);
        section->AddText(folded);
        EXPECT_EQ(section->Search(0, std::string(1, static_cast<char>(byte)), false), 0) << "byte " << byte;
    }
}

TEST(SectionCopy, CopyIndentsLinesAndEndsThemWithCrLf)
{
    TTextDocument doc;
    auto& item = doc.Add(doc.MakeSection(TParaAlign::Left, 2));
    item.AddText(Words(12));
    doc.Layout(200);
    ASSERT_GE(item.Lines.size(), 2u);
    EXPECT_EQ(item.Lines[0].IndentX, 70);

    std::vector<char> buffer(4096);
    SelTextBuf sink(buffer.data(), static_cast<int>(buffer.size()));
    doc.Document.SelectionBegin = 0;
    doc.Document.SelectionEnd = item.Length;
    doc.Document.CopySelection(sink);

    std::string expected;
    for (const LineRec& line : item.Lines)
        expected += "      " + item.Text().substr(line.Start, line.Count) + "\r\n";
    EXPECT_EQ(sink.Text(), expected);

    // A selection that starts inside a line takes no indent and ends without
    // a line break when it stops inside a line.
    SelTextBuf part(buffer.data(), static_cast<int>(buffer.size()));
    doc.Document.SelectionBegin = 2;
    doc.Document.SelectionEnd = 5;
    doc.Document.CopySelection(part);
    EXPECT_EQ(part.Text(), "rd0");
}
