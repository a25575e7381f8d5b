// The block readers of the builder: lists, preformatted text and tables, and
// pages nested far deeper than any reader recurses.

#include "tests/builder/BuilderTestSupport.h"

#include "engine/canvas/Canvas.h"

namespace {

const TFontObj& RunAt(const TSection& section, int index)
{
    return section.RunAt(index);
}

bool IsBold(const TSection& section, int index = 0)
{
    return RunAt(section, index).Font().Style().Has(TFontStyle::Bold);
}

const TCell& CellAt(const ThtmlTable& table, int row, int column)
{
    return table.Rows[static_cast<std::size_t>(row)]->Cells[static_cast<std::size_t>(column)]->Cell;
}

std::string Repeat(std::string_view text, int count)
{
    std::string repeated;
    repeated.reserve(text.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

int DeepestListLevel(const TCell& cell)
{
    int deepest = 0;
    for (const auto& item : cell.Items)
        if (const auto* section = dynamic_cast<const TSection*>(item.get()))
            deepest = std::max(deepest, section->ListLevel);
    return deepest;
}

// Lays the page out at a fixed width; returns the height.
int LayOut(TBuiltPage& page, int width)
{
    TCanvas canvas;
    int position = 0;
    int maxWidth = 0;
    return page.Document.Layout(canvas, 5, width, position, maxWidth);
}

} // namespace

// ---- Lists ----

TEST(BuilderLists, OrderedListTakesStartAndType)
{
    TBuiltPage page("<OL START=5 TYPE=i><LI>x<LI>y</OL><OL><LI>z</OL>");
    ASSERT_EQ(page.Shape(), "S:|O1:x|O1:y|O1:z");
    const auto& first = dynamic_cast<const TOListItem&>(page.SectionAt(1));
    const auto& second = dynamic_cast<const TOListItem&>(page.SectionAt(2));
    const auto& plain = dynamic_cast<const TOListItem&>(page.SectionAt(3));
    EXPECT_EQ(TOListItem::MarkerText(first.ItemNumber, first.NumberType), "v.");
    EXPECT_EQ(TOListItem::MarkerText(second.ItemNumber, second.NumberType), "vi.");
    EXPECT_EQ(TOListItem::MarkerText(plain.ItemNumber, plain.NumberType), "1.");
}

TEST(BuilderLists, AnyListEndTagClosesTheInnermostList)
{
    TBuiltPage page("<UL><LI>a<OL><LI>b</UL><LI>c</OL>d");
    EXPECT_EQ(page.Shape(), "S:|U1:a|O2:b|U1:c|S:d");
    EXPECT_EQ(page.SectionAt(4).ListLevel, 0);
}

TEST(BuilderLists, EmptyListSeparatesSectionsAndItemParagraphIsSwallowed)
{
    TBuiltPage empty("a<UL></UL>b");
    EXPECT_EQ(empty.Shape(), "S:a|S:b");
    TBuiltPage paragraph("<UL><LI> <P>x<P>y</UL>");
    EXPECT_EQ(paragraph.Shape(), "S:|U1:x|P|S:y");
    EXPECT_EQ(paragraph.SectionAt(2).ListLevel, 1);
}

TEST(BuilderLists, DefinitionTermsStandOneLevelLeftOfTheirText)
{
    TBuiltPage page("<DL><DT>term<DD>text<DL><DT>inner</DL></DL>");
    EXPECT_EQ(page.Shape(), "S:|D0:term|D1:text|D1:inner");
}

TEST(BuilderLists, PlainBulletsBlockquotesDirAndMenu)
{
    TBuiltPage page("<UL PLAIN><LI>a<MENU><LI>b</MENU></UL>x<BLOCKQUOTE>q<DIR><LI>d</DIR></BLOCKQUOTE>y");
    ASSERT_EQ(page.Shape(), "S:|U1:a|U2:b|S:x|S:q|U2:d|S:y");
    EXPECT_TRUE(dynamic_cast<const TUListItem&>(page.SectionAt(1)).NoBullet);
    EXPECT_FALSE(dynamic_cast<const TUListItem&>(page.SectionAt(2)).NoBullet);
    EXPECT_EQ(page.SectionAt(4).ListLevel, 1);
}

TEST(BuilderLists, DivisionsInsideListsLeaveTheFollowingItemsItems)
{
    // A division opening an item goes on in the item, beside its marker; the
    // items after it keep their markers and levels.
    TBuiltPage items("<ul><li><div>one</div></li><li>two</li><li>three</li></ul><dl><dt>term</dt><dd>"
                     "<div class=\"x\">def1</div></dd><dt>term2</dt><dd>def2</dd></dl>");
    EXPECT_EQ(items.Shape(), "S:|U1:one|S:|U1:two|U1:three|D0:term|D1:def1|S:|D0:term2|D1:def2");

    // A centred one has a line of its own, at the list's level, and ends at
    // the next item even without its end tag.
    TBuiltPage centred("<ul><center>centred</center><li>one</li><li>two<center>mid<li>three</ul><p>after</p>");
    ASSERT_EQ(centred.Shape(), "S:|S:centred|S:|U1:one|U1:two|S:mid|S:|U1:three|P|S:after|P|S:");
    EXPECT_EQ(centred.SectionAt(1).Alignment, TParaAlign::Centre);
    EXPECT_EQ(centred.SectionAt(1).ListLevel, 1);
    EXPECT_EQ(centred.SectionAt(5).Alignment, TParaAlign::Centre);
    EXPECT_EQ(centred.SectionAt(8).ListLevel, 0);

    // The end tag of a division an item ended is not taken for the end of
    // the division around the list.
    TBuiltPage wrapped("<CENTER><UL><DIV><LI>a</DIV><LI>b</UL>after</CENTER>c");
    ASSERT_EQ(wrapped.Shape(), "S:|S:|S:|S:|U1:a|U1:b|S:after|S:c");
    EXPECT_EQ(wrapped.SectionAt(6).Alignment, TParaAlign::Centre);
    EXPECT_EQ(wrapped.SectionAt(7).Alignment, TParaAlign::Left);
}

TEST(BuilderLists, TableInsideAListItemKeepsTheItemLine)
{
    TBuiltPage page("<UL><LI><TABLE><TR><TD>x</TABLE></UL>");
    EXPECT_EQ(page.Shape(), "S:|U1: |T[S:x]");
}

// ---- Preformatted text ----

TEST(BuilderPre, EveryLineIsAnItemAndTheFirstMayBeEmpty)
{
    TBuiltPage page("<PRE>\r\n  a  b \n</PRE>after");
    ASSERT_EQ(page.Shape(), "S:|F: |F:  a  b |F: |S:after");
    const TSection& line = page.SectionAt(2);
    EXPECT_EQ(line.Fonts()[0].Font().Name(), "Courier New");
    EXPECT_EQ(line.Fonts()[0].Font().HtmlSize(), 10);
    EXPECT_EQ(RunAt(page.SectionAt(4), 0).Font().Name(), "Times New Roman");
}

TEST(BuilderPre, BreakAndParagraphEndLinesAndTakeTheLineEndAfterThem)
{
    TBuiltPage page("<PRE>a<BR>\r\nb<P>\nc</PRE>");
    EXPECT_EQ(page.Shape(), "S:|F:a|F:b|F:c");
}

TEST(BuilderPre, EntitiesStyleTagsAndDroppedTags)
{
    TBuiltPage page("<PRE>a&lt;b < c<U>u</U><H1>h</H1><BIG>g</BIG><FONT SIZE=7>f</FONT>e</PRE>");
    ASSERT_EQ(page.Shape(), "S:|F:a<b < cuhgfe");
    const TSection& line = page.SectionAt(1);
    EXPECT_TRUE(RunAt(line, 7).Font().Style().Has(TFontStyle::Underline));
    EXPECT_FALSE(RunAt(line, 8).Font().Style().Has(TFontStyle::Underline));
    EXPECT_EQ(RunAt(line, 8).Font().HtmlSize(), 10);
    EXPECT_EQ(RunAt(line, 10).Font().HtmlSize(), 30);
    EXPECT_EQ(RunAt(line, 11).Font().HtmlSize(), 10);
}

TEST(BuilderPre, LongLinesArriveWhole)
{
    const std::string longLine = Repeat("0123456789", 45);
    TBuiltPage page("<PRE>" + longLine + "</PRE>");
    EXPECT_EQ(page.Shape(), "S:|F:" + longLine);
}

TEST(BuilderPre, LinksAndImagesInsidePre)
{
    TBuiltPage page("<PRE><A HREF=x.htm NAME=p>l</A>\n<IMG SRC=a.gif WIDTH=4 HEIGHT=4></PRE>");
    ASSERT_EQ(page.Shape(), "S:|F:l|F:" + std::string(1, TSection::kImageMark));
    EXPECT_EQ(page.SectionAt(1).Fonts()[0].Link.Url, "x.htm");
    EXPECT_EQ(page.Anchors.Find("P"), &page.SectionAt(1));
}

TEST(BuilderPre, CellEndTagEndsAnOpenPreAndStillEndsTheCell)
{
    TBuiltPage page("<TABLE><TR><TD><PRE>x</TD><TD>y</TABLE>");
    EXPECT_EQ(page.Shape(), "S:|T[F:x,S:y]");
}

// ---- Tables ----

TEST(BuilderTables, TextBeforeTheFirstCellGoesAboveTheTable)
{
    TBuiltPage page("<TABLE>x<B>y</B><TR><TD>z</TABLE>");
    EXPECT_EQ(page.Shape(), "S:|S:xy|T[S:z]");
}

TEST(BuilderTables, CellWithoutRowStartsOne)
{
    TBuiltPage page("<TABLE><TD>a<TD>b<TR><TD>c</TR>d<TD>e</TABLE>");
    EXPECT_EQ(page.Shape(), "S:|S:d|T[S:a,S:b/S:c/S:e]");
}

TEST(BuilderTables, HeaderCellsAreBoldAndCentredUnlessAlignSays)
{
    TBuiltPage page("<TABLE><TR><TH>h<TD>d<TH ALIGN=left>l</TR><TR ALIGN=right><TD>r<TH>s</TABLE>");
    const ThtmlTable& table = page.TableAt(0);
    const TSection& heading = TBuiltPage::SectionAt(CellAt(table, 0, 0), 0);
    const TSection& data = TBuiltPage::SectionAt(CellAt(table, 0, 1), 0);
    const TSection& left = TBuiltPage::SectionAt(CellAt(table, 0, 2), 0);
    EXPECT_TRUE(IsBold(heading));
    EXPECT_EQ(heading.Alignment, TParaAlign::Centre);
    EXPECT_FALSE(IsBold(data));
    EXPECT_EQ(data.Alignment, TParaAlign::Left);
    EXPECT_TRUE(IsBold(left));
    EXPECT_EQ(left.Alignment, TParaAlign::Left);
    EXPECT_EQ(TBuiltPage::SectionAt(CellAt(table, 1, 0), 0).Alignment, TParaAlign::Right);
    EXPECT_EQ(TBuiltPage::SectionAt(CellAt(table, 1, 1), 0).Alignment, TParaAlign::Right);
}

TEST(BuilderTables, StylesFontsAndLinksDoNotLeakIntoTheNextCellOrPastTheTable)
{
    TBuiltPage page("<CENTER><I><TABLE><TR><TD><B><FONT SIZE=7><A HREF=x>a<TD>b</TABLE>c</CENTER>");
    const ThtmlTable& table = page.TableAt(0);
    const TSection& b = TBuiltPage::SectionAt(CellAt(table, 0, 1), 0);
    EXPECT_FALSE(IsBold(b));
    EXPECT_TRUE(RunAt(b, 0).Font().Style().Has(TFontStyle::Italic));
    EXPECT_EQ(RunAt(b, 0).Font().HtmlSize(), 12);
    EXPECT_TRUE(RunAt(b, 0).Link.Url.empty());
    // The sections before the table: the first one and the division's own.
    const TSection& c = page.SectionAt(2);
    ASSERT_EQ(c.Text(), "c");
    EXPECT_FALSE(IsBold(c));
    EXPECT_TRUE(RunAt(c, 0).Font().Style().Has(TFontStyle::Italic));
    EXPECT_EQ(c.Alignment, TParaAlign::Centre);
}

TEST(BuilderTables, ParagraphAtTheStartOfACellAddsNoSpace)
{
    TBuiltPage page("<TABLE><TR><TD> <P>x<TD>a<P>b</TABLE>");
    EXPECT_EQ(page.Shape(), "S:|T[S:x,S:a|P|S:b]");
}

TEST(BuilderTables, CaptionsAboveByDefaultAndBelowWhenAsked)
{
    TBuiltPage top("<TABLE><CAPTION>cap</CAPTION><TR><TD>x</TABLE>");
    EXPECT_TRUE(top.TableAt(0).CaptionOnTop);
    const TSection& caption = TBuiltPage::SectionAt(top.TableAt(0).Caption.Cell, 0);
    EXPECT_EQ(caption.Text(), "cap");
    EXPECT_EQ(caption.Alignment, TParaAlign::Centre);
    TBuiltPage bottom("<TABLE><TR><TD>x</TD><CAPTION ALIGN=Bottom>cap</TABLE>");
    EXPECT_FALSE(bottom.TableAt(0).CaptionOnTop);
    EXPECT_EQ(TBuiltPage::SectionAt(bottom.TableAt(0).Caption.Cell, 0).Text(), "cap");
    EXPECT_EQ(bottom.Shape(), "S:|T[S:x]");
}

TEST(BuilderTables, NestedTablesAndUnclosedTables)
{
    TBuiltPage page("<TABLE><TR><TD>a<TABLE><TR><TD>b</TABLE>c<TD>d");
    EXPECT_EQ(page.Shape(), "S:|T[S:a|T[S:b]|S:c,S:d]");
}

// ---- Nesting far beyond the readers' depth ----

TEST(BuilderNesting, HundredThousandNestedTagsLoadWithoutCrashing)
{
    constexpr int kDepth = 100000;
    for (const auto& [open, close] : {std::pair<std::string_view, std::string_view>{"<FONT SIZE=+1>", "</FONT>"},
                                      {"<B>", "</B>"},
                                      {"<DIV ALIGN=center>", "</DIV>"},
                                      {"<UL><LI>", "</UL>"},
                                      {"<BLOCKQUOTE>", "</BLOCKQUOTE>"},
                                      {"<TABLE><TR><TD>", "</TABLE>"},
                                      {"<CENTER><OL><LI><TABLE><TD>", "</TABLE></OL></CENTER>"}}) {
        SCOPED_TRACE(std::string(open));
        TBuiltPage page(Repeat(open, kDepth) + "deep" + Repeat(close, kDepth) + "after");
        EXPECT_FALSE(page.Document.Items.empty());
        EXPECT_LE(DeepestListLevel(page.Document), THtmlBuilder::kMaxNesting + 1);
    }
}

TEST(BuilderNesting, ListsDeeperThanTheLimitJoinTheDeepestLevel)
{
    const int depth = THtmlBuilder::kMaxNesting + 50;
    TBuiltPage page(Repeat("<UL><LI>x", depth) + Repeat("</UL>", depth) + "after");
    EXPECT_EQ(DeepestListLevel(page.Document), THtmlBuilder::kMaxNesting);
    EXPECT_EQ(page.SectionAt(static_cast<int>(page.Document.Items.size()) - 1).Text(), "after");
    EXPECT_GT(LayOut(page, 600), 0);
}

TEST(BuilderNesting, DeepTablesLayOut)
{
    const int depth = THtmlBuilder::kMaxNesting + 20;
    TBuiltPage page(Repeat("<TABLE BORDER><TR><TD>x", depth) + Repeat("</TABLE>", depth) + "after");
    EXPECT_GT(LayOut(page, 600), 0);
}
