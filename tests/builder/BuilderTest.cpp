// The document builder: the body reader, the common tags, the handlers and
// the entry points, checked on the items a small page makes.

#include "tests/builder/BuilderTestSupport.h"

#include "engine/base/LayoutLimits.h"
#include "engine/canvas/Canvas.h"
#include "engine/forms/FormControls.h"
#include "engine/forms/HtmlForm.h"
#include "engine/images/ImageMap.h"

#include <QTemporaryDir>

#include <fstream>

namespace {

const TFontObj& RunAt(const TSection& section, int index)
{
    return section.RunAt(index);
}

bool IsBold(const TSection& section, int index)
{
    return RunAt(section, index).Font().Style().Has(TFontStyle::Bold);
}

int PointsAt(const TSection& section, int index)
{
    return RunAt(section, index).Font().Size();
}

std::string WriteFile(const QTemporaryDir& dir, const std::string& name, const std::string& bytes)
{
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

// ---- The body reader ----

TEST(BuilderBody, PageWithoutHtmlHeadOrBodyTagsReadsLikeOneWithThem)
{
    TBuiltPage bare("<TITLE>T</TITLE>Hello <B>world</B>");
    TBuiltPage full("<HTML><HEAD><TITLE>T</TITLE></HEAD><BODY>Hello <B>world</B></BODY></HTML>");
    EXPECT_EQ(bare.Shape(), "S:Hello world");
    EXPECT_EQ(full.Shape(), bare.Shape());
    EXPECT_EQ(bare.Builder.Title(), "T");
    EXPECT_EQ(full.Builder.Title(), "T");
}

TEST(BuilderBody, FramesetTagsAreSkippedSoNoFramesContentShows)
{
    TBuiltPage page("<FRAMESET COLS=2><FRAME SRC=a.htm><NOFRAMES>shown</NOFRAMES></FRAMESET><BUTTON>x");
    EXPECT_EQ(page.Shape(), "S:shownx");
}

TEST(BuilderBody, TextBeforeBodyIsDiscardedAndBodyAttributesApply)
{
    TBuiltPage page("text<BODY BGCOLOR=white TEXT=red LINK=#00ff00 BACKGROUND=\"bg.gif\">more");
    EXPECT_EQ(page.Shape(), "S:more");
    EXPECT_EQ(page.Document.Background, 0x00FFFFFFu | kPaletteRelative);
    EXPECT_EQ(page.Document.FontColor, 0x000000FFu | kPaletteRelative);
    EXPECT_EQ(page.Document.LinkColor, 0x0000FF00u | kPaletteRelative);
    EXPECT_EQ(page.Document.BackgroundImageName, "bg.gif");
    EXPECT_EQ(RunAt(page.SectionAt(0), 0).Font().Color(), 0x000000FFu | kPaletteRelative);
}

TEST(BuilderBody, BodyAfterContentAndUnparsableColoursAreIgnored)
{
    TBuiltPage page("<HR>a<BODY BGCOLOR=#zz>b");
    EXPECT_EQ(page.Shape(), "S:|R|S:ab");
    EXPECT_EQ(page.Document.Background, kSystemColorFlag | 0x0F);
}

TEST(BuilderBody, TextAfterTheBodyEndAndBeforeASecondBodyStays)
{
    TBuiltPage ended("<BODY><P>x</BODY></HTML>trailing text");
    EXPECT_EQ(ended.Shape(), "S:|P|S:xtrailing text");

    // Only the first BODY counts: its colours stay, the text read after it too.
    TBuiltPage twice("lost<BODY BGCOLOR=white>more<BODY BGCOLOR=red TEXT=blue>rest");
    EXPECT_EQ(twice.Shape(), "S:morerest");
    EXPECT_EQ(twice.Document.Background, 0x00FFFFFFu | kPaletteRelative);
    EXPECT_EQ(twice.Document.FontColor, kSystemColorFlag | 0x12);
}

TEST(BuilderBody, AnchorBeforeBodyMovesToTheSectionBodyStarts)
{
    TBuiltPage page("<A NAME=top>x</A><BODY>y");
    ASSERT_EQ(page.Anchors.Count(), 1);
    EXPECT_EQ(page.Anchors.Find("TOP"), &page.SectionAt(0));
}

TEST(BuilderBody, TitleBaseAndTargetAreKeptForTheViewer)
{
    TBuiltPage page("<TITLE>Ma &eacute;t&eacute;</TITLE><BASE HREF=\"/site/\" TARGET=main>x");
    EXPECT_EQ(page.Builder.Title(), "Ma \xE9t\xE9");
    EXPECT_EQ(page.Builder.Base(), "/site/");
    EXPECT_EQ(page.Builder.BaseTarget(), "main");
    page.Document.Clear();
    page.Builder.ParseHtmlText(page.Parts(), "y");
    EXPECT_EQ(page.Builder.Title(), "");
    EXPECT_EQ(page.Builder.Base(), "");
    EXPECT_EQ(page.Builder.BaseTarget(), "");
}

TEST(BuilderBody, CenterAndDivCloseEachOther)
{
    TBuiltPage page("<CENTER>a</DIV>b<DIV ALIGN=right>c</CENTER>d");
    ASSERT_EQ(page.Shape(), "S:|S:a|S:b|S:c|S:d");
    EXPECT_EQ(page.SectionAt(1).Alignment, TParaAlign::Centre);
    EXPECT_EQ(page.SectionAt(2).Alignment, TParaAlign::Left);
    EXPECT_EQ(page.SectionAt(3).Alignment, TParaAlign::Right);
    EXPECT_EQ(page.SectionAt(4).Alignment, TParaAlign::Left);
}

TEST(BuilderBody, RuleClosesTheSection)
{
    TBuiltPage page("a<HR SIZE=5>b");
    EXPECT_EQ(page.Shape(), "S:a|R|S:b");
}

// ---- Paragraphs, breaks and headings ----

TEST(BuilderBlocks, RunOfParagraphTagsGivesOneSpace)
{
    TBuiltPage page("<P><P> </P> <P ALIGN=center>x<P>y");
    EXPECT_EQ(page.Shape(), "S:|P|S:x|P|S:y");
    EXPECT_EQ(page.SectionAt(1).Alignment, TParaAlign::Centre);
    EXPECT_EQ(page.SectionAt(2).Alignment, TParaAlign::Left);
}

TEST(BuilderBlocks, ParagraphAfterOnlyNonContentTagsAddsNoSecondSpace)
{
    TBuiltPage page("a<P><B><P>b");
    EXPECT_EQ(page.Shape(), "S:a|P|S:|S:b");
}

TEST(BuilderBlocks, BreakKeepsAlignmentGivesEmptyLinesASpaceAndTakesClear)
{
    TBuiltPage page("<P ALIGN=right>a<BR><BR CLEAR=left>b<BR CLEAR=all>c");
    ASSERT_EQ(page.Shape(), "S:|P|S:a|S: |S:b|S:c");
    EXPECT_EQ(page.SectionAt(2).Alignment, TParaAlign::Right);
    EXPECT_EQ(page.SectionAt(2).ClearMode, TClearMode::None);
    EXPECT_EQ(page.SectionAt(3).Alignment, TParaAlign::Right);
    EXPECT_EQ(page.SectionAt(3).ClearMode, TClearMode::Left);
    EXPECT_EQ(page.SectionAt(4).ClearMode, TClearMode::Both);
}

TEST(BuilderBlocks, HeadingsTakeSizeBoldAndSpacesOfTheirLevels)
{
    TBuiltPage page("<H2 ALIGN=center>Title</H3>after<H>plain</H>");
    ASSERT_EQ(page.Shape(), "S:|H2|S:Title|H3|S:after|H0|S:plain|H0");
    const TSection& title = page.SectionAt(1);
    EXPECT_EQ(title.Alignment, TParaAlign::Centre);
    EXPECT_EQ(RunAt(title, 0).Font().HtmlSize(), 18);
    EXPECT_TRUE(IsBold(title, 0));
    EXPECT_EQ(PointsAt(page.SectionAt(2), 0), 12);
    EXPECT_FALSE(IsBold(page.SectionAt(3), 0));
    EXPECT_EQ(RunAt(page.SectionAt(3), 0).Font().HtmlSize(), 12);
}

TEST(BuilderBlocks, StrayEndTagsPopEnclosingFontsButNeverTheBaseFont)
{
    TBuiltPage page("<H1>a</FONT>b</H1>c</FONT></TT>d");
    ASSERT_EQ(page.Shape(), "S:|H1|S:abcd");
    const TSection& section = page.SectionAt(1);
    EXPECT_EQ(PointsAt(section, 0), 24);
    EXPECT_EQ(PointsAt(section, 1), 12);
    EXPECT_EQ(PointsAt(section, 3), 12);
    EXPECT_FALSE(IsBold(section, 1));
}

TEST(BuilderBlocks, AddressIsItalicInItsOwnSection)
{
    TBuiltPage page("a<ADDRESS>me</ADDRESS>b");
    ASSERT_EQ(page.Shape(), "S:a|S:me|S:b");
    EXPECT_TRUE(RunAt(page.SectionAt(1), 0).Font().Style().Has(TFontStyle::Italic));
    EXPECT_FALSE(RunAt(page.SectionAt(2), 0).Font().Style().Has(TFontStyle::Italic));
}

// ---- Styles and fonts ----

TEST(BuilderFonts, StyleFlagsAreFlagsNotAStack)
{
    TBuiltPage page("<B>a<B>b</B>c<I>d</EM>e<U>f</U><S>g</STRIKE>h");
    const TSection& section = page.SectionAt(0);
    ASSERT_EQ(section.Text(), "abcdefgh");
    EXPECT_TRUE(IsBold(section, 0));
    EXPECT_TRUE(IsBold(section, 1));
    EXPECT_FALSE(IsBold(section, 2));
    EXPECT_TRUE(RunAt(section, 3).Font().Style().Has(TFontStyle::Italic));
    EXPECT_FALSE(RunAt(section, 4).Font().Style().Has(TFontStyle::Italic));
    EXPECT_TRUE(RunAt(section, 5).Font().Style().Has(TFontStyle::Underline));
    EXPECT_TRUE(RunAt(section, 6).Font().Style().Has(TFontStyle::StrikeOut));
    EXPECT_TRUE(RunAt(section, 7).Font().Style().IsEmpty());
}

TEST(BuilderFonts, FontSizesStepsColoursAndFaces)
{
    TBuiltPage page("<FONT SIZE=+2>a</FONT><FONT SIZE=9>b</FONT><FONT SIZE=-5>c</FONT>"
                    "<FONT COLOR=red FACE=\" Arial , Helvetica\">d</FONT><FONT BOGUS=1>e</FONT>f");
    const TSection& section = page.SectionAt(0);
    ASSERT_EQ(section.Text(), "abcdef");
    EXPECT_EQ(RunAt(section, 0).Font().HtmlSize(), 18);
    EXPECT_EQ(RunAt(section, 1).Font().HtmlSize(), 36);
    EXPECT_EQ(RunAt(section, 2).Font().HtmlSize(), 8);
    EXPECT_EQ(RunAt(section, 3).Font().Name(), "Arial");
    EXPECT_EQ(RunAt(section, 3).Font().Color(), 0x000000FFu | kPaletteRelative);
    // A FONT without usable attributes still pushes, so its end tag balances.
    EXPECT_EQ(RunAt(section, 5).Font().Name(), "Times New Roman");
    EXPECT_EQ(RunAt(section, 5).Font().HtmlSize(), 12);
}

TEST(BuilderFonts, BaseFontSetsTheStepThatRelativeSizesAddTo)
{
    // Before any item BASEFONT also sets the font; after, only the step.
    TBuiltPage page("<BASEFONT SIZE=5>a<FONT SIZE=+1>b</FONT>c<HR><BASEFONT SIZE=2>d<FONT SIZE=+1>e");
    ASSERT_EQ(page.Shape(), "S:abc|R|S:de");
    const TSection& first = page.SectionAt(0);
    EXPECT_EQ(RunAt(first, 0).Font().HtmlSize(), 18);
    EXPECT_EQ(RunAt(first, 1).Font().HtmlSize(), 24);
    EXPECT_EQ(RunAt(first, 2).Font().HtmlSize(), 18);
    const TSection& second = page.SectionAt(1);
    EXPECT_EQ(RunAt(second, 0).Font().HtmlSize(), 18);
    EXPECT_EQ(RunAt(second, 1).Font().HtmlSize(), 12);
}

TEST(BuilderFonts, BigAndSmallStepAlongTheScale)
{
    TBuiltPage page("<BIG>a<BIG>b</BIG></BIG><SMALL>c<SMALL>d<SMALL>e</SMALL></SMALL></SMALL>f"
                    "<FONT SIZE=7><BIG>g</BIG>h</FONT>i");
    const TSection& section = page.SectionAt(0);
    ASSERT_EQ(section.Text(), "abcdefghi");
    EXPECT_EQ(RunAt(section, 0).Font().HtmlSize(), 14);
    EXPECT_EQ(RunAt(section, 1).Font().HtmlSize(), 18);
    EXPECT_EQ(RunAt(section, 2).Font().HtmlSize(), 10);
    EXPECT_EQ(RunAt(section, 3).Font().HtmlSize(), 8);
    // SMALL at step 1 pushes nothing, so the three end tags take off two
    // fonts and then find only the base font.
    EXPECT_EQ(RunAt(section, 4).Font().HtmlSize(), 8);
    EXPECT_EQ(RunAt(section, 5).Font().HtmlSize(), 12);
    // BIG at step 7 keeps the size and its end tag takes off only its own font.
    EXPECT_EQ(RunAt(section, 6).Font().HtmlSize(), 36);
    EXPECT_EQ(RunAt(section, 7).Font().HtmlSize(), 36);
    EXPECT_EQ(RunAt(section, 8).Font().HtmlSize(), 12);
}

TEST(BuilderFonts, SmallOffTheScaleDoesNothingButItsEndTagPops)
{
    TBuiltPage page("<H3><SMALL>a</SMALL>b</H3>c");
    ASSERT_EQ(page.Shape(), "S:|H3|S:abc");
    const TSection& section = page.SectionAt(1);
    EXPECT_EQ(RunAt(section, 0).Font().HtmlSize(), 15);
    EXPECT_EQ(RunAt(section, 1).Font().HtmlSize(), 12);
}

TEST(BuilderFonts, TeletypeSubAndSuperscript)
{
    TBuiltPage page("a<TT>b</TT>c<SUB>d</SUB>e<SUP>f</SUP>");
    const TSection& section = page.SectionAt(0);
    ASSERT_EQ(section.Text(), "abcdef");
    EXPECT_EQ(RunAt(section, 1).Font().Name(), "Courier New");
    EXPECT_TRUE(RunAt(section, 1).Font().FixedPitch());
    EXPECT_EQ(RunAt(section, 1).Font().HtmlSize(), 10);
    EXPECT_EQ(RunAt(section, 2).Font().Name(), "Times New Roman");
    EXPECT_EQ(RunAt(section, 3).VPos, TVerticalPosition::Subscript);
    EXPECT_EQ(RunAt(section, 3).Font().HtmlSize(), 9);
    EXPECT_EQ(RunAt(section, 4).VPos, TVerticalPosition::Normal);
    EXPECT_EQ(RunAt(section, 5).VPos, TVerticalPosition::Superscript);
}

TEST(BuilderFonts, FullFontStackRefusesPushesAndIgnoresHeadings)
{
    std::string html;
    for (int i = 0; i < 30; ++i)
        html += "<TT>";
    html += "<H1>a</H1>b";
    TBuiltPage page(html);
    // The heading cannot push and is ignored; its end tag still pops a font.
    EXPECT_EQ(page.Shape(), "S:a|H1|S:b");
    EXPECT_EQ(RunAt(page.SectionAt(0), 0).Font().HtmlSize(), 10);
}

// ---- Links, anchors, lone tags ----

TEST(BuilderLinks, AnchorWithNameAndHrefRegistersAndLinks)
{
    TBuiltPage page("x <A NAME=\"Part2\" HREF=\"b.htm\" TARGET=main>link</A> y");
    const TSection& section = page.SectionAt(0);
    ASSERT_EQ(section.Text(), "x link y");
    EXPECT_EQ(page.Anchors.Find("PART2"), &section);
    const TFontObj& link = RunAt(section, 2);
    EXPECT_EQ(link.Link.Url, "b.htm");
    EXPECT_EQ(link.Link.Target, "main");
    EXPECT_TRUE(link.Font().Style().Has(TFontStyle::Underline));
    EXPECT_EQ(link.Font().Color(), page.Document.LinkColor);
    EXPECT_TRUE(RunAt(section, 7).Link.Url.empty());
    EXPECT_FALSE(RunAt(section, 7).Font().Style().Has(TFontStyle::Underline));
}

TEST(BuilderLinks, NewSectionsCarryTheOpenLinkAndTheFirstNameWins)
{
    TBuiltPage page("<A HREF=a.htm>one<P>two</A><A NAME=n>3</A><HR><A NAME=N>4</A>");
    ASSERT_EQ(page.Shape(), "S:one|P|S:two3|R|S:4");
    EXPECT_EQ(page.SectionAt(1).Fonts()[0].Link.Url, "a.htm");
    ASSERT_EQ(page.Anchors.Count(), 1);
    EXPECT_EQ(page.Anchors.Find("N"), &page.SectionAt(1));
}

TEST(BuilderLinks, ListItemTagOutsideListsJoinsTheSection)
{
    TBuiltPage page("a<LI>b<DT>c");
    EXPECT_EQ(page.Shape(), "S:abc");
}

// ---- Character names and numbers ----

// What documentation pages written elsewhere use: HTML 4 names and numbers
// above 255 become Windows-1252 bytes, or wide characters where the code page
// has none, in text and in attribute values; &#13; is white space in text and
// a line end in PRE.
TEST(BuilderText, Html4NamesNumbersAndLineEndReferences)
{
    TBuiltPage page("<P>the &lsquo;Bourne-Again SHell&rsquo;, a&ndash;b, wait&hellip; &#8212; &#x2014; &#9731;"
                    "&#13;\n&#13; end <IMG SRC=\"caf&eacute;&rsquo;s.gif\" ALT=\"&OElig;&#13;&#8364;&hearts;\">"
                    "<PRE>one&#13;two&#10;&#13;&amp;</PRE>");
    EXPECT_EQ(page.Shape(), "S:|P|S:the \x91" "Bourne-Again SHell\x92, a\x96" "b, wait\x85 \x97 \x97 \x01 end "
                            + std::string(1, TSection::kImageMark) + "|F:one|F:two|F: |F:&");
    const TSection& section = page.SectionAt(1);
    EXPECT_EQ(section.CharacterAt(static_cast<int>(section.Text().find("\x01"))), U'\u2603');
    ASSERT_EQ(section.Images().Count(), 1);
    EXPECT_EQ(section.Images()[0].AltText, "\x8C\x80\x01\x80\xCC\xE5");
    EXPECT_EQ(section.Images()[0].Source, "caf\xE9\x92s.gif");
}

// ---- Images, forms, maps ----

TEST(BuilderSharing, CellsSayingTheSameInAnotherLookKeepTheirLooks)
{
    // One word in four cells: plain, bold, as a link and two sizes larger.
    TBuiltPage page("<TABLE><TR><TD>mot<TD><B>mot</B><TD><A HREF=\"a.htm\">mot</A>"
                    "<TD><FONT SIZE=+2>mot</FONT></TABLE>");
    const ThtmlTable& table = page.TableAt(0);
    const auto cellRun = [&](std::size_t column) -> const TFontObj& {
        const TSection& section = TBuiltPage::SectionAt(table.Rows[0]->Cells[column]->Cell, 0);
        EXPECT_EQ(section.Text(), "mot");
        return RunAt(section, 0);
    };
    const TFontObj& plain = cellRun(0);
    EXPECT_FALSE(plain.Font().Style().Has(TFontStyle::Bold));
    EXPECT_TRUE(cellRun(1).Font().Style().Has(TFontStyle::Bold));
    EXPECT_EQ(cellRun(2).Link.Url, "a.htm");
    EXPECT_GT(cellRun(3).Font().Size(), plain.Font().Size());
}

TEST(BuilderSharing, IdenticalCellsShareOneContentAfterPainting)
{
    std::string html = "<TABLE BORDER>";
    for (int row = 0; row < 50; ++row)
        html += "<TR><TD>42<TD>42<TD>42";
    TBuiltPage page(html + "</TABLE>");
    TCanvas measure;
    int position = 0;
    int maxWidth = 0;
    const int height = page.Document.Layout(measure, 0, 400, position, maxWidth);
    QImage image(420, height, QImage::Format_RGB32);
    {
        TCanvas canvas(&image);
        page.Document.Paint(canvas, {0, 0, 420, height}, 0, 10, 400);
    }
    // Every cell holds the first cell's content.
    const ThtmlTable& table = page.TableAt(0);
    const TSection& first = TBuiltPage::SectionAt(table.Rows[0]->Cells[0]->Cell, 0);
    for (const auto& row : table.Rows)
        for (const auto& cell : row->Cells)
            EXPECT_TRUE(TBuiltPage::SectionAt(cell->Cell, 0).SharesContentWith(first));
}

TEST(BuilderInline, ImagesStandInTheTextAsMarks)
{
    TBuiltPage page("a<IMG SRC=\"pic.gif\" WIDTH=10 HEIGHT=12 ALT=\"P\">b");
    const TSection& section = page.SectionAt(0);
    ASSERT_EQ(section.Text(), std::string("a") + TSection::kImageMark + "b");
    ASSERT_EQ(section.Images().Count(), 1);
    EXPECT_EQ(section.Images()[0].AltText, "P");
}

TEST(BuilderInline, FormControlsJoinTheCurrentForm)
{
    TBuiltPage page("<FORM ACTION=\"go\" METHOD=post><INPUT NAME=a VALUE=1>"
                    "<SELECT NAME=s><OPTION VALUE=v1>One<OPTION SELECTED> Two <B>bold</B><OPTION></SELECT>"
                    "<TEXTAREA NAME=t>line1\nline2</TEXTAREA>after</FORM><INPUT TYPE=hidden NAME=h>");
    ASSERT_EQ(page.Forms.size(), 2u);
    const ThtmlForm& form = *page.Forms[0];
    EXPECT_EQ(form.Action, "go");
    ASSERT_EQ(form.Controls().size(), 3u);
    const auto* list = dynamic_cast<const TListBoxFormControlObj*>(form.Controls()[1].get());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Options().size(), 2u);
    EXPECT_EQ(list->Options()[0].Object.Value, "v1");
    EXPECT_EQ(list->Options()[1].Text, "Two bold");
    EXPECT_TRUE(list->Options()[1].Object.Selected);
    const auto* area = dynamic_cast<const TTextAreaFormControlObj*>(form.Controls()[2].get());
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->InitialLines, (std::vector<std::string>{"line1", "line2"}));
    const TSection& section = page.SectionAt(0);
    EXPECT_EQ(section.Text(), std::string(3, TSection::kControlMark) + "after");
    EXPECT_EQ(page.Forms[1]->Controls().size(), 1u);
}

