// Text sections painted into off-screen images: selection in inverse video,
// list markers, links under the pointer, and painting that touches only the
// lines inside the clip.

#include "engine/text/ListItems.h"
#include "engine/text/PreFormated.h"
#include "tests/canvas/PaintRecorder.h"
#include "tests/text/TextTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// Share of dark pixels in the rectangle.
double DarkShare(const QImage& image, const QRect& box)
{
    int dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            dark += IsDark(image.pixel(x, y)) ? 1 : 0;
    return static_cast<double>(dark) / (box.width() * box.height());
}

bool HasInk(const QImage& image, const QRect& box)
{
    return DarkShare(image, box) > 0.0;
}

} // namespace

TEST(SectionPaint, SelectedTextIsPaintedInInverseVideo)
{
    // A word selected in the middle of a line: the highlight starts and
    // ends with it.
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("Hello world again");
    doc.Layout(300);
    doc.Document.SelectionBegin = 6;
    doc.Document.SelectionEnd = 11;
    const QImage image = doc.Paint(40, 10);

    const int helloWidth = TTextDocument::WidthOf(section, "Hello ");
    const int worldWidth = TTextDocument::WidthOf(section, "world");
    const int againWidth = TTextDocument::WidthOf(section, " again");
    const int textTop = section.Lines[0].Top;
    const int textBottom = textTop + section.Lines[0].TextHeight - 1;
    const QRect hello(10, textTop, helloWidth - 2, textBottom - textTop);
    const QRect world(10 + helloWidth, textTop, worldWidth, textBottom - textTop);
    const QRect again(10 + helloWidth + worldWidth + 1, textTop, againWidth - 1, textBottom - textTop);
    EXPECT_LT(DarkShare(image, hello), 0.3);
    EXPECT_GT(DarkShare(image, world), 0.6);
    EXPECT_LT(DarkShare(image, again), 0.3);
    // Nothing is painted right of the text.
    EXPECT_FALSE(HasInk(image, QRect(10 + helloWidth + worldWidth + againWidth + 1, 0, 50, 40)));
}

TEST(SectionPaint, TheSamePixelsWithAndWithoutAnEmptySelection)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("Painted the same");
    doc.Layout(300);
    const QImage plain = doc.Paint(40);
    doc.Document.SelectionBegin = 5;
    doc.Document.SelectionEnd = 5;
    EXPECT_EQ(doc.Paint(40), plain);
}

TEST(SectionPaint, OnlyTheLinesInsideTheClipArePainted)
{
    // Every word carries a small picture, whose placeholder frame is drawn
    // with the word's line.
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    for (int i = 0; i < 2000; ++i) {
        section.AddText("word" + std::to_string(i) + " ");
        section.AddImage(Attributes({{TSymbol::Width, 4, "4"}, {TSymbol::Height, 4, "4"}}), &doc.Document);
    }
    const int height = doc.Layout(300);
    const int lineHeight = section.Lines[0].FullHeight();
    ASSERT_GT(section.Lines.size(), 300u);

    doc.Document.YOffset = height - 200;
    TPaintRecorder recorder(300, 200);
    {
        TCanvas canvas(&recorder);
        doc.Document.Paint(canvas, {0, 0, 300, 200}, 0, 0, 300);
    }
    // The sides of a line's frames lie within the pictures' 4 pixels; lines
    // lie a line height apart.
    std::set<int> sides;
    for (const QRect& side : recorder.Rectangles())
        sides.insert(side.top());
    ASSERT_FALSE(sides.empty());
    std::vector<int> lineTops;
    for (const int top : sides)
        if (lineTops.empty() || top - lineTops.back() > 4)
            lineTops.push_back(top);
    EXPECT_LE(lineTops.size(), static_cast<std::size_t>(200 / lineHeight + 2));
    EXPECT_GE(lineTops.size(), static_cast<std::size_t>(200 / lineHeight));
    // The last line is among them.
    EXPECT_GE(lineTops.back(), 200 - lineHeight);
}

TEST(SectionPaint, LinkAtFindsTheLinkedRun)
{
    TTextDocument doc;
    auto& section = doc.Add(doc.MakeSection());
    section.AddText("Go ");
    section.ChangeLink(TSymbol::Href, doc.Document, TTextDocument::BodyFont(), {"next.htm", "_top"}, doc.Style);
    section.AddText("there");
    section.ChangeLink(TSymbol::AEnd, doc.Document, TTextDocument::BodyFont(), {}, doc.Style);
    section.AddText(" now");
    section.ApplyDefaultFonts();
    doc.Layout(300);
    doc.Paint(40, 10);

    TImageFormControlObj* control = nullptr;
    TUrlTarget target;
    const int thereX = 10 + TTextDocument::WidthOf(section, "Go ") + 3;
    EXPECT_TRUE(section.LinkAt(doc.Measure, 10, thereX, 5, control, target));
    EXPECT_EQ(target.Url, "next.htm");
    EXPECT_EQ(target.Target, "_top");
    EXPECT_FALSE(section.LinkAt(doc.Measure, 10, 12, 5, control, target));
    EXPECT_FALSE(section.LinkAt(doc.Measure, 10, 290, 5, control, target));
    // Links are painted in the link colour.
    EXPECT_EQ(section.RunAt(4).Font().Color() & 0xFFFFFF, clBlue);
}

