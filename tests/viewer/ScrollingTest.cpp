// The viewer control's bars, resizing and keyboard scrolling.

#include "tests/viewer/ViewerFixture.h"

#include <QScrollBar>
#include <QStyle>

namespace {

using TScrollingTest = TViewerTest;

int BarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

TEST_F(TScrollingTest, VerticalBarFromTwoPixelsBelowTheHeight)
{
    Pane().LoadHtmlFile(WriteLongPage("short.htm", 3));
    const int height = Pane().DocHeight();
    ASSERT_LT(height, kHeight);
    // Height-only resizes: no new layout, only the bars are arranged.
    Pane().resize(kWidth, height + 2);
    EXPECT_TRUE(Pane().VerticalBar().isVisibleTo(&Pane()));
    Pane().resize(kWidth, height + 3);
    EXPECT_FALSE(Pane().VerticalBar().isVisibleTo(&Pane()));
    EXPECT_FALSE(Pane().HorizontalBar().isVisibleTo(&Pane()));
    EXPECT_EQ(Pane().PaintPanel().geometry(), QRect(1, 1, kWidth - 2, height + 1));
}

TEST_F(TScrollingTest, HorizontalContentLimitedTo2000Pixels)
{
    Pane().LoadHtmlFile(FixturePage("wide.htm"));
    EXPECT_EQ(Pane().ScrollWidth(), THtmlPane::kMaxScrollWidth);
    EXPECT_TRUE(Pane().HorizontalBar().isVisibleTo(&Pane()));
    const int panelWidth = Pane().PaintPanel().width();
    EXPECT_EQ(Pane().HorizontalBar().maximum(), 2000 + 2 * Pane().MarginWidth() - panelWidth);
    Pane().setFocus();
    for (int i = 0; i < 300; ++i)
        Key(Qt::Key_Right);
    EXPECT_EQ(Pane().HScrollPos(), 2000 + 2 * Pane().MarginWidth() - panelWidth);
    Key(Qt::Key_Left);
    EXPECT_EQ(Pane().HScrollPos(), 2000 + 2 * Pane().MarginWidth() - panelWidth - 15);
}

TEST_F(TScrollingTest, NoBarsOneMarginAndKeysStillScroll)
{
    Pane().LoadHtmlFile(WriteLongPage("page.htm"));
    const int withBars = Pane().DocHeight();
    Pane().SetScrollBars(TScrollStyle::None);
    EXPECT_EQ(Pane().DocHeight(), withBars - Pane().MarginHeight());
    EXPECT_FALSE(Pane().VerticalBar().isVisibleTo(&Pane()));
    EXPECT_FALSE(Pane().HorizontalBar().isVisibleTo(&Pane()));
    EXPECT_EQ(Pane().PaintPanel().width(), kWidth - 2);
    Key(Qt::Key_Down);
    EXPECT_EQ(Pane().VScrollPos(), 16);
    Key(Qt::Key_End);
    EXPECT_EQ(Pane().VScrollPos(), Pane().DocHeight() - Pane().PaintPanel().height());
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Pane().VScrollPos(),
              Pane().DocHeight() - Pane().PaintPanel().height() - (Pane().PaintPanel().height() - 16));
    Key(Qt::Key_Home);
    EXPECT_EQ(Pane().VScrollPos(), 0);
    Key(Qt::Key_Up);
    EXPECT_EQ(Pane().VScrollPos(), 0);
}

TEST_F(TScrollingTest, OnlyWidthChangesLayOutAgain)
{
    Pane().LoadHtmlFile(WriteLongPage("page.htm", 80));
    int layouts = 0;
    Pane().OnProcessing = [&](THtmlPane&, bool on) { layouts += on ? 1 : 0; };
    Pane().SetPosition(30 << 16);
    const int position = Pane().Position();
    ASSERT_EQ(position >> 16, 30);

    Pane().resize(kWidth, kHeight + 50);
    EXPECT_EQ(layouts, 0);
    EXPECT_EQ(Pane().Position(), position);

    Pane().resize(kWidth - 150, kHeight + 50);
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(Pane().Position() >> 16, 30);
}

TEST_F(TScrollingTest, PositionPacksItemAndOffset)
{
    Pane().LoadHtmlFile(WriteLongPage("page.htm"));
    const int top = Document().ItemTop(6);
    Pane().ScrollTo(top + 3);
    EXPECT_EQ(Pane().Position(), (6 << 16) + 3);
    Pane().ScrollTo(0);
    Pane().SetPosition((6 << 16) + 3);
    EXPECT_EQ(Pane().VScrollPos(), top + 3);
    Pane().SetPosition(-1);
    EXPECT_EQ(Pane().VScrollPos(), top + 3);
    Pane().SetPosition(5000 << 16); // beyond the items: ignored
    EXPECT_EQ(Pane().VScrollPos(), top + 3);
}

TEST_F(TScrollingTest, VScrollPosIsLimited)
{
    Pane().LoadHtmlFile(WriteLongPage("page.htm"));
    Pane().SetVScrollPos(-50);
    EXPECT_EQ(Pane().VScrollPos(), 0);
    Pane().SetVScrollPos(1000000);
    EXPECT_EQ(Pane().VScrollPos(), Pane().DocHeight() - Pane().PaintPanel().height());
    EXPECT_EQ(Document().YOffset, Pane().VScrollPos());
}

TEST_F(TScrollingTest, BarsBesideThePanel)
{
    Pane().LoadHtmlFile(FixturePage("wide.htm"));
    // Short enough that the horizontal bar's height brings the vertical one.
    const int height = Pane().DocHeight() + 4;
    Pane().resize(kWidth, height);
    ASSERT_TRUE(Pane().VerticalBar().isVisibleTo(&Pane()));
    ASSERT_TRUE(Pane().HorizontalBar().isVisibleTo(&Pane()));
    EXPECT_EQ(Pane().PaintPanel().geometry(), QRect(1, 1, kWidth - BarWidth() - 2, height - 2 - BarWidth()));
    Pane().SetBorderStyle(THTMLBorderStyle::None);
    Pane().ArrangeScrollBars();
    EXPECT_EQ(Pane().PaintPanel().geometry(), QRect(0, 0, kWidth - BarWidth(), height - BarWidth()));
}

} // namespace