TEST(BuilderInline, MapsAreKeptOnlyWhenClosed)
{
    TBuiltPage closed("<MAP NAME=\"nav\"><AREA SHAPE=rect COORDS=\"0,0,5,5\" HREF=a.htm>text<P>"
                      "<AREA SHAPE=rect COORDS=\"5,5,9,9\" HREF=b.htm></MAP>after");
    ASSERT_EQ(closed.Document.MapList.size(), 1u);
    EXPECT_EQ(closed.Document.MapList[0]->MapName, "NAV");
    EXPECT_EQ(closed.Document.MapList[0]->Areas.size(), 2u);
    EXPECT_EQ(closed.Shape(), "S:after");
    TBuiltPage open("<MAP NAME=x><AREA SHAPE=rect COORDS=\"0,0,5,5\" HREF=a.htm>");
    EXPECT_TRUE(open.Document.MapList.empty());
}

// ---- Handlers ----

TEST(BuilderHandlers, MetaSoundAndIncludeReachTheirHandlers)
{
    std::vector<std::string> calls;
    THtmlHandlers handlers;
    handlers.OnMeta = [&](THtmlPane*, const std::string& httpEq, const std::string& name,
                          const std::string& content) { calls.push_back("meta " + httpEq + "/" + name + "/" + content); };
    handlers.OnSound = [&](THtmlPane*, const std::string& src, int loop, bool terminate) {
        calls.push_back("sound " + src + " " + std::to_string(loop) + (terminate ? " stop" : ""));
    };
    handlers.OnInclude = [&](const std::string& command, std::vector<std::string> params, const std::string&) {
        calls.push_back("include " + command + " " + (params.empty() ? "" : params[0]));
        return std::string("<B>inc</B>");
    };
    TBuiltPage page("<META HTTP-EQUIV=refresh CONTENT=\"5; URL=x.htm\"><META NAME=a>"
                    "<BGSOUND SRC=s.wav><BGSOUND SRC=t.mid LOOP=3><BGSOUND>"
                    "[<!--#INCLUDE FILE=\"f.htm\" -->]",
                    handlers);
    EXPECT_EQ(calls, (std::vector<std::string>{"meta refresh//5; URL=x.htm", "meta /a/", "sound s.wav 1",
                                               "sound t.mid 3", "include INCLUDE FILE=\"f.htm\""}));
    EXPECT_EQ(page.SectionAt(0).Text(), "[inc]");
    EXPECT_TRUE(IsBold(page.SectionAt(0), 1));
}

