// The mouse over the page (links, clicks, drags, double clicks), find and
// the copy of the selection.

#include "tests/viewer/ViewerFixture.h"

#include "engine/forms/FormControls.h"
#include "engine/forms/FormControlObj.h"
#include "engine/text/Section.h"
#include "engine/canvas/TextSinks.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QGuiApplication>

namespace {

using TMouseTest = TViewerTest;

class TLinkTest : public TViewerTest {
protected:
    void SetUp() override
    {
        TViewerTest::SetUp();
        Pane().SetHistoryMaxCount(10);
        std::string page = "<P><A HREF=\"#end\">fin</A>";
        for (const char* link : {"a.htm", "A.HTML", "b.htmlx", "p.jpeg", "p.png", "notes.txt", "other.htm#part"})
            page += " <A HREF=\"" + std::string(link) + "\">lien-" + link + "</A>";
        page += " <A HREF=\"#nowhere\">nulle</A>";
        for (int i = 0; i < 40; ++i)
            page += "<P>Paragraphe " + std::to_string(i);
        page += "<P><A NAME=\"end\">Fin</A> <A HREF=\"#end\">encore</A>";
        Page = WriteFile("links.htm", page);
        for (const char* file : {"a.htm", "A.HTML", "b.htmlx", "notes.txt"})
            WriteFile(file, "<P>" + std::string(file));
        WriteFile("p.jpeg", ReadFileBytes(FixturePage("red.bmp")));
        WriteFile("p.png", "\x89PNG\r\n\x1a\n");
        WriteFile("other.htm", ReadFileBytes(FixturePage("long.htm")));
        Pane().LoadHtmlFile(Page);
    }

    void Follow(const std::string& link)
    {
        Pane().LoadHtmlFile(Page);
        Pane().ScrollTo(0);
        ClickText("lien-" + link);
    }

    std::string Page;
};

TEST_F(TLinkTest, LinksToPagesAndPictures)
{
    Follow("a.htm");
    EXPECT_EQ(Pane().CurrentFile(), Folder() + "/a.htm");
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Html);
    Follow("A.HTML");
    EXPECT_EQ(Pane().CurrentFile(), Folder() + "/A.HTML");
    Follow("b.htmlx");
    EXPECT_EQ(Pane().CurrentFile(), Folder() + "/b.htmlx");
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Html);
    Follow("p.jpeg");
    EXPECT_EQ(Pane().CurrentFile(), Folder() + "/p.jpeg");
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Image);
    Follow("p.png");
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Image);
    Follow("other.htm#part");
    EXPECT_EQ(Pane().CurrentFile(), Folder() + "/other.htm");
    EXPECT_GT(Pane().VScrollPos(), 0);
}

