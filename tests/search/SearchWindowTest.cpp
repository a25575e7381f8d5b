// "Rechercher dans les pages" as a user meets it: Ctrl+Shift+F in the main
// window, a word typed, the list filled, Enter opening the page with the
// match selected; and "Vérifier les liens" listing a broken link that a
// double click opens.

#include "app/search/SearchWindow.h"
#include "engine/canvas/TextSinks.h"
#include "tests/window/ShellFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

namespace {

// The selected text of the page, in Windows-1252.
class TSelectionText final : public TTextSink {
public:
    void AddText(const char* text, int count) override { Text.append(text, static_cast<std::size_t>(count)); }
    int Finish() override { return 0; }
    std::string Text;
};

class SearchWindowTest : public ShellTest {
protected:
    QTemporaryDir Cache;

    void SetUp() override { qputenv("XDG_CACHE_HOME", Cache.path().toUtf8()); }
    void TearDown() override
    {
        ShellTest::TearDown();
        qunsetenv("XDG_CACHE_HOME");
    }

    std::string Selected()
    {
        TSelectionText sink;
        Pane().Document().CopySelection(sink);
        return sink.Text;
    }

    // Ctrl+Shift+F in the active main window.
    void PressSearchKey()
    {
        Main().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Main()));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &Main(), Qt::Key_F,
                        Qt::ControlModifier | Qt::ShiftModifier);
    }

    TSearchWindow& OpenSearchWindow()
    {
        PressSearchKey();
        TSearchWindow* window = Main().SearchWindow();
        if (!window)
            throw std::runtime_error("Ctrl+Shift+F opened no window");
        window->WaitForWork();
        return *window;
    }
};

TEST_F(SearchWindowTest, TypedWordsFillTheListAndEnterOpensThePageAtTheMatch)
{
    const std::string start = Write("accueil.html", "<title>Accueil</title>Bienvenue.");
    Write("recettes/soupe.html", "<title>Soupe</title><p>Une longue introduction sans rien.<p>La soupe "
                                 "d'&eacute;t&eacute; se mange froide.");
    Write("recettes/ete.html", "<title>Menus d'été</title>Salades.");
    Start({start});
    TSearchWindow& window = OpenSearchWindow();
    EXPECT_EQ(window.Folder(), Folder.path().toStdString());

    QTest::keyClicks(&window.QueryBox(), "ete");
    QTreeWidget& results = window.Results();
    ASSERT_EQ(results.topLevelItemCount(), 2);
    // The page with the word in its title comes first.
    EXPECT_EQ(results.topLevelItem(0)->text(0), QString::fromUtf8("Menus d'été"));
    EXPECT_EQ(results.topLevelItem(1)->text(1), QStringLiteral("recettes/soupe.html"));

    results.setCurrentItem(results.topLevelItem(1));
    QTest::keyClick(&window.QueryBox(), Qt::Key_Return);
    EXPECT_EQ(Pane().CurrentFile(), Folder.path().toStdString() + "/recettes/soupe.html");
    EXPECT_EQ(Selected(), "\xE9t\xE9");
    EXPECT_GT(Pane().Document().SelectionBegin, 0);

    // A query that is no valid syntax lists nothing and says no error.
    window.QueryBox().setText(QStringLiteral("\"ete"));
    EXPECT_EQ(results.topLevelItemCount(), 2);
    window.QueryBox().setText(QStringLiteral("NOT"));
    EXPECT_EQ(results.topLevelItemCount(), 0);
    EXPECT_EQ(window.StatusBar().currentMessage(), QStringLiteral("Aucune page trouvée"));
}

TEST_F(SearchWindowTest, BrokenLinksAreListedAndOpenAtTheirLink)
{
    const std::string start = Write("page.html", "<p>Texte.\n<a href=\"perdue.html\">vers la page perdue</a>");
    Start({start});
    TSearchWindow& window = OpenSearchWindow();
    QTest::mouseClick(&window.CheckButton(), Qt::LeftButton);
    window.WaitForWork();
    QTreeWidget& links = window.BrokenLinks();
    ASSERT_EQ(links.topLevelItemCount(), 1);
    EXPECT_EQ(links.topLevelItem(0)->text(1), QStringLiteral("2"));
    EXPECT_EQ(links.topLevelItem(0)->text(3), QStringLiteral("perdue.html"));
    Pane().Clear();
    emit links.itemActivated(links.topLevelItem(0), 0);
    EXPECT_EQ(Pane().CurrentFile(), start);
    EXPECT_EQ(Selected(), "vers la page perdue\r\n");
}