TEST(BuilderHandlers, ScriptGoesToTheHandlerOrIsSkipped)
{
    const std::string html = "a<SCRIPT LANGUAGE=\"JavaScript\">if (a<b) x();\n<!-- y -->\n</SCRIPT>b";
    TBuiltPage skipped(html);
    EXPECT_EQ(skipped.Shape(), "S:ab");

    TBuiltPage page;
    std::vector<std::pair<std::string, std::string>> scripts;
    page.Document.OnScript = [&](const std::string& language, const std::string& script) {
        scripts.emplace_back(language, script);
    };
    page.Builder.ParseHtmlText(page.Parts(), html);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].first, "JavaScript");
    EXPECT_EQ(scripts[0].second, "if (a<b) x();\r\n<!-- y -->\r\n");
    EXPECT_EQ(page.Shape(), "S:ab");

    // A body hidden in a comment that opens right after the tag arrives
    // whole, as it does after a line break; without a handler it is skipped.
    const std::string hidden = "<SCRIPT LANGUAGE=\"JavaScript\"><!-- \nif (a<b) go();\n// --></SCRIPT>c";
    page.Document.Clear();
    page.Builder.ParseHtmlText(page.Parts(), hidden);
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_EQ(scripts[1].second, "<!-- \r\nif (a<b) go();\r\n// -->");
    EXPECT_EQ(page.Shape(), "S:c");
    EXPECT_EQ(TBuiltPage(hidden).Shape(), "S:c");
}

