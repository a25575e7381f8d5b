#include "tests/window/ShellFixture.h"

#include "app/batch/CommandLine.h"
#include "app/window/FindDialog.h"
#include "app/window/ImageForm.h"
#include "app/window/SubmitForm.h"
#include "engine/base/Cp1252.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/text/ImageObj.h"
#include "engine/text/Section.h"
#include "engine/viewer/PaintPanel.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QClipboard>
#include <QDate>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTime>
#include <QToolButton>

#include <sstream>

#include <sys/stat.h>

namespace {

// A button pressed and released at a point of the control's drawing surface.
void Click(THtmlPane& pane, QPoint point, Qt::MouseButton button)
{
    QWidget& panel = pane.PaintPanel();
    const QPointF global = panel.mapToGlobal(QPointF(point));
    QMouseEvent move(QEvent::MouseMove, QPointF(point), global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &move);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(point), global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(point), global, button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &release);
}

// The kinds of the pictures of a page without tables, in their order.
std::vector<TPictureKind> PictureKinds(TSectionList& document)
{
    std::vector<TPictureKind> kinds;
    for (const auto& item : document.Items)
        if (const auto* section = dynamic_cast<const TSection*>(item.get()))
            for (const auto& image : section->Images())
                kinds.push_back(image->Kind);
    return kinds;
}

std::string Quoted(const std::string& text) { return "Pas d'autres occurences de \"" + text + "\""; }

// Preformatted lines, which never wrap, and a last line of `lastLine`
// characters: the selection grows by one with each character of it.
std::string PreformattedPage(int lastLine)
{
    std::string page = "<pre>";
    for (int line = 0; line < 300; ++line)
        page += std::string(99, 'x') + "\n";
    return page + std::string(static_cast<std::size_t>(lastLine), 'y') + "</pre>";
}

// The item of the page's menu of that object name; null when not offered.
QAction* MenuItem(QMenu& menu, const char* name)
{
    return menu.findChild<QAction*>(name);
}

QStringList Captions(const QMenu& menu)
{
    QStringList captions;
    for (const QAction* item : menu.actions())
        if (!item->isSeparator())
            captions << item->text();
    return captions;
}

// Where the page's first line of text or first image lies on the drawing surface.
constexpr QPoint kFirstThing(30, 14);

} // namespace

class ViewerTest : public ShellTest {
protected:
    void SetUp() override
    {
        Start();
        Page = Write("page.htm", "<title>Page</title><p>Bonjour le monde</p>");
        OpenThroughDialog(Page);
        Desktop.Requests.clear();
    }

    bool Follow(const std::string& link)
    {
        bool handled = true;
        Pane().OnHotSpotClick(Pane(), link, handled);
        return handled;
    }

    std::string PageText()
    {
        Pane().SelectAll();
        Pane().CopyToClipboard();
        return QGuiApplication::clipboard()->text().toStdString();
    }

    std::string Page;
};

TEST_F(ViewerTest, LocalLinksStayWithTheControlAndTheAddressBoxWithThePage)
{
    const QString shown = QString::fromStdString(Page);
    EXPECT_FALSE(Follow("autre.htm"));
    EXPECT_EQ(Viewer().FileName(), "autre.htm");
    EXPECT_EQ(Viewer().AddressBox().text(), shown);

    // A drive letter's colon is local.
    EXPECT_FALSE(Follow("c:\\pages\\autre.htm"));
    EXPECT_FALSE(Follow("#Fonctions"));
    EXPECT_EQ(Viewer().AddressBox().text(), shown);

    // file: links of Windows sites become paths.
    EXPECT_FALSE(Follow("file:///c|/Pages/Autre.htm"));
    EXPECT_EQ(Viewer().FileName(), "/c:/Pages/Autre.htm");
    EXPECT_FALSE(Follow("FILE:///home/u/Page%20un.htm"));
    EXPECT_EQ(Viewer().FileName(), "/home/u/Page un.htm");
    EXPECT_TRUE(Desktop.Requests.empty());
}

TEST_F(ViewerTest, AddressesOfEverySchemeGoToTheDesktop)
{
    for (const char* link : {"hTTp://exemple.org/index.html", " \tMailTo:zef@exemple.org", "https://exemple.org/",
                             "ftp://exemple.org/fichier.htm", "news:fr.comp.lang"})
        EXPECT_TRUE(Follow(link));
    EXPECT_EQ(Desktop.Requests,
              std::vector<std::string>({"open address hTTp://exemple.org/index.html", "open address MailTo:zef@exemple.org",
                                        "open address https://exemple.org/", "open address ftp://exemple.org/fichier.htm",
                                        "open address news:fr.comp.lang"}));
    // The address box and the file name stay with the page.
    EXPECT_EQ(Viewer().FileName(), Page);
    EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(Page));

    // Another scheme may start a program of the desktop: the user is asked.
    Desktop.Requests.clear();
    EXPECT_TRUE(Follow("x-scheme:/usr/share/applications/lanceur.desktop?HTTP:"));
    EXPECT_EQ(Dialogs.YesNoQuestions,
              std::vector<std::string>{"Ouvrir l'adresse \xAB x-scheme:/usr/share/applications/lanceur.desktop?HTTP: "
                                       "\xBB avec le programme du bureau ?"});
    EXPECT_TRUE(Desktop.Requests.empty());
    Dialogs.AnswerYes = true;
    EXPECT_TRUE(Follow("irc://exemple.org/zef"));
    EXPECT_EQ(Desktop.Requests, std::vector<std::string>{"open address irc://exemple.org/zef"});

    // What is no address, and what the desktop has no program for, are said.
    Desktop.Requests.clear();
    EXPECT_TRUE(Follow("voir http://exemple.org"));
    Desktop.Succeeds = false;
    EXPECT_TRUE(Follow("gopher://exemple.org/"));
    EXPECT_EQ(Desktop.Requests, std::vector<std::string>{"open address gopher://exemple.org/"});
    EXPECT_EQ(Errors.Messages,
              std::vector<std::string>({"Adresse non valide : voir http://exemple.org",
                                        "Aucun programme du bureau n'ouvre \xAB gopher://exemple.org/ \xBB"}));
}

