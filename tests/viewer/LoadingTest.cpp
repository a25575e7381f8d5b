// Loading pages into the viewer control: missing files, reloading, anchors,
// the history, META refresh, the settings' limits and lone images.

#include "tests/viewer/ViewerFixture.h"

#include "engine/forms/HtmlForm.h"
#include "engine/text/Section.h"

#include <QGuiApplication>
#include <QScrollBar>

namespace {

using TLoadingTest = TViewerTest;

TEST_F(TLoadingTest, MissingFileChangesNothing)
{
    Pane().SetHistoryMaxCount(10);
    const std::string page = WriteLongPage("page.htm");
    Pane().LoadHtmlFile(page);
    Pane().SetVScrollPos(100);
    const std::size_t items = Document().Items.size();
    try {
        Pane().LoadHtmlFile(Folder() + "/x.htm#part");
        FAIL() << "no exception";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Fichier introuvable : " + Folder() + "/x.htm");
    }
    EXPECT_EQ(Pane().CurrentFile(), page);
    EXPECT_EQ(Pane().VScrollPos(), 100);
    EXPECT_EQ(Document().Items.size(), items);
    EXPECT_EQ(Pane().History().size(), 1u);
    EXPECT_FALSE(Pane().Processing());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(TLoadingTest, AFolderCountsAsAMissingFile)
{
    const std::string page = WriteLongPage("page.htm");
    Pane().LoadHtmlFile(page);
    const std::string folder = Folder() + "/sous.htm";
    std::filesystem::create_directory(folder);
    try {
        Pane().LoadHtmlFile(folder);
        FAIL() << "no exception";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Fichier introuvable : " + folder);
    }
    EXPECT_THROW(Pane().LoadTextFile(Folder()), EFileError);
    EXPECT_EQ(Pane().CurrentFile(), page);
    EXPECT_FALSE(Document().Items.empty());
}

TEST_F(TLoadingTest, AnchorsOfADroppedTableAreForgotten)
{
    // The table has 31 columns: layout reports it and frees it, with the
    // sections holding its anchors.
    std::string page = "<A NAME=top>top</A><TABLE><TR><TD><A NAME=inside>in</A>";
    for (int column = 0; column < 30; ++column)
        page += "<TD>x";
    page += "</TABLE>";
    for (int paragraph = 0; paragraph < 40; ++paragraph)
        page += "<P>Paragraphe.";
    page += "<A NAME=end>end</A>";
    Pane().LoadHtmlFile(WriteFile("columns.htm", page));

    EXPECT_EQ(errors_.Messages, std::vector<std::string>{"Table has too many Columns"});
    EXPECT_EQ(Pane().NameList().Find("INSIDE"), nullptr);
    EXPECT_EQ(Pane().NameList().Count(), 2);
    EXPECT_FALSE(Pane().ScrollToAnchor("inside"));
    EXPECT_TRUE(Pane().ScrollToAnchor("end"));
    EXPECT_GT(Pane().VScrollPos(), 0);
}

TEST_F(TLoadingTest, SameFileKeepsPositionAnotherStartsAtTop)
{
    const std::string first = WriteLongPage("first.htm");
    const std::string second = WriteLongPage("second.htm");
    std::vector<bool> processing;
    Pane().OnProcessing = [&](THtmlPane&, bool on) { processing.push_back(on); };
    Pane().LoadHtmlFile(first);
    EXPECT_EQ(processing, (std::vector<bool>{true, false}));
    Pane().SetVScrollPos(200);
    Pane().LoadHtmlFile(first);
    EXPECT_EQ(Pane().VScrollPos(), 200);
    Pane().Reload();
    EXPECT_EQ(Pane().VScrollPos(), 200);
    Pane().LoadHtmlFile(second);
    EXPECT_EQ(Pane().VScrollPos(), 0);
}

TEST_F(TLoadingTest, AnchorAfterFileName)
{
    const std::string page = FixturePage("long.htm");
    Pane().LoadHtmlFile(page + "#part");
    const TSectionBase* part = Pane().NameList().Find("PART");
    ASSERT_NE(part, nullptr);
    EXPECT_GT(Pane().VScrollPos(), 0);
    EXPECT_EQ(Pane().VScrollPos(), std::min(part->Y, Pane().DocHeight() - Pane().PaintPanel().height()));
    EXPECT_EQ(Pane().CurrentFile(), page);
    EXPECT_TRUE(Pane().ScrollToAnchor("#end"));
    EXPECT_FALSE(Pane().ScrollToAnchor("missing"));
    EXPECT_FALSE(Pane().ScrollToAnchor(""));
    // A page without the anchor leaves the offset as it was.
    const std::string other = WriteLongPage("other.htm", 80);
    const int before = Pane().VScrollPos();
    Pane().LoadHtmlFile(other + "#nowhere");
    EXPECT_EQ(Pane().VScrollPos(), before);
}

TEST_F(TLoadingTest, ALongTextFileShowsCopiesFindsAndReloadsEveryLine)
{
    // Thirteen hundred lines, some empty, the last without a line end: more
    // than the builder puts into one item.
    std::string file;
    std::string copied;
    for (int line = 1; line <= 1300; ++line) {
        const std::string text = line % 100 == 50 ? "" : "Ligne " + std::to_string(line) + "\tdu fichier";
        file += text + (line < 1300 ? "\r\n" : " zzfin");
        // Tabs read as spaces; an empty line copies as one space.
        copied += (text.empty() ? " " : "Ligne " + std::to_string(line) + " du fichier") +
            (line < 1300 ? "" : " zzfin") + "\r\n";
    }
    const std::string name = WriteFile("long.txt", file);
    Pane().LoadTextFile(name);

    // Every line, empty or not, is one line of the same height.
    const auto& first = dynamic_cast<const TSection&>(*Document().Items.front());
    EXPECT_EQ(Pane().DocHeight(), 1300 * first.Lines[0].FullHeight() + 2 * Pane().MarginHeight());

    Pane().SelectAll();
    EXPECT_EQ(Pane().SelLength(), static_cast<int>(copied.size()));
    TRecordingSink sink;
    Document().CopySelection(sink);
    EXPECT_EQ(sink.Text, copied);

    ASSERT_TRUE(Pane().Find("ZZFIN", false));
    EXPECT_GT(Pane().VScrollPos(), Pane().DocHeight() - 2 * Pane().height());
    EXPECT_FALSE(Pane().Find("ZZFIN", false));

    // A word of a line deep in the file is selected by a double click, and
    // the view comes back where it was when the file is read again.
    Pane().SetVScrollPos(Pane().DocHeight() * 2 / 3);
    Paint();
    const QPoint point = PointOfText("Ligne 1111", 7);
    Click(point);
    SendMouse(QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton);
    Release(point);
    EXPECT_EQ(Selected(Document()), "1111");
    const int scrolled = Pane().VScrollPos();
    Pane().Reload();
    EXPECT_EQ(Pane().VScrollPos(), scrolled);
}

TEST_F(TLoadingTest, HistoryKeepsTheNewestPages)
{
    Pane().SetHistoryMaxCount(10);
    int changes = 0;
    Pane().OnHistoryChange = [&](THtmlPane&) { ++changes; };
    std::vector<std::string> pages;
    for (int i = 0; i < 11; ++i)
        pages.push_back(WriteFile("p" + std::to_string(i) + ".htm", "<TITLE>Page " + std::to_string(i) +
                                                                        "</TITLE><P>Page " + std::to_string(i)));
    // One page short of the limit, at it, and one beyond: the oldest goes
    // only then.
    for (int i = 0; i < 9; ++i)
        Pane().LoadHtmlFile(pages[static_cast<std::size_t>(i)]);
    EXPECT_EQ(Pane().History().size(), 9u);
    Pane().LoadHtmlFile(pages[9]);
    EXPECT_EQ(Pane().History().size(), 10u);
    EXPECT_EQ(Pane().History().back(), pages[0]);
    Pane().LoadHtmlFile(pages[10]);
    std::vector<std::string> history = Pane().History();
    ASSERT_EQ(history.size(), 10u);
    EXPECT_EQ(history.front(), pages[10]);
    EXPECT_EQ(history.back(), pages[1]);
    EXPECT_EQ(Pane().TitleHistory().front(), "Page 10");
    EXPECT_EQ(changes, 11);

    // The oldest entry can be reached; one past it is no entry.
    Pane().SetHistoryIndex(10);
    EXPECT_EQ(Pane().HistoryIndex(), 0);
    Pane().SetHistoryIndex(9);
    EXPECT_EQ(Pane().CurrentFile(), pages[1]);
    EXPECT_EQ(changes, 12);

    // Back twice, then a new page: the two newer entries go.
    Pane().SetHistoryIndex(2);
    EXPECT_EQ(Pane().CurrentFile(), pages[8]);
    EXPECT_EQ(Pane().HistoryIndex(), 2);
    const std::string fresh = WriteFile("fresh.htm", "<P>Nouvelle");
    Pane().LoadHtmlFile(fresh);
    history = Pane().History();
    ASSERT_EQ(history.size(), 9u);
    EXPECT_EQ(history[0], fresh);
    EXPECT_EQ(history[1], pages[8]);
    EXPECT_EQ(Pane().HistoryIndex(), 0);
}

TEST_F(TLoadingTest, GoingBackRestoresThePosition)
{
    Pane().SetHistoryMaxCount(10);
    const std::string first = WriteLongPage("first.htm");
    const std::string second = WriteLongPage("second.htm");
    Pane().LoadHtmlFile(first);
    Pane().SetVScrollPos(150);
    const int position = Pane().Position();
    Pane().LoadHtmlFile(second);
    Pane().SetHistoryIndex(1);
    EXPECT_EQ(Pane().CurrentFile(), first);
    EXPECT_EQ(Pane().Position(), position);
    Pane().SetHistoryIndex(5); // beyond the history: ignored
    EXPECT_EQ(Pane().HistoryIndex(), 1);
}

TEST_F(TLoadingTest, HistoryLimit)
{
    const std::string first = WriteFile("a.htm", "<P>a");
    const std::string second = WriteFile("b.htm", "<P>b");
    Pane().LoadHtmlFile(first);
    Pane().LoadHtmlFile(second);
    EXPECT_TRUE(Pane().History().empty());

    Pane().SetHistoryMaxCount(10);
    Pane().LoadHtmlFile(first);
    Pane().LoadHtmlFile(second);
    EXPECT_EQ(Pane().History().size(), 2u);
    Pane().SetHistoryMaxCount(20);
    EXPECT_EQ(Pane().History().size(), 2u);
    Pane().SetHistoryMaxCount(5);
    EXPECT_TRUE(Pane().History().empty());
    EXPECT_EQ(Pane().HistoryMaxCount(), 5);
}

TEST_F(TLoadingTest, MetaRefresh)
{
    std::vector<std::pair<int, std::string>> refreshes;
    const auto refreshOf = [&](const std::string& content) {
        refreshes.clear();
        Pane().LoadFromBuffer("<META HTTP-EQUIV=\"Refresh\" CONTENT=\"" + content + "\"><P>x");
        return refreshes;
    };
    Pane().OnMetaRefresh = [&](THtmlPane&, int delay, const std::string& url) { refreshes.emplace_back(delay, url); };
    EXPECT_EQ(refreshOf("5; URL=next.htm"), (std::vector<std::pair<int, std::string>>{{5, "next.htm"}}));
    EXPECT_TRUE(refreshOf("0; url=x.htm").empty());
    EXPECT_TRUE(refreshOf("5").empty());
    EXPECT_TRUE(refreshOf("soon; url=x.htm").empty());
    EXPECT_TRUE(refreshOf("5; nothing").empty());
    EXPECT_TRUE(Pane().CurrentFile().empty());

    // A handler that follows the refresh at once finds the refreshing page
    // already in the history: the pages stay in the order they were shown.
    Pane().SetHistoryMaxCount(10);
    const std::string start = WriteFile("debut.htm", "<P>debut");
    const std::string target = WriteFile("cible.htm", "<P>cible");
    const std::string refreshing = WriteFile("attente.htm", "<META HTTP-EQUIV=Refresh CONTENT=\"1; URL=cible.htm\">");
    Pane().OnMetaRefresh = [&](THtmlPane& pane, int, const std::string& url) {
        pane.LoadHtmlFile(Folder() + "/" + url);
    };
    Pane().LoadHtmlFile(start);
    Pane().LoadHtmlFile(refreshing);
    EXPECT_EQ(Pane().History(), (std::vector<std::string>{target, refreshing, start}));
}

TEST_F(TLoadingTest, SettingsLimits)
{
    Pane().SetDefFontSize(3);
    EXPECT_EQ(Pane().DefFontSize(), 6);
    EXPECT_EQ(Document().BaseFontSize, 6);
    Pane().SetMarginWidth(60);
    EXPECT_EQ(Pane().MarginWidth(), 10);
    Pane().SetMarginWidth(30);
    EXPECT_EQ(Pane().MarginWidth(), 30);
    Pane().SetImageCacheCount(30);
    EXPECT_EQ(Pane().ImageCacheCount(), 20);
    EXPECT_EQ(cache_.Cache().AgeLimit(), 20);
    Pane().SetImageCacheCount(-1);
    EXPECT_EQ(Pane().ImageCacheCount(), 0);
    EXPECT_EQ(cache_.Cache().AgeLimit(), 0);
    Pane().SetServerRoot("  /srv/site/ ");
    EXPECT_EQ(Pane().ServerRoot(), "/srv/site");
}

TEST_F(TLoadingTest, WiderMarginMovesTheText)
{
    Pane().LoadHtmlFile(WriteLongPage("page.htm"));
    Paint();
    const QPoint before = PointOfText("Paragraphe 1 ");
    Pane().SetMarginWidth(40);
    Paint();
    EXPECT_EQ(PointOfText("Paragraphe 1 ").x(), before.x() + 30);
}

TEST_F(TLoadingTest, ClearKeepsFileAndHistory)
{
    Pane().SetHistoryMaxCount(10);
    const std::string page = FixturePage("long.htm");
    Pane().LoadHtmlFile(page);
    Pane().Clear();
    EXPECT_TRUE(Document().Items.empty());
    EXPECT_TRUE(Pane().DocumentTitle().empty());
    EXPECT_EQ(Pane().CurrentFile(), page);
    EXPECT_EQ(Pane().History().size(), 1u);
    EXPECT_FALSE(Pane().VerticalBar().isVisible());
}

// The picture of a lone image file is found whatever its name: longer than
// the 255 characters a tag could once hold, and with a double quote in it.
TEST_F(TLoadingTest, LoneImageWithLongNameAndQuote)
{
    const std::string folder = std::string(120, 'd') + "/" + std::string(120, 'e');
    const std::string image = WriteFile(folder + "/un \"rouge\".bmp", ReadFileBytes(FixturePage("red.bmp")));
    ASSERT_GT(image.size(), 255u);
    Pane().SetViewImages(true);
    Pane().LoadImageFile(image);
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Image);
    ASSERT_EQ(Document().Items.size(), 1u);
    auto* section = dynamic_cast<TSection*>(Document().Items[0].get());
    ASSERT_NE(section, nullptr);
    ASSERT_EQ(section->Images().Count(), 1);
    EXPECT_EQ(section->Images()[0].Kind, TPictureKind::Bitmap);
}

TEST_F(TLoadingTest, FormSubmissionIsDeliveredAfterTheClick)
{
    std::vector<std::string> delivered;
    Pane().SetOnFormSubmit([&](THtmlPane&, const std::string& action, const std::string&, const std::string&,
                               const std::string& method, std::vector<std::string> results) {
        delivered.push_back(action + " " + method);
        delivered.insert(delivered.end(), results.begin(), results.end());
    });
    Pane().LoadFromBuffer("<FORM ACTION=\"go\" METHOD=POST><INPUT NAME=q VALUE=v></FORM>");
    ASSERT_FALSE(Pane().Page().Forms().empty());
    Pane().Page().Forms().front()->Submit();
    EXPECT_TRUE(delivered.empty());
    QApplication::processEvents();
    EXPECT_EQ(delivered, (std::vector<std::string>{"go POST", "q=v"}));
}

} // namespace