TEST(BuilderHandlers, ScriptHandlerErrorPassesOnAndTheNextParseIsClean)
{
    TBuiltPage page;
    page.Document.OnScript = [](const std::string&, const std::string&) { throw std::runtime_error("boom"); };
    EXPECT_THROW(page.Builder.ParseHtmlText(page.Parts(), "a<SCRIPT>x</SCRIPT>b"),
                 std::runtime_error);
    EXPECT_EQ(page.Shape(), "S:a");
    page.Document.Clear();
    page.Document.OnScript = nullptr;
    page.Builder.ParseHtmlText(page.Parts(), "<!-- c --><B>d</B>");
    EXPECT_EQ(page.Shape(), "S:d");
}

TEST(BuilderHandlers, HandlerCannotStartASecondParseOnTheSameBuilder)
{
    TBuiltPage page;
    page.Document.OnScript = [&](const std::string&, const std::string&) {
        TFormList forms;
        TSectionList other(nullptr, page.Errors);
        TAnchorList anchors;
        page.Builder.ParseHtmlText({other, forms, anchors}, "nested");
    };
    EXPECT_THROW(page.Builder.ParseHtmlText(page.Parts(), "a<SCRIPT>x</SCRIPT>b"), std::logic_error);
    EXPECT_EQ(page.Shape(), "S:a");
}