TEST_F(ViewerTest, TextFilesShowAsTextAndFoldersGoToTheFileManager)
{
    const std::string folder = Folder.path().toStdString() + "/";
    const std::string notes = Write("doc/notes.TXT", "<b>pas une balise</b>");
    EXPECT_TRUE(Follow("doc/notes.TXT"));
    EXPECT_EQ(Pane().CurrentFile(), notes);
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Text);
    EXPECT_EQ(PageText(), "<b>pas une balise</b>\r\n");
    EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(notes));

    EXPECT_TRUE(Follow("../doc/"));
    EXPECT_TRUE(Follow(".."));
    EXPECT_EQ(Desktop.Requests,
              std::vector<std::string>({"open file " + folder + "doc", "open file " + Folder.path().toStdString()}));
    EXPECT_EQ(Pane().CurrentFile(), notes);
    Desktop.Succeeds = false;
    EXPECT_TRUE(Follow("../doc"));
    EXPECT_EQ(Errors.Messages,
              std::vector<std::string>{"Aucun programme du bureau n'ouvre \xAB " + folder + "doc \xBB"});
}

TEST_F(ViewerTest, SoundsProgramsAndVideosGoToTheDesktop)
{
    const std::string folder = Folder.path().toStdString() + "/";
    const std::string program = Write("outils/calc.exe", "");
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    Write("sons/cloche.WAV", "RIFF");
    EXPECT_TRUE(Follow("sons/cloche.WAV"));
    EXPECT_TRUE(Follow("film.Avi"));
    EXPECT_TRUE(Follow("musique.mid"));
    EXPECT_EQ(Desktop.Requests, std::vector<std::string>({
                                    "sound " + folder + "sons/cloche.WAV",
                                    "open file " + folder + "film.Avi",
                                    "open file " + folder + "musique.mid",
                                }));

    // A program runs only when the user says yes to its full command line.
    Desktop.Requests.clear();
    EXPECT_TRUE(Follow("outils/calc.exe  -a  b "));
    EXPECT_TRUE(Desktop.Requests.empty());
    Dialogs.AnswerYes = true;
    EXPECT_TRUE(Follow("outils/../outils/calc.exe -a"));
    EXPECT_EQ(Dialogs.YesNoQuestions,
              std::vector<std::string>({"Ex\xE9" "cuter le programme \xAB " + folder + "outils/calc.exe -a  b \xBB ?",
                                        "Ex\xE9" "cuter le programme \xAB " + folder + "outils/calc.exe -a \xBB ?"}));
    EXPECT_EQ(Desktop.Requests, std::vector<std::string>{"start " + folder + "outils/calc.exe [-a]"});
    // The address box keeps naming the page, which stays.
    EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(Page));
    EXPECT_EQ(Pane().CurrentFile(), Page);

    // A program that is not there is refused without a question; one that
    // may not be run, or that fails to start, is said to be so.
    EXPECT_THROW(Follow("outils/absent.exe"), EFileError);
    Write("outils/lecture.exe", "");
    EXPECT_TRUE(Follow("outils/lecture.exe"));
    Desktop.Succeeds = false;
    EXPECT_TRUE(Follow("outils/calc.exe"));
    EXPECT_EQ(Dialogs.YesNoQuestions.size(), 3u);
    EXPECT_EQ(Errors.Messages,
              std::vector<std::string>({"Le programme \xAB " + folder + "outils/lecture.exe \xBB n'est pas ex\xE9" "cutable",
                                        "Le programme \xAB " + folder + "outils/calc.exe \xBB n'a pas pu \xEAtre lanc\xE9"}));
}

// Percent decoding can put a NUL in a name: the system would stop there and
// run or open the shorter name, whatever extension the link shows.
TEST_F(ViewerTest, LinksWithControlCharactersNameNoFile)
{
    Dialogs.AnswerYes = true;
    Write("script.sh", "#!/bin/sh\n");
    for (const char* link : {"/bin/sh%00.exe -c touch${IFS}/tmp/pwned", "script.sh%00.exe", "script.sh%0A.exe",
                             "prog.exe a\x01b", "son%00.wav", "film%1F.avi", "musique%7F.mid", "page.htm%00.htm",
                             "page.htm%00.gif", "caf%C2%85.htm"}) {
        SCOPED_TRACE(link);
        EXPECT_THROW(Follow(link), EFileError);
    }
    EXPECT_TRUE(Desktop.Requests.empty());
    EXPECT_TRUE(Dialogs.YesNoQuestions.empty());
    EXPECT_EQ(Pane().CurrentFile(), Page);

    // The error names the link's file with its control characters shown.
    try {
        Follow("script.sh%00.exe");
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Fichier introuvable : " + Folder.path().toStdString() + "/script.sh\\x00.exe");
    }

    // Clicked in a page, the control refuses them too: a picture named
    // "page.htm" and a NUL is not the page.
    Pane().LoadHtmlFile(Write("liens.htm", "<a href=\"page.htm%00.gif\">xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx</a>"));
    EXPECT_THROW(Click(Pane(), kFirstThing, Qt::LeftButton), EFileError);
    EXPECT_EQ(Pane().CurrentFile(), Folder.path().toStdString() + "/liens.htm");

    // Nor does a background sound of such a name reach the media device.
    Desktop.Requests.clear();
    Pane().OnSoundRequest(&Pane(), "fond%00.wav", 0, false);
    EXPECT_TRUE(Desktop.Requests.empty());
}