TEST(ListItems, MarkerTexts)
{
    EXPECT_EQ(TOListItem::MarkerText(30, 'A'), "Z.");
    EXPECT_EQ(TOListItem::MarkerText(3, 'a'), "c.");
    EXPECT_EQ(TOListItem::MarkerText(30, 'I'), "XX.");
    EXPECT_EQ(TOListItem::MarkerText(4, 'i'), "iv.");
    EXPECT_EQ(TOListItem::MarkerText(14, '1'), "14.");
    // No letter or numeral for 0 and below: the number itself.
    EXPECT_EQ(TOListItem::MarkerText(0, 'A'), "0.");
    EXPECT_EQ(TOListItem::MarkerText(-3, 'i'), "-3.");
}

TEST(ListItems, TheNumberEndsFivePixelsLeftOfTheText)
{
    TTextDocument doc;
    auto& item = doc.Add(doc.Make<TOListItem>(1, 7, '1', nullptr, TTextDocument::BodyFont(), doc.Style));
    item.AddText("Seventh");
    doc.Layout(300);
    const QImage image = doc.Paint(40);
    const int markerWidth = TTextDocument::WidthOf(item, "7.");
    const int lineHeight = item.Lines[0].TextHeight;
    EXPECT_TRUE(HasInk(image, QRect(35 - 5 - markerWidth, 0, markerWidth, lineHeight)));
    EXPECT_FALSE(HasInk(image, QRect(0, 0, 35 - 5 - markerWidth - 1, 40)));
    EXPECT_FALSE(HasInk(image, QRect(35 - 4, 0, 4, 40)));
}

TEST(ListItems, BulletsTakeTheColourOfTheirLevelOnAPlainBackground)
{
    TTextDocument doc;
    auto& first = doc.Add(doc.Make<TUListItem>(1, nullptr, TTextDocument::BodyFont(), doc.Style));
    first.AddText("navy");
    auto& second = doc.Add(doc.Make<TUListItem>(2, nullptr, TTextDocument::BodyFont(), doc.Style));
    second.AddText("maroon");
    auto& hidden = doc.Add(doc.Make<TUListItem>(1, nullptr, TTextDocument::BodyFont(), doc.Style));
    hidden.AddText("none");
    hidden.NoBullet = true;
    doc.Layout(300);
    const QImage image = doc.Paint(80);

    auto bulletCentre = [](const TSection& item) {
        return QPoint(item.FirstLineLeft() - 8, item.Y + item.Lines[0].TextHeight - item.Lines[0].TextHeight / 2);
    };
    EXPECT_EQ(QColor(image.pixel(bulletCentre(first))), QColor(0, 0, 128));
    EXPECT_EQ(QColor(image.pixel(bulletCentre(second))), QColor(128, 0, 0));
    EXPECT_FALSE(HasInk(image, QRect(hidden.FirstLineLeft() - 12, hidden.Y, 10, hidden.SectionHeight)));

    // On a coloured background the bullet is a hollow circle.
    doc.Document.SetBackground(RGB(255, 255, 0));
    const QImage yellow = doc.Paint(80);
    EXPECT_EQ(QColor(yellow.pixel(bulletCentre(first))), QColor(Qt::white));
    EXPECT_TRUE(HasInk(yellow, QRect(first.FirstLineLeft() - 11, first.Y, 8, first.SectionHeight)));
}

TEST(SectionPaint, APartOfALongLinePaintsAsInTheWholeLine)
{
    TTextDocument doc;
    auto pre = doc.Make<TPreFormated>(0, TParaAlign::Left, nullptr, TTextDocument::BodyFont(), doc.Style);
    std::string line;
    while (line.size() < 3000)
        line += "ABCDEFGHIJ klmnopq ";
    pre->AddText(line);
    doc.Add(std::move(pre));
    doc.Layout(800);
    const QImage whole = doc.Paint(30);
    const TRect band{333, 0, 611, 30};
    const QImage part = doc.Paint(30, 0, band);
    const QRect inside = ToQRect(band);
    EXPECT_EQ(part.copy(inside), whole.copy(inside));
    EXPECT_TRUE(HasInk(part, inside));
}