// ---- Entry points ----

TEST(BuilderEntry, UnclosedCommentEndsFilesQuietlyButNotMemoryText)
{
    QTemporaryDir dir;
    const std::string html = WriteFile(dir, "open.htm", "<B>kept</B><P>too<!-- never closed");
    TBuiltPage file;
    file.Builder.ParseHtmlFile(file.Parts(), html);
    EXPECT_EQ(file.Shape(), "S:kept|P|S:too");

    // Preformatted text and a text box keep what comes before the comment too.
    TBuiltPage pre;
    pre.Builder.ParseHtmlFile(pre.Parts(),
                              WriteFile(dir, "pre.htm", "<PRE>first line\nsecond part <!-- unclosed\nmore</PRE>"));
    EXPECT_EQ(pre.Shape(), "S:|F:first line|F:second part ");
    TBuiltPage box;
    std::vector<std::string> submitted;
    box.Document.SubmitHandler = [&](const std::string&, const std::string&, const std::string&, const std::string&,
                                     std::vector<std::string> results) { submitted = std::move(results); };
    box.Builder.ParseHtmlFile(box.Parts(),
                              WriteFile(dir, "box.htm", "<FORM><TEXTAREA NAME=t>abc <!-- x"));
    ASSERT_EQ(box.Document.FormControlList.size(), 1u);
    box.Document.FormControlList[0]->Form->Submit();
    EXPECT_EQ(submitted, std::vector<std::string>{"t=abc "});

    TBuiltPage memory;
    EXPECT_THROW(memory.Builder.ParseHtmlText(memory.Parts(), "<B>kept</B><P>too<!-- x"),
                 EParseError);
    EXPECT_EQ(memory.Shape(), "S:kept|P|S:too");

    const std::string text = WriteFile(dir, "open.txt", "line\nlast <!-- never closed");
    TBuiltPage plain;
    plain.Builder.ParseTextFile(plain.Parts(), text);
    EXPECT_EQ(plain.Shape(), "F:line\rlast ");
}