// Links to targets marked with ID, on a heading, a paragraph, a division, a
// list item and a table cell, each far down the page.
TEST_F(ViewerTest, ElementIdsAreLinkTargetsFromThePageAndFromAnother)
{
    std::string filler;
    for (int line = 0; line < 40; ++line)
        filler += "<P>remplissage\n";
    const std::string targets =
        Write("cibles.htm", "<A HREF=\"#Hunks\">vers le titre</A><BR><A HREF=\"#para\">vers le paragraphe</A><BR>"
                            "<A HREF=\"#div\">vers la division</A><BR><A HREF=\"#item\">vers l'article</A><BR>"
                            "<A HREF=\"#cell\">vers la cellule</A>" + filler + "<H2 id=\"Hunks\">Titre</H2>" + filler +
                            "<P ID=para>Paragraphe" + filler + "<DIV id='div'>Division</DIV>" + filler +
                            "<UL><LI>un<LI id=\"item\">Article</UL>" + filler +
                            "<TABLE><TR><TD>a<TD id=cell>Cellule</TABLE>" + filler + filler);
    Pane().LoadHtmlFile(targets);
    QWidget& panel = Pane().PaintPanel();
    // The link is found as a user finds it: by the status bar's hint.
    const auto follow = [&](const QString& link) {
        Pane().SetVScrollPos(0);
        for (int y = 2; y < 120; y += 2) {
            const QPointF point(20, y);
            QMouseEvent move(QEvent::MouseMove, point, panel.mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QCoreApplication::sendEvent(&panel, &move);
            if (Main().StatusPanel(0).text() == link) {
                Click(Pane(), point.toPoint(), Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no link to " << link.toStdString();
    };
    // The first line shown is the target's.
    const auto shownText = [this] {
        for (const auto& item : Pane().Document().Items)
            if (item->Y >= Pane().VScrollPos())
                if (const auto* section = dynamic_cast<const TSection*>(item.get()))
                    return std::string(section->Text().View());
        return std::string();
    };
    int previous = 0;
    for (const auto& [link, text] : std::vector<std::pair<QString, std::string>>{
             {"#Hunks", "Titre"}, {"#para", "Paragraphe"}, {"#div", "Division"}, {"#item", "Article"}}) {
        SCOPED_TRACE(link.toStdString());
        follow(link);
        EXPECT_GT(Pane().VScrollPos(), previous);
        EXPECT_TRUE(shownText().starts_with(text)) << shownText();
        EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(targets));
        previous = Pane().VScrollPos();
    }
    follow("#cell");
    EXPECT_GT(Pane().VScrollPos(), previous);

    // From another page, the name after "#" is looked for the same way.
    const int cell = Pane().VScrollPos();
    Pane().LoadHtmlFile(Write("autre.htm", "<A HREF=\"cibles.htm#cell\">vers la cellule</A>"));
    follow("cibles.htm#cell");
    EXPECT_EQ(Pane().CurrentFile(), targets);
    EXPECT_EQ(Pane().VScrollPos(), cell);
}

TEST_F(ViewerTest, ClickedLinkToAPageLoadsIt)
{
    const std::string next = Write("suite.htm", "<title>Suite</title>fin");
    Pane().LoadHtmlFile(Write("liens.htm", "<a href=\"suite.htm\">xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx</a>"));
    Click(Pane(), kFirstThing, Qt::LeftButton);
    EXPECT_EQ(Pane().CurrentFile(), next);
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Suite");
    EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(next));
    EXPECT_EQ(Viewer().FileName(), "suite.htm");
    EXPECT_TRUE(Commands().Back->isEnabled());
}

TEST_F(ViewerTest, IncludesGiveTheDateTheTimeOrAFile)
{
    const TCurrentFolder current(Folder.path());
    Write("morceau.htm", "<b>inclus</b>");
    const TIncludeType& include = Pane().OnInclude;
    EXPECT_EQ(include("date", {}, ""), QDate::currentDate().toString("dd/MM/yyyy").toStdString());
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")
                    .match(QString::fromStdString(include("Time", {}, "")))
                    .hasMatch());
    EXPECT_EQ(include("INCLUDE", {"FILE=\"morceau.htm\"", "X=\"y\""}, ""), "<b>inclus</b>");
    EXPECT_EQ(include("include", {"FILE=\"absent.htm\""}, ""), "");
    EXPECT_EQ(include("INCLUDE", {"VIRTUAL=\"morceau.htm\""}, ""), "");
    EXPECT_EQ(include("INCLUDE", {"FILE=morceau.htm"}, ""), "");
    EXPECT_EQ(include("INCLUDE", {}, ""), "");
    EXPECT_EQ(include("EXEC", {"FILE=\"morceau.htm\""}, ""), "");

    // Through a page: the included text is part of it.
    Pane().LoadHtmlFile(Write("avec.htm", "<p>avant <!--#include file=\"morceau.htm\"--> apres</p>"));
    Pane().SelectAll();
    Pane().CopyToClipboard();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains("inclus"));
}

TEST_F(ViewerTest, DevicesFifosAndFoldersAreMissingFilesWhereverTheyAreNamed)
{
    const std::string fifo = Folder.path().toStdString() + "/tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = Folder.path().toStdString() + "/dossier";
    std::filesystem::create_directory(folder);
    for (const std::string& name : {std::string("/dev/zero"), fifo, folder}) {
        SCOPED_TRACE(name);
        const std::string shown = Pane().CurrentFile();
        OpenThroughDialog(name);
        EXPECT_EQ(Pane().CurrentFile(), shown);

        const std::string naming = Write("nomme.htm", "<body background=\"" + name + "\"><bgsound src=\"" + name +
                                                          "\"><p>avant <!--#include file=\"" + name +
                                                          "\"-->apres <img src=\"" + name + "\">");
        OpenThroughDialog(naming);
        EXPECT_EQ(Pane().CurrentFile(), naming);
        EXPECT_EQ(PageText(), "avant apres \r\n");
        EXPECT_EQ(PictureKinds(Pane().Document()), std::vector<TPictureKind>{TPictureKind::ErrorImage});
        EXPECT_TRUE(Pane().Document().BackgroundBitmap().isNull());
        Follow(name + ".wav");
        for (const std::string& request : Desktop.Requests)
            EXPECT_FALSE(request.starts_with("media open") || request.starts_with("sound")) << request;
    }
}