TEST_F(SearchWindowTest, TheUpdateRunsInTheBackgroundAndCanBeCancelled)
{
    // Enough text that reading it takes longer than the click that cancels.
    std::string text;
    for (int word = 0; word < 4000; ++word)
        text += "mot" + std::to_string(word) + " ";
    for (int i = 0; i < 400; ++i)
        Write("lot/p" + std::to_string(i) + ".html", "<title>Page " + std::to_string(i) + "</title>ardoise " + text);
    Start();
    PressSearchKey();
    ASSERT_NE(Main().SearchWindow(), nullptr);
    TSearchWindow& window = *Main().SearchWindow();
    // The window answers while the pages are read.
    EXPECT_TRUE(window.Busy());
    EXPECT_FALSE(window.CancelButton().isHidden());
    QTest::mouseClick(&window.CancelButton(), Qt::LeftButton);
    window.WaitForWork();
    EXPECT_TRUE(window.CancelButton().isHidden());
    EXPECT_TRUE(window.StatusBar().currentMessage().startsWith(QStringLiteral("Mise à jour annulée")))
        << window.StatusBar().currentMessage().toStdString();
    // The next start goes on where the cancelled one stopped.
    window.QueryBox().setText(QStringLiteral("ardoise"));
    window.Start(Folder.path().toStdString());
    window.WaitForWork();
    QTreeWidget& results = window.Results();
    ASSERT_EQ(results.topLevelItemCount(), TSearchWindow::kResultLimit);
    // The rows out of view get their snippet when they are scrolled to.
    const auto snippetOf = [&](int row) {
        const auto* label = qobject_cast<QLabel*>(results.itemWidget(results.topLevelItem(row), 2));
        return label ? label->text() : QString();
    };
    EXPECT_TRUE(snippetOf(0).contains(QStringLiteral("<b>ardoise</b>"))) << snippetOf(0).toStdString();
    EXPECT_TRUE(snippetOf(TSearchWindow::kResultLimit - 1).isEmpty());
    results.scrollToItem(results.topLevelItem(TSearchWindow::kResultLimit - 1));
    EXPECT_TRUE(snippetOf(TSearchWindow::kResultLimit - 1).contains(QStringLiteral("<b>ardoise</b>")));

    // Another folder chosen while pages are read: the reading stops and
    // starts over there, and the report of the stopped one is not shown.
    Write("lot/p0.html", "<title>Changée</title>ardoise " + text + " encore");
    const std::string other = Write("autre/seule.html", "<title>Seule</title>ardoise");
    window.Start(Folder.path().toStdString());
    EXPECT_TRUE(window.Busy());
    window.SetAskFolder([&](QWidget*, const std::string&) {
        return std::optional<std::string>(std::filesystem::path(other).parent_path().string());
    });
    QTest::mouseClick(&window.BrowseButton(), Qt::LeftButton);
    window.WaitForWork();
    EXPECT_EQ(window.Folder(), std::filesystem::path(other).parent_path().string());
    ASSERT_EQ(window.Results().topLevelItemCount(), 1);
    EXPECT_EQ(window.Results().topLevelItem(0)->text(1), QStringLiteral("seule.html"));
}

} // namespace

namespace {

TEST_F(SearchWindowTest, ADamagedIndexIsSetAsideWithAMessage)
{
    const std::string start = Write("page.html", "<title>Page</title>Du texte retrouvé.");
    const std::filesystem::path index = Cache.filePath("zefweb/pages.sqlite").toStdString();
    std::filesystem::create_directories(index.parent_path());
    std::ofstream(index, std::ios::binary) << "ceci n'est pas une base";
    Start({start});
    TSearchWindow& window = OpenSearchWindow();
    EXPECT_TRUE(window.StatusBar().currentMessage().startsWith(QString::fromUtf8("L'index était abîmé")))
        << window.StatusBar().currentMessage().toStdString();
    window.QueryBox().setText(QStringLiteral("retrouve"));
    EXPECT_EQ(window.Results().topLevelItemCount(), 1);
}

} // namespace