TEST(BuilderEntry, MissingFileIsAClearError)
{
    TBuiltPage page;
    try {
        page.Builder.ParseHtmlFile(page.Parts(), "/no/such/page.htm");
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_STREQ(error.what(), "Fichier introuvable : /no/such/page.htm");
    }
    EXPECT_THROW(page.Builder.ParseTextFile(page.Parts(), "/no/such/file.txt"), EFileError);
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_THROW(page.Builder.ParseHtmlFile(page.Parts(), folder.path().toStdString()), EFileError);
    EXPECT_THROW(page.Builder.ParseTextFile(page.Parts(), folder.path().toStdString()), EFileError);
    EXPECT_TRUE(page.Document.Items.empty());
}

TEST(BuilderEntry, PlainTextFilesAreLinesWithoutComments)
{
    QTemporaryDir dir;
    const std::string text = WriteFile(dir, "notes.txt", "a <B>b</B> &amp;\r\n\r\nx<!-- hidden -->y\n" +
                                                             std::string(450, 'z'));
    TBuiltPage page;
    page.Builder.ParseTextFile(page.Parts(), text);
    // One preformatted item, its lines ended by line ends; the empty line holds a space.
    ASSERT_EQ(page.Shape(), "F:a <B>b</B> &amp;\r \rxy\r" + std::string(450, 'z'));
    const TSection& first = page.SectionAt(0);
    EXPECT_EQ(first.ListLevel, 0);
    EXPECT_EQ(first.Fonts()[0].Font().Name(), "Courier New");
    EXPECT_TRUE(first.Fonts()[0].Font().FixedPitch());
}