TEST_F(ViewerTest, NamesInAnotherLetterCaseFindTheirFiles)
{
    const TCurrentFolder current(Folder.path());
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(Folder.path() + "/still.bmp", "BMP"));
    std::filesystem::create_directory(Folder.path().toStdString() + "/Fonds");
    ASSERT_TRUE(picture.save(Folder.path() + "/Fonds/tile.bmp", "BMP"));
    const std::string sound = Write("Fond.wav", "RIFF");
    Write("morceau.htm", "<b>inclus</b>");
    OpenThroughDialog(Write("casse.htm", "<body background=\"FONDS/TILE.BMP\"><bgsound src=\"FOND.WAV\">"
                                         "<p><!--#include file=\"MORCEAU.htm\"--> <img src=\"STILL.BMP\">"
                                         " <img src=\"still.bmp\">"));
    EXPECT_EQ(PageText(), "inclus  \r\n");
    EXPECT_EQ(PictureKinds(Pane().Document()),
              std::vector<TPictureKind>({TPictureKind::Bitmap, TPictureKind::Bitmap}));
    EXPECT_FALSE(Pane().Document().BackgroundBitmap().isNull());
    EXPECT_EQ(Desktop.Requests.back(), "media open " + sound);
    Follow("fond.WAV");
    EXPECT_EQ(Desktop.Requests.back(), "sound " + sound);

    // A picture put in place after the page was shown appears on reloading.
    OpenThroughDialog(Write("plus_tard.htm", "<img src=\"Fonds/PLUS_TARD.BMP\">"));
    EXPECT_EQ(PictureKinds(Pane().Document()), std::vector<TPictureKind>{TPictureKind::ErrorImage});
    ASSERT_TRUE(picture.save(Folder.path() + "/Fonds/plus_tard.bmp", "BMP"));
    Commands().Reload->trigger();
    EXPECT_EQ(PictureKinds(Pane().Document()), std::vector<TPictureKind>{TPictureKind::Bitmap});
}

TEST_F(ViewerTest, IncludesAndRefreshesAreFoundBesideThePageWhenNotInTheCurrentFolder)
{
    Write("ici/commun.htm", "d'ici");
    const TCurrentFolder current(Folder.path() + "/ici");
    Write("site/commun.htm", "du site");
    Write("site/Seul.htm", "seul");
    const std::string arrival = Write("site/arrivee.htm", "<title>Arrivee</title>x");
    OpenThroughDialog(Write("site/page.htm", "<meta http-equiv=refresh content=\"3; url=ARRIVEE.htm\">"
                                             "<p><!--#include file=\"commun.htm\"--> <!--#include file=\"SEUL.HTM\"-->"
                                             " <!--#include file=\"absent.htm\"-->."));
    // The current folder wins; the page's folder serves the rest, letter case aside.
    EXPECT_EQ(PageText(), "d'ici seul .\r\n");
    ASSERT_TRUE(Viewer().RefreshTimer().isActive());
    Viewer().RefreshTimerTimer();
    EXPECT_EQ(Pane().CurrentFile(), arrival);
}

// The batch commands read a page's include comments as the window does.
class BatchIncludesTest : public ShellTest {};

TEST_F(BatchIncludesTest, TextOfAPageWithDateTimeAndIncludeMatchesTheWindow)
{
    const TCurrentFolder current(Folder.path());
    Write("site/pied.htm", "<i>pied de page</i>");
    const std::string page = Write("site/page.htm", "<p>Le <!--#DATE--> \xE0 <!--#time-->, <!--#INCLUDE FILE=\"pied.htm\"-->");
    const std::string expected = "Le 14/07/2026 \u00E0 09:05:30, pied de page\r\n";

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine({"--text", page, "--date", "14/07/2026 09:05:30"}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), expected);

    FixedMoment = ParseFixedMoment("14/07/2026 09:05:30");
    Start();
    OpenThroughDialog(page);
    Pane().SelectAll();
    Pane().CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), expected);

    EXPECT_EQ(RunCommandLine({"--text", page, "--date", "14/07/2026"}, out, err), 2);
    EXPECT_NE(err.str().find("--date attend"), std::string::npos);
}

TEST_F(ViewerTest, BackgroundSoundPlaysAsOftenAsAsked)
{
    const std::string sound = Write("fond.wav", "RIFF");
    const auto plays = [this] {
        return std::count(Desktop.Requests.begin(), Desktop.Requests.end(), "media play");
    };
    // LOOP 0 plays once: the open notice starts it, the end notice closes.
    Pane().OnSoundRequest(&Pane(), "fond.wav", 0, false);
    EXPECT_EQ(Desktop.Requests, std::vector<std::string>({"media open " + sound}));
    for (int notice = 0; notice < 4; ++notice)
        Desktop.Notify(TMediaNotice::Successful);
    EXPECT_EQ(plays(), 1);
    EXPECT_EQ(Desktop.Requests[2], "media close");

    // LOOP 3 plays three times, rewinding at the end each time.
    Desktop.Requests.clear();
    Pane().OnSoundRequest(&Pane(), "fond.wav", 3, false);
    Desktop.Notify(TMediaNotice::Successful);
    for (int notice = 0; notice < 5; ++notice) {
        Desktop.AtEnd = true;
        Desktop.Notify(TMediaNotice::Successful);
    }
    EXPECT_EQ(plays(), 3);
    EXPECT_EQ(std::count(Desktop.Requests.begin(), Desktop.Requests.end(), "media rewind"), 2);

    // A failed command is ignored.
    Desktop.Requests.clear();
    Pane().OnSoundRequest(&Pane(), "fond.wav", 2, false);
    Desktop.Notify(TMediaNotice::Failed);
    EXPECT_EQ(plays(), 0);

    // A negative LOOP plays until a new page ends it.
    Desktop.Requests.clear();
    Pane().OnSoundRequest(&Pane(), "fond.wav", -1, false);
    for (int notice = 0; notice < 50; ++notice)
        Desktop.Notify(TMediaNotice::Successful);
    EXPECT_EQ(plays(), 50);
    EXPECT_EQ(Viewer().RepeatCount(), 9999 - 50);
    OpenThroughDialog(Write("autre.htm", "autre"));
    EXPECT_EQ(Desktop.Requests.back(), "media close");
    Desktop.Notify(TMediaNotice::Successful);
    EXPECT_EQ(plays(), 50);
}

