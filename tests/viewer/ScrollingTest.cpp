// The viewer control's bars, resizing and keyboard scrolling.

#include "tests/viewer/ViewerFixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QStyle>
#include <QWheelEvent>

namespace {

using TScrollingTest = TViewerTest;

// A wheel turned over a widget: a mouse wheel gives eighths of a degree
// (120 a notch), a touchpad the pixels themselves. Qt hands a wheel event on
// to the parent only when it comes from the system, as this one pretends
// (sendEvent would clear the mark).
void Wheel(QWidget& widget, QPoint angle, QPoint pixels = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF at(widget.width() / 2, widget.height() / 2);
    QWheelEvent event(at, widget.mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(&widget, &event);
}

constexpr QPoint kNotchDown(0, -120);

// Records the rectangles the widget is asked to paint.
class TPaintRecorder : public QObject {
public:
    explicit TPaintRecorder(QWidget& widget) { widget.installEventFilter(this); }
    QRegion Painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

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

    // Content up to the limit scrolls over all of it.
    for (const int width : {1999, 2000, 2001}) {
        Pane().LoadFromBuffer("<IMG WIDTH=" + std::to_string(width) + " HEIGHT=10>");
        EXPECT_EQ(Pane().ScrollWidth(), std::min(width, 2000)) << width;
    }
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

TEST_F(TScrollingTest, WheelScrollsByWheelLinesMovingTheExistingPixels)
{
    Pane().LoadHtmlFile(WriteLongPage("page.htm"));
    QApplication::processEvents();
    const int notch = QApplication::wheelScrollLines() * THtmlPane::kVerticalLineStep;
    TPaintRecorder recorder(Pane().PaintPanel());
    Wheel(Pane().PaintPanel(), kNotchDown);
    EXPECT_EQ(Pane().VScrollPos(), notch);
    EXPECT_EQ(Document().YOffset, notch);
    // Only the strip that came into view is painted again.
    QApplication::processEvents();
    const QRect panel = Pane().PaintPanel().rect();
    EXPECT_EQ(recorder.Painted, QRegion(panel.adjusted(0, panel.height() - notch, 0, 0)));

    Wheel(Pane().PaintPanel(), -kNotchDown);
    EXPECT_EQ(Pane().VScrollPos(), 0);
    // A fine-stepping wheel adds up its small turns; a touchpad gives pixels.
    for (int step = 0; step < 4; ++step)
        Wheel(Pane().PaintPanel(), kNotchDown / 4);
    EXPECT_EQ(Pane().VScrollPos(), notch);
    Wheel(Pane().PaintPanel(), {}, QPoint(0, -7));
    EXPECT_EQ(Pane().VScrollPos(), notch + 7);
    // The page's ends hold.
    Wheel(Pane().PaintPanel(), -kNotchDown * 100);
    EXPECT_EQ(Pane().VScrollPos(), 0);
}

TEST_F(TScrollingTest, ShiftTurnsTheWheelSideways)
{
    Pane().LoadHtmlFile(FixturePage("wide.htm"));
    Wheel(Pane().PaintPanel(), kNotchDown, {}, Qt::ShiftModifier);
    EXPECT_EQ(Pane().HScrollPos(), QApplication::wheelScrollLines() * THtmlPane::kHorizontalLineStep);
    EXPECT_EQ(Pane().VScrollPos(), 0);
    Wheel(Pane().PaintPanel(), {}, QPoint(9, 0));
    EXPECT_EQ(Pane().HScrollPos(), QApplication::wheelScrollLines() * THtmlPane::kHorizontalLineStep - 9);
}

TEST_F(TScrollingTest, AFormControlThatCanUseTheWheelHasItFirst)
{
    std::string page = "<form><textarea rows=3 cols=20>";
    for (int line = 1; line <= 30; ++line)
        page += "ligne " + std::to_string(line) + "\n";
    page += "</textarea><input name=champ></form>";
    for (int paragraph = 1; paragraph <= 40; ++paragraph)
        page += "<p>Paragraphe " + std::to_string(paragraph);
    Pane().LoadHtmlFile(WriteFile("formulaire.htm", page));
    Paint();
    auto* text = Pane().PaintPanel().findChild<QPlainTextEdit*>();
    auto* field = Pane().PaintPanel().findChild<QLineEdit*>();
    ASSERT_TRUE(text && field);

    Wheel(*text->viewport(), kNotchDown);
    EXPECT_GT(text->verticalScrollBar()->value(), 0);
    EXPECT_EQ(Pane().VScrollPos(), 0);
    // A one-line field has no use for it; neither has a text box at its end.
    Wheel(*field, kNotchDown);
    EXPECT_EQ(Pane().VScrollPos(), QApplication::wheelScrollLines() * THtmlPane::kVerticalLineStep);
    text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
    Wheel(*text->viewport(), kNotchDown);
    EXPECT_EQ(Pane().VScrollPos(), 2 * QApplication::wheelScrollLines() * THtmlPane::kVerticalLineStep);
}

} // namespace