// Each file is read in its own encoding: a UTF-8 page with damaged
// sequences, a UTF-8 file included in a Windows-1252 page and the other way
// round, and a UTF-8 plain-text file all reach the document as Windows-1252,
// with their other characters kept as wide characters.
TEST(BuilderEntry, FilesAreReadInTheirOwnEncoding)
{
    QTemporaryDir dir;
    const std::string utf8Page = WriteFile(dir, "utf8.htm",
        "<HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\"></HEAD>"
        "<BODY>Chapter\xC2\xA0" "1. \xE2\x80\x9CH\xC3\xA4ufig\xE2\x80\x9D \xE2\x82[\xC0\xAF]\xE2\x98\x83 end"
        "<!--#include file=\"latin.htm\"--></BODY>");
    const std::string latinPage = WriteFile(dir, "latin.htm", "<P>caf\xE9 <!--#include file=\"utf8.inc\"-->");
    THtmlHandlers handlers;
    handlers.OnInclude = [](const std::string&, std::vector<std::string> params, const std::string&) {
        return params[0] == "FILE=\"latin.htm\"" ? std::string(" caf\xE9") : std::string("cr\xC3\xA8me \xC2\xB6");
    };
    TBuiltPage utf8;
    utf8.Builder.ParseHtmlFile(utf8.Parts(), utf8Page, handlers);
    EXPECT_EQ(utf8.Shape(), "S:Chapter\xA0" "1. \x93H\xE4ufig\x94 ??[??]\x01 end caf\xE9");
    TBuiltPage latin;
    latin.Builder.ParseHtmlFile(latin.Parts(), latinPage, handlers);
    EXPECT_EQ(latin.Shape(), "S:|P|S:caf\xE9 cr\xE8me \xB6");

    const std::string text = WriteFile(dir, "notes.txt", "\xEF\xBB\xBFna\xC3\xAFve\r\n\xE2\x80\x94 fin\n");
    TBuiltPage plain;
    plain.Builder.ParseTextFile(plain.Parts(), text);
    EXPECT_EQ(plain.Shape(), "F:na\xEFve\r\x97 fin\r ");
}