TEST_F(ViewerTest, TimedRefreshLoadsItsTargetUnlessTheUserMovedOn)
{
    const TCurrentFolder current(Folder.path());
    const std::string target = Write("cible.htm", "<title>Cible</title>arrivee");
    const std::string waiting = Write("attente.htm", "<meta http-equiv=refresh content=\"5; url=cible.htm\">x");
    OpenThroughDialog(waiting);
    ASSERT_TRUE(Viewer().RefreshTimer().isActive());
    EXPECT_EQ(Viewer().RefreshTimer().interval(), 5000);
    Viewer().RefreshTimerTimer();
    EXPECT_FALSE(Viewer().RefreshTimer().isActive());
    EXPECT_EQ(Pane().CurrentFile(), target);
    EXPECT_TRUE(Viewer().windowTitle().isEmpty());
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Cible");

    // The user opened another page before the delay passed.
    OpenThroughDialog(waiting);
    OpenThroughDialog(Page);
    Viewer().RefreshTimerTimer();
    EXPECT_EQ(Pane().CurrentFile(), Page);

    // A target that does not exist starts no timer.
    OpenThroughDialog(Write("perdu.htm", "<meta http-equiv=refresh content=\"2; url=absent.htm\">x"));
    EXPECT_FALSE(Viewer().RefreshTimer().isActive());
}

TEST_F(ViewerTest, TheWholePageIsCopiedWithoutAQuestion)
{
    // 300 lines of 100 characters and a last line of 5000: past 35 000.
    OpenThroughDialog(Write("long.htm", PreformattedPage(5000)));
    Commands().SelectAll->trigger();
    QGuiApplication::clipboard()->clear();
    Commands().Copy->trigger();
    EXPECT_TRUE(Dialogs.Questions.empty());
    std::string text;
    for (int line = 0; line < 300; ++line)
        text += std::string(99, 'x') + "\r\n";
    text += std::string(5000, 'y') + "\r\n";
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), text);
}

TEST_F(ViewerTest, FindUsesMatchCaseAndSaysWhenNothingMore)
{
    Commands().Find->trigger();
    TFindDialog& find = Viewer().FindDialog();
    EXPECT_TRUE(find.isVisible());
    EXPECT_FALSE(find.isModal());
    find.TextBox()->setText("bonjour");
    find.FindButton()->click();
    EXPECT_TRUE(Dialogs.Informations.empty());
    Commands().Copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Bonjour");

    find.MatchCaseBox()->setChecked(true);
    find.FindButton()->click();
    EXPECT_EQ(Dialogs.Informations, std::vector<std::string>({Quoted("bonjour")}));
    find.TextBox()->setText("absent");
    find.FindButton()->click();
    EXPECT_EQ(Dialogs.Informations.back(), Quoted("absent"));
    find.hide();
}

TEST_F(ViewerTest, PageMenuOverAPictureShowsCopiesAndSavesIt)
{
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const std::string pictureFile = Folder.path().toStdString() + "/rouge.bmp";
    ASSERT_TRUE(picture.save(QString::fromStdString(pictureFile), "BMP"));
    OpenThroughDialog(Write("image.htm", "<img src=\"rouge.bmp\" width=60 height=40>"));
    // Images are hit where they were last painted.
    Pane().PaintPanel().grab();
    QMenu& menu = Viewer().PageMenu();

    Click(Pane(), kFirstThing, Qt::LeftButton);
    EXPECT_FALSE(menu.isVisible());
    Click(Pane(), kFirstThing, Qt::RightButton);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(Captions(menu), QStringList({"&Pr\u00E9c\u00E9dente", "&Suivante", "&Recharger", "Co&pier",
                                           "&Tout s\u00E9lectionner", "&Voir l'image", "Copier l'&image",
                                           "&Enregistrer l'image..."}));
    // Nothing selected, no page to go back to.
    EXPECT_FALSE(MenuItem(menu, "copy")->isEnabled());
    EXPECT_TRUE(MenuItem(menu, "back")->isEnabled());
    EXPECT_FALSE(MenuItem(menu, "forward")->isEnabled());
    menu.hide();

    MenuItem(menu, "viewImage")->trigger();
    EXPECT_EQ(Dialogs.ShownWindows.back(), "TImageForm");
    EXPECT_EQ(Shell->Windows().ImageForm->windowTitle(), "");

    MenuItem(menu, "copyImage")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(60, 40));

    // The picture is saved as a BMP file, ".bmp" added to a bare name; an
    // existing file is replaced only when the user agrees.
    const std::string saved = Write("copie.bmp", "ancienne");
    Dialogs.SaveAnswers = {{Folder.path().toStdString() + "/copie", 1}};
    MenuItem(menu, "saveImage")->trigger();
    EXPECT_EQ(Dialogs.ReplaceQuestions, std::vector<std::string>{saved});
    EXPECT_EQ(ReadFileBytes(saved), "ancienne");
    Dialogs.ReplaceAnswer = true;
    Dialogs.SaveAnswers = {{saved, 1}};
    MenuItem(menu, "saveImage")->trigger();
    QImageReader reader(QString::fromStdString(saved));
    EXPECT_EQ(reader.format(), "bmp");
    EXPECT_EQ(reader.read().pixelColor(5, 5), QColor(Qt::red));

    // Over text the menu has the page's commands only; Précédente goes back.
    OpenThroughDialog(Page);
    Pane().PaintPanel().grab();
    Pane().SelectAll();
    Click(Pane(), {300, 200}, Qt::RightButton);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(MenuItem(menu, "viewImage"), nullptr);
    EXPECT_EQ(MenuItem(menu, "openLink"), nullptr);
    EXPECT_TRUE(MenuItem(menu, "copy")->isEnabled());
    menu.hide();
    MenuItem(menu, "back")->trigger();
    EXPECT_EQ(Pane().CurrentFile(), Folder.path().toStdString() + "/image.htm");

    // The placeholder of a picture that failed has nothing to show or save.
    OpenThroughDialog(Write("perdue.htm", "<img src=\"absente.bmp\" width=60 height=40>"));
    Pane().PaintPanel().grab();
    Click(Pane(), kFirstThing, Qt::RightButton);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(MenuItem(menu, "saveImage"), nullptr);
    menu.hide();
}