TEST_F(TLinkTest, OtherLinksAreTheHandlers)
{
    std::vector<std::string> clicked;
    Pane().OnHotSpotClick = [&](THtmlPane&, const std::string& url, bool&) { clicked.push_back(url); };
    Follow("notes.txt");
    EXPECT_EQ(Pane().CurrentFile(), Page);
    EXPECT_EQ(clicked, std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(Pane().HotSpotURL(), "notes.txt");

    // A handler that takes the click stops the control's own following.
    Pane().OnHotSpotClick = [](THtmlPane&, const std::string&, bool& handled) { handled = true; };
    Follow("a.htm");
    EXPECT_EQ(Pane().CurrentFile(), Page);
}

TEST_F(TLinkTest, AnchorLinksScrollAndEnterTheHistory)
{
    Pane().ClearHistory();
    Pane().ScrollTo(0);
    ClickText("fin");
    const int position = Pane().VScrollPos();
    EXPECT_GT(position, 0);
    EXPECT_EQ(Pane().History().size(), 1u);
    // Again when the view is already there: no new entry.
    ClickText("encore");
    EXPECT_EQ(Pane().VScrollPos(), position);
    EXPECT_EQ(Pane().History().size(), 1u);
    // An anchor the page does not have: nothing moves.
    Pane().ScrollTo(0);
    ClickText("nulle");
    EXPECT_EQ(Pane().VScrollPos(), 0);
    EXPECT_EQ(Pane().History().size(), 1u);
}

TEST_F(TLinkTest, HotSpotCoveredAndCursor)
{
    std::vector<std::string> covered;
    Pane().OnHotSpotCovered = [&](THtmlPane&, const std::string& url) { covered.push_back(url); };
    Paint();
    Move(PointOfText("lien-a.htm"));
    EXPECT_EQ(Pane().PaintPanel().cursor().shape(), Qt::PointingHandCursor);
    Move(PointOfText("lien-a.htm", 3));
    Move(PointOfText("Paragraphe 3"));
    EXPECT_EQ(Pane().PaintPanel().cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(covered, (std::vector<std::string>{"a.htm", ""}));
    Move(QPoint(Pane().PaintPanel().width() - 3, 3));
    EXPECT_EQ(Pane().PaintPanel().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(TLinkTest, ClickAfterDragDoesNotFollow)
{
    int clicks = 0;
    Pane().OnHotSpotClick = [&](THtmlPane&, const std::string&, bool&) { ++clicks; };
    Paint();
    Press(PointOfText("lien-a.htm"));
    Move(PointOfText("lien-a.htm", 6), Qt::LeftButton);
    Release(PointOfText("lien-a.htm", 6));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(Pane().CurrentFile(), Page);
    EXPECT_EQ(Selected(Document()), "lien-a");
}

TEST_F(TLinkTest, DoubleClickOnLinkFollowsOnceAndSelectsNothing)
{
    int clicks = 0;
    Pane().OnHotSpotClick = [&](THtmlPane&, const std::string&, bool&) { ++clicks; };
    Paint();
    const QPoint point = PointOfText("lien-a.htm", 1);
    Press(point);
    Release(point);
    SendMouse(QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton);
    Release(point);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Pane().CurrentFile(), Folder() + "/a.htm");
    EXPECT_GE(Document().SelectionBegin, Document().SelectionEnd);
}

TEST_F(TLinkTest, RightClickReportsTheLink)
{
    std::vector<std::string> urls;
    Pane().OnRightClick = [&](THtmlPane&, const TRightClickParameters& parameters) {
        urls.push_back(parameters.Url);
        EXPECT_EQ(parameters.Image, nullptr);
    };
    Paint();
    Press(PointOfText("lien-a.htm"), Qt::RightButton);
    Release(PointOfText("lien-a.htm"), Qt::RightButton);
    EXPECT_EQ(urls, std::vector<std::string>{"a.htm"});
    EXPECT_EQ(Pane().CurrentFile(), Page);
}

TEST_F(TMouseTest, DragBeyondTheBottomScrolls)
{
    const auto firstStep = [this](int below) {
        Pane().LoadHtmlFile(WriteLongPage("page.htm", 120));
        Pane().ScrollTo(0);
        Paint();
        Press(PointOfText("Paragraphe 2 "));
        // The pointer is `below` pixels under the control.
        const QPoint outside(40, Pane().height() + below - Pane().PaintPanel().y());
        Move(outside, Qt::LeftButton);
        EXPECT_TRUE(WaitUntil([this] { return Pane().VScrollPos() != 0; }));
        const int step = Pane().VScrollPos();
        Release(outside);
        EXPECT_GT(Document().SelectionEnd, Document().SelectionBegin);
        return step;
    };
    EXPECT_EQ(firstStep(30), 128);
    EXPECT_EQ(firstStep(10), 16);
    // Released: no more steps.
    const int position = Pane().VScrollPos();
    QApplication::processEvents();
    WaitUntil([] { return false; }, 250);
    EXPECT_EQ(Pane().VScrollPos(), position);
}

TEST_F(TMouseTest, DoubleClickSelectsAWord)
{
    Pane().LoadHtmlFile(FixturePage("words.htm"));
    Paint();
    const QPoint point = PointOfText("tat_civil", 1);
    Click(point);
    SendMouse(QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton);
    Release(point);
    // The underscore ends the word; é is a letter.
    EXPECT_EQ(Selected(Document()), "\xE9tat");

    Pane().SetNoSelect(true);
    EXPECT_EQ(Document().SelectionBegin, -1);
    SendMouse(QEvent::MouseButtonDblClick, PointOfText("dort"), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(Document().SelectionBegin, -1);
    Pane().SelectAll();
    EXPECT_EQ(Document().SelectionEnd, -1);
}

TEST_F(TMouseTest, TextInsideFloatingTablesCanBeSelected)
{
    // The paragraph beside the tables shares their band; the cells' text is
    // still reached by a drag and by a double click.
    Pane().LoadHtmlFile(WriteFile("floats.htm", "<TABLE ALIGN=LEFT BORDER=1><TR><TD>gauche flottante</TD></TR>"
                                                "</TABLE><TABLE ALIGN=RIGHT><TR><TD>droite</TD></TR></TABLE>"
                                                "<P>Le paragraphe passe entre les deux tableaux."));
    Paint();
    Press(PointOfText("gauche", 0));
    Move(PointOfText("flottante", 5), Qt::LeftButton);
    Release(PointOfText("flottante", 5));
    EXPECT_EQ(Selected(Document()), "gauche flott");

    const QPoint word = PointOfText("droite", 2);
    Click(word);
    SendMouse(QEvent::MouseButtonDblClick, word, Qt::LeftButton, Qt::LeftButton);
    Release(word);
    EXPECT_EQ(Selected(Document()), "droite");

    Press(PointOfText("paragraphe", 0));
    Move(PointOfText("passe", 5), Qt::LeftButton);
    Release(PointOfText("passe", 5));
    EXPECT_EQ(Selected(Document()), "paragraphe passe");
}

TEST_F(TMouseTest, CellsThatSayTheSameAreEachTheirOwn)
{
    // Side by side and in rows below, cells 100 pixels wide hold the same
    // two lines: a double click selects the word under the pointer.
    const std::string cell = "<TD WIDTH=100>a pareil<BR>a pareil";
    const std::string row = "<TR>" + cell + cell + cell + "</TR>";
    Pane().LoadHtmlFile(
        WriteFile("alike.htm", "<TABLE BORDER=0 CELLSPACING=0 CELLPADDING=0>" + row + row + "</TABLE>"));
    Paint();
    int occurrence = 0;
    for (int found = Document().Search(0, "pareil", true); found >= 0;
         found = Document().Search(found + 1, "pareil", true), ++occurrence) {
        const int column = occurrence / 2 % 3;
        const QPoint point(Pane().MarginWidth() + 100 * column + 20, PointOf(found).y());
        Click(point);
        SendMouse(QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton);
        Release(point);
        EXPECT_EQ(Document().SelectionBegin, found) << "occurrence " << occurrence;
        EXPECT_EQ(Selected(Document()), "pareil");
    }
    EXPECT_EQ(occurrence, 12);
}

TEST_F(TMouseTest, FindWalksThroughTheOccurrences)
{
    Pane().LoadHtmlFile(FixturePage("words.htm"));
    std::vector<int> found;
    while (Pane().Find("CHAT", false))
        found.push_back(Document().SelectionBegin);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_LT(found[0], found[1]);
    EXPECT_LT(found[1], found[2]);
    EXPECT_EQ(Selected(Document()), "chat");
    EXPECT_FALSE(Pane().Find("chat", false));
    EXPECT_FALSE(Pane().Find("", false));
    Pane().LoadHtmlFile(FixturePage("words.htm"));
    EXPECT_FALSE(Pane().Find("CHAT", true));
}

TEST_F(TMouseTest, FindScrollsTheMatchIntoView)
{
    Pane().LoadHtmlFile(FixturePage("long.htm"));
    ASSERT_TRUE(Pane().Find("Fin de la page", true));
    int y = 0;
    int x = 0;
    TCanvas measure;
    ASSERT_TRUE(Document().PositionToPoint(measure, 0, Document().SelectionBegin, y, x));
    EXPECT_GE(y, Pane().VScrollPos());
    EXPECT_LT(y, Pane().VScrollPos() + Pane().height());
}

TEST_F(TMouseTest, LongSelectionIsCopiedWhole)
{
    // 400 lines of 98 characters: with CR LF each line gives 100.
    std::string text;
    for (int line = 0; line < 400; ++line)
        text += std::string(97, static_cast<char>('a' + line % 26)) + "#\r\n";
    // The file's last line has no line end; the copy gives every line one.
    Pane().LoadTextFile(WriteFile("long.txt", text.substr(0, text.size() - 2)));
    Pane().SelectAll();
    EXPECT_EQ(Pane().SelLength(), 40000);
    QGuiApplication::clipboard()->clear();
    Pane().CopyToClipboard();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.toStdString(), text);
}

} // namespace

namespace {

class TImageMouseTest : public TViewerTest {
protected:
    // Paints the page and finds its red picture, in panel coordinates.
    QRect RedPicture()
    {
        const QImage picture = Paint();
        QRect red;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if ((picture.pixel(x, y) & 0xFFFFFF) == 0xFF0000u)
                    red |= QRect(x, y, 1, 1);
        return red.translated(-Pane().PaintPanel().pos());
    }
};

TEST_F(TImageMouseTest, ImagesReportPointerAndClicks)
{
    Pane().SetViewImages(true);
    Pane().LoadFromBuffer("<P>Image : <IMG SRC=\"" + FixturePage("red.bmp") + "\" WIDTH=40 HEIGHT=40>");
    const QRect red = RedPicture();
    ASSERT_EQ(red.size(), QSize(40, 40));
    const QPoint inside = red.topLeft() + QPoint(7, 9);

    std::vector<QPoint> over;
    std::vector<QPoint> clicked;
    Pane().OnImageOver = [&](THtmlPane&, TImageObj&, Qt::KeyboardModifiers, int x, int y) { over.emplace_back(x, y); };
    Pane().OnImageClick = [&](THtmlPane&, TImageObj&, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
        EXPECT_EQ(button, Qt::LeftButton);
        clicked.emplace_back(x, y);
    };
    Move(inside);
    EXPECT_EQ(Pane().PaintPanel().cursor().shape(), Qt::ArrowCursor);
    Click(inside);
    EXPECT_EQ(over, std::vector<QPoint>{QPoint(7, 9)});
    EXPECT_EQ(clicked, std::vector<QPoint>{QPoint(7, 9)});
}

TEST_F(TImageMouseTest, AClickOnAMapAreaFollowsItsLink)
{
    const std::string first = WriteFile("premier.htm", "<P>premier");
    const std::string second = WriteFile("second.htm", "<P>second");
    const std::string page = WriteFile(
        "carte.htm", "<MAP NAME=plan><AREA SHAPE=rect COORDS=\"0,0,19,39\" HREF=\"premier.htm\">"
                     "<AREA SHAPE=rect COORDS=\"20,0,39,39\" HREF=\"second.htm\"></MAP>"
                     "<P><IMG SRC=\"" + FixturePage("red.bmp") + "\" WIDTH=40 HEIGHT=40 USEMAP=\"#plan\">");
    Pane().SetViewImages(true);
    std::vector<std::string> covered;
    Pane().OnHotSpotCovered = [&](THtmlPane&, const std::string& url) { covered.push_back(url); };
    for (const auto& [x, target] : {std::pair{19, first}, std::pair{20, second}}) {
        Pane().LoadHtmlFile(page);
        const QRect red = RedPicture();
        ASSERT_EQ(red.size(), QSize(40, 40));
        const QPoint point = red.topLeft() + QPoint(x, 10);
        Move(point);
        EXPECT_EQ(Pane().PaintPanel().cursor().shape(), Qt::PointingHandCursor);
        Click(point);
        EXPECT_EQ(Pane().CurrentFile(), target) << x;
    }
    EXPECT_EQ(covered, (std::vector<std::string>{"premier.htm", "second.htm"}));
}

TEST_F(TImageMouseTest, OnlyAClickArmsAnImageInput)
{
    std::vector<std::vector<std::string>> submitted;
    Pane().SetOnFormSubmit([&](THtmlPane&, const std::string&, const std::string&, const std::string&,
                               const std::string&, std::vector<std::string> results) {
        submitted.push_back(std::move(results));
    });
    Pane().SetViewImages(true);
    Pane().LoadFromBuffer("<FORM ACTION=envoi><INPUT TYPE=image NAME=carte SRC=\"" + FixturePage("red.bmp") +
                          "\"><INPUT NAME=q VALUE=v><INPUT TYPE=submit NAME=ok VALUE=Envoyer></FORM>");
    const QRect red = RedPicture();
    ASSERT_FALSE(red.isEmpty());
    const QPoint inside = red.topLeft() + QPoint(7, 9);

    // Passing over the picture shows the hand and arms nothing.
    Move(inside);
    EXPECT_EQ(Pane().PaintPanel().cursor().shape(), Qt::PointingHandCursor);
    auto* button = dynamic_cast<TButtonFormControlObj*>(Document().FormControlList.back());
    ASSERT_NE(button, nullptr);
    button->Click();
    QApplication::processEvents();
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(submitted[0], (std::vector<std::string>{"q=v", "ok=Envoyer"}));

    // A click sends the point clicked, once.
    Click(inside);
    button->Click();
    QApplication::processEvents();
    ASSERT_EQ(submitted.size(), 3u);
    EXPECT_EQ(submitted[1], (std::vector<std::string>{"carte.x=7", "carte.y=9", "q=v"}));
    EXPECT_EQ(submitted[2], submitted[0]);
}

TEST_F(TImageMouseTest, AHandlerThatLoadsAPageEndsTheClick)
{
    // The page the handlers load has a link where the click was; the click
    // must not follow it, nor anything else of the page it left.
    const std::string trap = WriteFile("piege.htm", "<P>piege");
    const std::string elsewhere = WriteFile(
        "ailleurs.htm", "<P><A HREF=\"piege.htm\"><IMG SRC=\"" + FixturePage("red.bmp") + "\" WIDTH=300 HEIGHT=300></A>");
    std::filesystem::create_directory(Folder() + "/sous");
    WriteFile("suite.htm", "<P>suite");
    WriteFile("sous/suite.htm", "<P>sous-suite");
    const std::string below = WriteFile("sous/autre.htm", "<P>autre");
    const std::string page = WriteFile(
        "depart.htm", "<P><IMG SRC=\"" + FixturePage("red.bmp") + "\" WIDTH=40 HEIGHT=40> <A HREF=\"suite.htm\">suite</A>");
    Pane().SetViewImages(true);
    Pane().SetHistoryMaxCount(10);

    const auto clickAfterLoading = [&](const std::function<void()>& arm, const std::string& text) {
        Pane().LoadHtmlFile(page);
        Pane().OnImageClick = nullptr;
        Pane().OnMouseUp = nullptr;
        Pane().OnHotSpotClick = nullptr;
        const QRect red = RedPicture();
        arm();
        Click(text.empty() ? red.center() : PointOfText(text));
        QApplication::processEvents();
    };
    const auto load = [this](const std::string& file) { Pane().LoadHtmlFile(file); };

    clickAfterLoading([&] { Pane().OnImageClick = [&](auto&&...) { load(elsewhere); }; }, "");
    EXPECT_EQ(Pane().CurrentFile(), elsewhere);
    clickAfterLoading([&] { Pane().OnMouseUp = [&](auto&&...) { load(elsewhere); }; }, "suite");
    EXPECT_EQ(Pane().CurrentFile(), elsewhere);
    // The link's name is not read again relative to the page the handler showed.
    clickAfterLoading([&] { Pane().OnHotSpotClick = [&](auto&&...) { load(below); }; }, "suite");
    EXPECT_EQ(Pane().CurrentFile(), below);
    // Each click made one step in the history: the page clicked, then the handler's.
    EXPECT_EQ(Pane().History(), (std::vector<std::string>{below, page, elsewhere, page, elsewhere, page}));
}

TEST_F(TMouseTest, FocusedFormControlIsScrolledIntoView)
{
    std::string page;
    for (int i = 0; i < 60; ++i)
        page += "<P>Paragraphe " + std::to_string(i);
    Pane().LoadFromBuffer(page + "<FORM><INPUT NAME=q></FORM>");
    ASSERT_EQ(Document().FormControlList.size(), 1u);
    ASSERT_EQ(Pane().VScrollPos(), 0);
    Document().FormControlList.front()->EnsureWidget();
    QWidget* edit = Document().FormControlList.front()->FocusWidget();
    ASSERT_NE(edit, nullptr);
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &focusIn);
    const int lineY = Document().FormControlList.front()->LineY;
    EXPECT_EQ(Pane().VScrollPos(),
              std::min(lineY - Pane().height() / 2, Pane().DocHeight() - Pane().PaintPanel().height()));
}

TEST_F(TMouseTest, TabReachesControlsTheWindowDoesNotShowYet)
{
    std::string page = "<FORM><INPUT NAME=top>";
    for (int i = 0; i < 60; ++i)
        page += "<P>Paragraphe " + std::to_string(i);
    Pane().LoadFromBuffer(page + "<INPUT NAME=bottom></FORM>");
    Paint();
    const auto& controls = Document().FormControlList;
    ASSERT_EQ(controls.size(), 2u);
    ASSERT_NE(controls[0]->Widget, nullptr);
    EXPECT_EQ(controls[1]->Widget, nullptr);

    QApplication::setActiveWindow(&Pane());
    controls[0]->FocusWidget()->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != controls[0]->FocusWidget())
        GTEST_SKIP() << "the platform gives no keyboard focus";

    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    ASSERT_NE(controls[1]->Widget, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), controls[1]->FocusWidget());
    EXPECT_GT(Pane().VScrollPos(), 0);
    Paint();
    EXPECT_TRUE(controls[1]->Shown);

    QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &backtab);
    EXPECT_EQ(QApplication::focusWidget(), controls[0]->FocusWidget());
    EXPECT_EQ(Pane().VScrollPos(), 0);
}

} // namespace