TEST(BuilderEntry, ImagePageQuotesTheNameWithoutCuttingIt)
{
    EXPECT_EQ(THtmlBuilder::ImagePageText("a \"b\".gif"), "<img src=\"a &quot;b&quot;.gif\">");
    const std::string longName(300, 'n');
    TBuiltPage page(THtmlBuilder::ImagePageText("/x/" + longName + ".gif"));
    ASSERT_EQ(page.SectionAt(0).Images().Count(), 1);
    EXPECT_NE(page.SectionAt(0).Images()[0].Source.find(longName + ".gif"), std::string::npos);
}

// ---- Limits ----

namespace {

// Lays the page out 800 pixels wide; returns the height.
int LaidOutHeight(TBuiltPage& page, int& maxWidth)
{
    TCanvas canvas;
    int position = 0;
    return page.Document.Layout(canvas, 5, 800, position, maxWidth);
}

std::string Repeated(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

} // namespace

TEST(BuilderLimits, NumbersFromAttributesAreKeptToTheirRanges)
{
    TBuiltPage page("<A HREF=x><IMG WIDTH=2147483647 HEIGHT=2147483647></A>"
                    "<IMG WIDTH=100000 HEIGHT=99999 HSPACE=-2147483648><IMG WIDTH=100001 HEIGHT=100001 HSPACE=19>"
                    "<TABLE WIDTH=2147483647 CELLPADDING=2147483647 HSPACE=-2147483648>"
                    "<TR><TD WIDTH=2147483647 HEIGHT=100001 ROWSPAN=2147483647>x</TABLE>"
                    "<FORM><INPUT SIZE=2147483647><TEXTAREA COLS=100001 ROWS=99999></TEXTAREA></FORM>");
    int maxWidth = 0;
    LaidOutHeight(page, maxWidth);
    const auto& images = page.SectionAt(0).Images();
    ASSERT_EQ(images.Count(), 3);
    EXPECT_EQ(images[0].TotalWidth, 100002); // a link border on each side
    EXPECT_EQ(images[0].TotalHeight, 100002);
    EXPECT_EQ(images[1].ImageWidth, 100000);
    EXPECT_EQ(images[1].ImageHeight, 99999);
    EXPECT_EQ(images[1].HSpace, TImageObj::kMaxHSpace);
    EXPECT_EQ(images[2].ImageWidth, 100000);
    EXPECT_EQ(images[2].ImageHeight, 100000);
    EXPECT_EQ(images[2].HSpace, 19);

    const ThtmlTable& table = page.TableAt(0);
    EXPECT_EQ(table.TableWidth, 100000);
    EXPECT_EQ(table.CellPadding, ThtmlTable::kMaxPadding);
    EXPECT_EQ(table.HSpace, ThtmlTable::kMaxHSpace);
    const TCellObj& cell = *table.Rows[0]->Cells[0];
    EXPECT_EQ(cell.SpecifiedWidth, 100000);
    EXPECT_EQ(cell.SpecifiedHeight, 100000);
    EXPECT_EQ(cell.RowSpan, 1);

    const auto& controls = page.Document.FormControlList;
    ASSERT_EQ(controls.size(), 2u);
    EXPECT_EQ(dynamic_cast<const TEditFormControlObj&>(*controls[0]).WidthInChars, 100000);
    EXPECT_EQ(dynamic_cast<const TTextAreaFormControlObj&>(*controls[1]).Columns, 100000);
    EXPECT_EQ(dynamic_cast<const TTextAreaFormControlObj&>(*controls[1]).Rows, 99999);
}

TEST(BuilderLimits, LongPagesStopGrowingAtTheLayoutLimit)
{
    // 22 000 pictures 100 000 pixels tall would reach 2.2 billion: the page
    // ends at the limit instead, and twice as many change nothing.
    const std::string tallPicture = "<IMG WIDTH=1 HEIGHT=100000><BR>";
    TBuiltPage tall(Repeated(tallPicture, 22000));
    TBuiltPage taller(Repeated(tallPicture, 44000));
    int maxWidth = 0;
    EXPECT_EQ(LaidOutHeight(tall, maxWidth), kMaxLayoutExtent - 5);
    EXPECT_EQ(LaidOutHeight(taller, maxWidth), kMaxLayoutExtent - 5);
    TBuiltPage rows("<TABLE>" + Repeated("<TR><TD HEIGHT=100000>x", 22000) + "</TABLE>");
    EXPECT_EQ(LaidOutHeight(rows, maxWidth), kMaxLayoutExtent - 5);

    // Each cell asks for at most 100 000 pixels, however wide the table
    // nested in it: three levels of 30 such columns stay 30 cells wide.
    const std::string columns = "<TABLE><TR>" + Repeated("<TD WIDTH=100000>x", 30) + "</TABLE>";
    const std::string twice = "<TABLE><TR>" + Repeated("<TD>" + columns, 30) + "</TABLE>";
    TBuiltPage nested("<TABLE><TR>" + Repeated("<TD>" + twice, 30) + "</TABLE>");
    LaidOutHeight(nested, maxWidth);
    const ThtmlTable& outer = nested.TableAt(0);
    EXPECT_EQ(outer.TableWidth, 30 * (100000 + outer.CellSpacing + 2 * outer.CellPadding) + outer.CellSpacing);
}