TEST_F(ViewerTest, ImageWindowShowsANarrowTransparentLogoWithItsWholeButton)
{
    std::filesystem::copy_file(TestsDir() / ".." / "samples" / "images" / "logo.gif",
                               Folder.path().toStdString() + "/logo.gif");
    OpenThroughDialog(Write("logo.htm", "<body bgcolor=white><img src=\"logo.gif\"></body>"));
    Pane().PaintPanel().grab();
    Click(Pane(), kFirstThing, Qt::RightButton);
    QMenu& menu = Viewer().PageMenu();
    ASSERT_TRUE(menu.isVisible());
    menu.hide();
    Dialogs.OnShowModal = [](QDialog& window) {
        window.show();
        const QWidget& close = *window.findChild<QPushButton*>("closeButton");
        EXPECT_GE(close.x(), 0);
        EXPECT_LE(close.geometry().right(), window.width() - 1);
        EXPECT_GE(window.width(), close.width());
        // The logo's transparent corner shows the window's colour, not black.
        const QLabel& image = *window.findChild<QLabel*>("image");
        EXPECT_EQ(image.size(), QSize(64, 64));
        EXPECT_EQ(window.grab().toImage().pixelColor(image.pos()), window.palette().color(QPalette::Window));
        return int(QDialog::Rejected);
    };
    MenuItem(menu, "viewImage")->trigger();
    EXPECT_EQ(Dialogs.ShownWindows.back(), "TImageForm");

    // Saved as BMP, which keeps no transparency, the corner takes the page's
    // background colour, set or default.
    for (const std::string body : {"<body bgcolor=#336699>", "<body>"}) {
        OpenThroughDialog(Write("fond.htm", body + "<img src=\"logo.gif\"></body>"));
        const QColor colour = Pane().PaintPanel().grab().toImage().pixelColor(300, 300);
        Click(Pane(), kFirstThing, Qt::RightButton);
        menu.hide();
        const std::string saved = Folder.path().toStdString() + "/logo-" + std::to_string(colour.rgb()) + ".bmp";
        Dialogs.SaveAnswers = {{saved, 1}};
        MenuItem(menu, "saveImage")->trigger();
        EXPECT_EQ(QImage(QString::fromStdString(saved)).pixelColor(0, 0), colour);
    }
}

TEST_F(ViewerTest, FormSubmissionsAreShownInTheResultsWindow)
{
    Pane().OnFormSubmit()(Pane(), "/cgi/envoi", "cadre", "text/plain", "POST", {"nom=Zef", "age=3"});
    EXPECT_EQ(Dialogs.ShownWindows, std::vector<std::string>({"TSubmitForm"}));
    const TSubmitForm& results = *Shell->Windows().SubmitForm;
    EXPECT_EQ(results.findChild<QLineEdit*>("actionBox")->text(), "/cgi/envoi");
    EXPECT_EQ(results.findChild<QLineEdit*>("methodBox")->text(), "POST");
    EXPECT_EQ(results.findChild<QListWidget*>("resultList")->count(), 2);
}

TEST_F(ViewerTest, AddressBoxLoadsExistingFilesByTheirExtension)
{
    const std::string other = Write("autre.htm", "<title>Autre</title>x");
    QLineEdit& box = Viewer().AddressBox();
    const auto type = [&box](const std::string& text) {
        box.setFocus();
        box.setText(QString::fromStdString(text));
        QTest::keyClick(&box, Qt::Key_Return);
    };
    type(other);
    EXPECT_EQ(Pane().CurrentFile(), other);
    EXPECT_EQ(Viewer().FileName(), other);

    // A name is looked for beside the page shown; a picture shows as one,
    // a ".txt" file as text.
    std::filesystem::create_directories(Folder.path().toStdString() + "/images");
    std::filesystem::copy_file(TestsDir() / ".." / "samples" / "images" / "logo.gif",
                               Folder.path().toStdString() + "/images/logo.gif");
    type("images/logo.gif");
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Image);
    EXPECT_EQ(Pane().CurrentFile(), Folder.path().toStdString() + "/images/logo.gif");
    Write("lisez.txt", "<b>texte</b>");
    type("../lisez.txt");
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Text);
    EXPECT_EQ(PageText(), "<b>texte</b>\r\n");
    const std::string text = Pane().CurrentFile();

    // A missing name stays, selected for correction, and the status bar says why.
    type("absent.htm");
    EXPECT_EQ(Pane().CurrentFile(), text);
    EXPECT_EQ(box.text(), "absent.htm");
    EXPECT_EQ(box.selectedText(), "absent.htm");
    EXPECT_EQ(Main().StatusPanel(0).text(), "Fichier introuvable : absent.htm");
    type(Folder.path().toStdString());
    EXPECT_EQ(Pane().CurrentFile(), text);

    // Escape puts back the name of the page shown.
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.text(), QString::fromStdString(text));
    EXPECT_TRUE(Main().isVisible());
}

TEST_F(ViewerTest, ThePageCannotBeSavedOntoItselfAndTheEditorsSaveReloadsIt)
{
    const std::string long_page = Write("longue.htm", "<title>Longue</title>" + PreformattedPage(10));
    OpenThroughDialog(long_page);
    // The dialog proposes the page's own name, which is refused before any question.
    Dialogs.SaveAnswers = {TSaveChoice{long_page, 1}, TSaveChoice{Folder.path().toStdString() + "/copie", 1}};
    Commands().Save->trigger();
    ASSERT_EQ(Dialogs.SaveRequests.size(), 2u);
    EXPECT_EQ(Dialogs.SaveRequests[0].Folder, Folder.path());
    EXPECT_EQ(Dialogs.SaveRequests[0].ProposedName, "longue.htm");
    EXPECT_TRUE(Dialogs.ReplaceQuestions.empty());
    EXPECT_EQ(Errors.Messages,
              std::vector<std::string>{"La page ne peut pas \xEAtre enregistr\xE9" "e sur elle-m\xEAme : " + long_page});
    EXPECT_EQ(ReadFileBytes(Folder.path().toStdString() + "/copie.htm"), ReadFileBytes(long_page));

    // The source editor saves the page shown: it is shown again, where it was.
    Pane().SetVScrollPos(200);
    const int position = Pane().VScrollPos();
    ASSERT_GT(position, 0);
    Dialogs.SaveAnswers = {TSaveChoice{long_page, 1}};
    Dialogs.ReplaceAnswer = true;
    Dialogs.OnShowModal = [](QDialog& editor) {
        editor.show();
        auto* text = editor.findChild<QPlainTextEdit*>();
        text->moveCursor(QTextCursor::End);
        QTest::keyClicks(text, "<p>Nouveau</p>");
        editor.findChild<QToolButton*>("saveButton")->click();
        editor.hide();
        return QDialog::Rejected;
    };
    Commands().Source->trigger();
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Longue");
    EXPECT_TRUE(ReadFileBytes(long_page).ends_with("<p>Nouveau</p>"));
    Pane().SelectAll();
    Pane().CopyToClipboard();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().trimmed().endsWith("Nouveau"));
    EXPECT_EQ(Pane().VScrollPos(), position);
}

TEST_F(ViewerTest, TheCaptionAndTheStatusBarFollowThePageShown)
{
    // A timed refresh, then another page, then the window losing and
    // regaining the focus: the caption names the page shown.
    const std::string arrival = Write("arrivee.htm", "<title>Arrivée</title>x");
    OpenThroughDialog(Write("depart.htm", "<title>Départ</title><meta http-equiv=refresh content=\"1; url=arrivee.htm\">"));
    Viewer().RefreshTimerTimer();
    ASSERT_EQ(Pane().CurrentFile(), arrival);
    EXPECT_EQ(Main().windowTitle(), QString::fromUtf8("Zef Web - Arrivée"));
    OpenThroughDialog(Write("listes.htm", "<title>Listes</title><a href=\"page.htm\">xxxxxxxxxxxxxxxxxxxxxxxxxx</a>"));
    for (QEvent::Type type : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
        QEvent focus(type);
        QCoreApplication::sendEvent(&Main(), &focus);
        QCoreApplication::sendEvent(Main().MdiArea().subWindowList().front(), &focus);
    }
    Main().MdiArea().setActiveSubWindow(nullptr);
    Main().MdiArea().setActiveSubWindow(Main().MdiArea().subWindowList().front());
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Listes");
    EXPECT_TRUE(Viewer().windowTitle().isEmpty());

    // The link under the pointer is shown until the page changes.
    QWidget& panel = Pane().PaintPanel();
    QMouseEvent move(QEvent::MouseMove, QPointF(kFirstThing), panel.mapToGlobal(QPointF(kFirstThing)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &move);
    EXPECT_EQ(Main().StatusPanel(0).text(), "page.htm");
    Click(Pane(), kFirstThing, Qt::LeftButton);
    EXPECT_EQ(Pane().CurrentFile(), Page);
    EXPECT_TRUE(Main().StatusPanel(0).text().isEmpty());
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Page");
}

TEST_F(ViewerTest, PageCommandsUseTheAuxiliaryWindows)
{
    Commands().Source->trigger();
    Commands().Properties->trigger();
    EXPECT_EQ(Dialogs.ShownWindows, std::vector<std::string>({"TEditeur", "TPropriete"}));

    // Saving takes the page shown, also after a sound link and a move back.
    const std::string second = Write("second.htm", "deux");
    OpenThroughDialog(second);
    Follow("cloche.wav");
    const std::string copy = Folder.path().toStdString() + "/copie";
    Dialogs.SaveAnswers = {{copy, 1}};
    Commands().SaveButton->click();
    EXPECT_EQ(ReadFileBytes(copy + ".htm"), "deux");
    EXPECT_TRUE(Dialogs.ReplaceQuestions.empty());

    // The name written, with the extension the format adds, is the one asked
    // about; refusing asks for another name.
    Commands().Back->trigger();
    Dialogs.SaveAnswers = {{copy, 1}, {copy + "-bis.txt", 2}};
    Commands().Save->trigger();
    EXPECT_EQ(Dialogs.ReplaceQuestions, std::vector<std::string>{copy + ".htm"});
    EXPECT_EQ(Dialogs.SaveRequests.back().ProposedName, "copie.htm");
    EXPECT_EQ(ReadFileBytes(copy + ".htm"), "deux");
    EXPECT_EQ(ReadFileBytes(copy + "-bis.txt"), "PageBonjour le monde\r\n");
}

TEST_F(ViewerTest, ReloadErrorsAreReported)
{
    const std::string doomed = Write("efface.htm", "x");
    OpenThroughDialog(doomed);
    std::filesystem::remove(doomed);
    Commands().Reload->trigger();
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_NE(Errors.Messages[0].find("Fichier introuvable : "), std::string::npos);
}

// A page whose links and field Tab visits in order, the second link far
// below: Tab scrolls to it, shows its target, frames it; Enter follows it.
TEST_F(ViewerTest, TabGoesThroughLinksAndFieldsAndEnterFollowsTheLink)
{
    const std::string second = Write("deux.htm", "<title>Deux</title>Deux");
    Write("un.htm", "<title>Un</title>Un");
    std::string page = "<a href=\"un.htm\">Premier <b>lien</b></a> puis <input name=champ><p>";
    for (int line = 0; line < 80; ++line)
        page += "Ligne " + std::to_string(line) + "<br>";
    OpenThroughDialog(Write("liens.htm", page + "<a href=\"deux.htm\">Second</a>"));
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Pane().setFocus();
    const QImage before = Pane().PaintPanel().grab().toImage();

    QTest::keyClick(&Pane(), Qt::Key_Tab);
    ASSERT_NE(Pane().FocusedStop(), nullptr);
    EXPECT_EQ(Pane().FocusedStop()->Link.Url, "un.htm");
    EXPECT_EQ(Main().StatusPanel(0).text(), "un.htm");
    EXPECT_NE(Pane().PaintPanel().grab().toImage(), before);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_NE(Pane().FocusedStop(), nullptr);
    EXPECT_NE(Pane().FocusedStop()->Control, nullptr);
    EXPECT_TRUE(Pane().isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(Main().StatusPanel(0).text(), "");

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &Pane());
    ASSERT_NE(Pane().FocusedStop(), nullptr);
    EXPECT_EQ(Pane().FocusedStop()->Link.Url, "deux.htm");
    EXPECT_GT(Pane().VScrollPos(), 0);

    QTest::keyClick(&Pane(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(Pane().isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(&Pane(), Qt::Key_Return);
    EXPECT_EQ(Pane().CurrentFile(), second);
    EXPECT_EQ(Pane().FocusedStop(), nullptr);

    // Without a link on the page, Tab leaves it.
    QTest::keyClick(&Pane(), Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), &Pane());
}

TEST_F(ViewerTest, SpaceHomeAndEndScrollThePage)
{
    OpenThroughDialog(Write("longue.htm", PreformattedPage(3)));
    Pane().setFocus();
    QTest::keyClick(&Pane(), Qt::Key_Space);
    const int page = Pane().VerticalBar().pageStep();
    EXPECT_EQ(Pane().VScrollPos(), page);
    QTest::keyClick(&Pane(), Qt::Key_Space);
    QTest::keyClick(&Pane(), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(Pane().VScrollPos(), page);
    QTest::keyClick(&Pane(), Qt::Key_End);
    EXPECT_EQ(Pane().VScrollPos(), Pane().VerticalBar().maximum());
    QTest::keyClick(&Pane(), Qt::Key_Home);
    EXPECT_EQ(Pane().VScrollPos(), 0);
}

// Right click over a link, or the Menu key on the link Tab reached.
TEST_F(ViewerTest, PageMenuOverALinkOpensItAndCopiesItsAddress)
{
    const std::string target = Write("cible.htm", "<title>Cible</title>Cible");
    OpenThroughDialog(Write("lien.htm", "<a href=\"cible.htm#haut\">Aller plus loin dans le site</a>"));
    Pane().PaintPanel().grab();
    QMenu& menu = Viewer().PageMenu();
    Click(Pane(), kFirstThing, Qt::RightButton);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(Captions(menu), QStringList({"&Pr\u00E9c\u00E9dente", "&Suivante", "&Recharger", "Co&pier",
                                           "&Tout s\u00E9lectionner", "&Ouvrir le lien",
                                           "Copier l'&adresse du lien"}));
    menu.hide();
    MenuItem(menu, "copyLink")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(target) + "#haut");

    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Pane().setFocus();
    QTest::keyClick(&Pane(), Qt::Key_Tab);
    QTest::keyClick(&Pane(), Qt::Key_Menu);
    ASSERT_TRUE(menu.isVisible());
    menu.hide();
    MenuItem(menu, "openLink")->trigger();
    EXPECT_EQ(Pane().CurrentFile(), target);
}

// Upwards, downwards, whole words, going round with a word in the status
// bar, F3 and Shift+F3, and every occurrence tinted while the dialog shows.
TEST_F(ViewerTest, FindGoesBothWaysRoundTheEndAndMarksEveryOccurrence)
{
    std::string page = "<body bgcolor=white><p>chat un<p>chaton deux<p>chat trois";
    for (int line = 0; line < 100; ++line)
        page += "<p>ligne " + std::to_string(line);
    OpenThroughDialog(Write("chats.htm", page + "<p>chat fin</body>"));
    const auto selected = [this] {
        Commands().Copy->trigger();
        return QGuiApplication::clipboard()->text();
    };
    const auto selectedLine = [this] {
        // From the selection to the end of its paragraph.
        char ch = 0;
        TSectionBase* paragraph = nullptr;
        TSectionBase* item = nullptr;
        std::string text;
        for (int at = Pane().Document().SelectionBegin;
             Pane().Document().CharAt(at, ch, item) && (!paragraph || item == paragraph); ++at) {
            paragraph = item;
            text += ch;
        }
        return text;
    };
    Commands().Find->trigger();
    TFindDialog& find = Viewer().FindDialog();
    find.TextBox()->setText("chat");
    find.WholeWordBox()->setChecked(true);
    find.FindButton()->click();
    EXPECT_EQ(selectedLine(), "chat un");
    Commands().FindNext->trigger();
    EXPECT_EQ(selectedLine(), "chat trois");
    EXPECT_EQ(selected(), "chat");

    // Every occurrence but the selected one is tinted light yellow.
    const auto tinted = [this] {
        const QImage shot = Pane().PaintPanel().grab().toImage();
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixelColor(x, y) == QColor(255, 255, 128);
        return count;
    };
    EXPECT_GT(tinted(), 0);

    Commands().FindNext->trigger();
    EXPECT_EQ(selectedLine(), "chat fin");
    Commands().FindNext->trigger();
    EXPECT_EQ(selectedLine(), "chat un");
    EXPECT_EQ(Main().StatusPanel(0).text(), "Recherche reprise au d\u00E9but de la page");
    Commands().FindPrevious->trigger();
    EXPECT_EQ(selectedLine(), "chat fin");
    EXPECT_EQ(Main().StatusPanel(0).text(), "Recherche reprise \u00E0 la fin de la page");
    find.UpButton()->setChecked(true);
    find.FindButton()->click();
    EXPECT_EQ(selectedLine(), "chat trois");

    // Scrolled away from the selection, the search starts from what is
    // shown: upwards from the bottom. Without whole words "chaton" counts.
    find.WholeWordBox()->setChecked(false);
    Pane().SetVScrollPos(Pane().VerticalBar().maximum());
    find.FindButton()->click();
    EXPECT_EQ(selectedLine(), "chat fin");
    find.FindButton()->click();
    find.FindButton()->click();
    EXPECT_EQ(selectedLine(), "chaton deux");

    find.hide();
    EXPECT_EQ(tinted(), 0);
}
