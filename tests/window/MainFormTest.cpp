#include "tests/window/ShellFixture.h"

#include "app/window/FindDialog.h"
#include "app/window/FontForm.h"
#include "engine/base/Cp1252.h"
#include "engine/text/ImageObj.h"
#include "engine/text/Section.h"
#include "engine/viewer/PaintPanel.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QTextCursor>
#include <QToolButton>
#include <QClipboard>
#include <QGuiApplication>

namespace {

QString Text(const char* cp1252) { return Cp1252ToQString(cp1252); }

// The captions of a menu's items, "-" for separators, hidden items left out.
QStringList VisibleCaptions(const QMenu& menu)
{
    QStringList captions;
    for (const QAction* action : menu.actions())
        if (action->isVisible())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}

QMenu* MenuNamed(const QMenuBar& bar, const QString& title)
{
    for (QAction* action : bar.actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

} // namespace

using MainFormTest = ShellTest;

TEST_F(MainFormTest, StartsWithoutAPageAndWithEveryPageCommandDisabled)
{
    Start();
    const TMainCommands& commands = Commands();
    EXPECT_EQ(Main().windowTitle(), "Zef Web");
    EXPECT_TRUE(Pane().CurrentFile().empty());
    EXPECT_FALSE(Main().EndRequested());
    for (const QAction* action : {commands.Save, commands.Properties, commands.Copy, commands.SelectAll,
                                  commands.Find, commands.Source, commands.Back, commands.Forward, commands.Reload,
                                  commands.Print, commands.PrintPreview, commands.ExportPdf,
                                  commands.EditMenu->menuAction()})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    for (const QToolButton* button :
         {commands.SaveButton, commands.BackButton, commands.ForwardButton, commands.ReloadButton})
        EXPECT_FALSE(button->isEnabled()) << button->toolTip().toStdString();
    EXPECT_TRUE(commands.Open->isEnabled());
    EXPECT_TRUE(commands.OpenButton->isEnabled());
    EXPECT_TRUE(commands.ViewImages->isChecked());
    EXPECT_TRUE(Pane().ViewImages());
    EXPECT_FALSE(commands.HistorySeparator->isVisible());
    for (const QAction* entry : commands.History)
        EXPECT_FALSE(entry->isVisible());

    // The help file is only recorded, beside the start-up folder.
    EXPECT_EQ(Main().HelpFileName(), QDir::currentPath().toStdString() + "/ZefWeb.hlp");
    // The document window is the frame's one child, without a frame of its own.
    const QList<QMdiSubWindow*> children = Main().MdiArea().subWindowList();
    ASSERT_EQ(children.size(), 1);
    EXPECT_EQ(children.front()->widget(), &Viewer());
    EXPECT_TRUE(children.front()->isMaximized());
    EXPECT_TRUE(children.front()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(Pane().HistoryMaxCount(), 10);
}

TEST_F(MainFormTest, MenusCarryTheirCaptionsShortcutsAndHints)
{
    Start();
    const QMenuBar& bar = *Main().menuBar();
    QStringList titles;
    for (const QAction* action : bar.actions())
        titles << action->text();
    EXPECT_EQ(titles, QStringList({"&Fichier", "&Edition", "&Navigation", "&Options", "&Utilitaires", "&Aide"}));
    EXPECT_EQ(VisibleCaptions(*MenuNamed(bar, "&Fichier")),
              QStringList({"&Ouvrir...", "&Enregistrer", "-", Text("&Propri\xE9t\xE9s"), "-", "&Imprimer...",
                           Text("Aper\xE7u a&vant impression"), "Exporter en P&DF...", "-", "&Quitter"}));
    EXPECT_EQ(VisibleCaptions(*MenuNamed(bar, "&Edition")),
              QStringList({"Co&pier", Text("&Tout s\xE9lectionner"), "-", "&Rechercher...",
                           "Rechercher dans les pa&ges...", "-", "&Source"}));
    EXPECT_EQ(VisibleCaptions(*MenuNamed(bar, "&Navigation")),
              QStringList({Text("&Pr\xE9" "c\xE9" "dente"), "&Suivante", "-", "&Recharger"}));
    EXPECT_EQ(VisibleCaptions(*MenuNamed(bar, "&Options")),
              QStringList({"&Afficher les images", "Afficher les images P&NG", "&Police...", "&Zoom",
                           "Imprimer les &fonds"}));
    EXPECT_EQ(VisibleCaptions(*MenuNamed(bar, "&Utilitaires")),
              QStringList({"&Calendrier", "C&alculatrice", "&Horloge", "&Bloc-notes"}));
    EXPECT_EQ(VisibleCaptions(*MenuNamed(bar, "&Aide")), QStringList({"&A propos..."}));

    // Every key is shown beside its menu item; Ctrl+Q quits too.
    QStringList keys;
    for (const QAction* menu : bar.actions())
        for (const QAction* action : menu->menu()->actions())
            if (!action->shortcut().isEmpty())
                keys << action->text() + " " + action->shortcut().toString();
    EXPECT_EQ(keys, QStringList({"&Ouvrir... Ctrl+O", "&Imprimer... Ctrl+P", "&Quitter Alt+X", "Co&pier Ctrl+C",
                                 Text("&Tout s\xE9lectionner Ctrl+A"), "&Rechercher... Ctrl+F",
                                 "Rechercher dans les pa&ges... Ctrl+Shift+F",
                                 Text("&Pr\xE9" "c\xE9" "dente Alt+Left"), "&Suivante Alt+Right", "&Recharger F5"}));
    EXPECT_EQ(Commands().Quit->shortcuts().value(1), QKeySequence("Ctrl+Q"));

    EXPECT_EQ(Commands().Save->statusTip(), "Enregistrer le fichier en cours");
    EXPECT_EQ(Commands().Font->statusTip(), Text("Police et couleurs par d\xE9" "faut"));
    EXPECT_EQ(Commands().Source->statusTip(), "Voir source");
}

TEST_F(MainFormTest, HintsGiveTheToolTipAndTheStatusText)
{
    Start();
    const TMainCommands& commands = Commands();
    QLabel& panel = Main().StatusPanel(0);

    // "Ouvrir|": the tool tip is the short part, the status text is empty.
    EXPECT_EQ(commands.OpenButton->toolTip(), "Ouvrir");
    EXPECT_EQ(commands.SaveButton->toolTip(), "Enregistrer");
    panel.setText("avant");
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(commands.OpenButton, &enter);
    EXPECT_EQ(panel.text(), "");

    // A hint without "|" is both.
    EXPECT_EQ(commands.BackButton->toolTip(), Text("Pr\xE9" "c\xE9" "dente"));
    QCoreApplication::sendEvent(commands.BackButton, &enter);
    EXPECT_EQ(panel.text(), Text("Pr\xE9" "c\xE9" "dente"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(commands.BackButton, &leave);
    EXPECT_EQ(panel.text(), "");

    // Menu items show their hint as they are hovered; the about item has none.
    commands.Open->showStatusText(Main().menuBar());
    EXPECT_EQ(panel.text(), "Ouvrir un fichier");
    commands.About->showStatusText(Main().menuBar());
    EXPECT_EQ(panel.text(), "");

    // The pointer over a link shows the link.
    Pane().OnHotSpotCovered(Pane(), "autre.htm#haut");
    EXPECT_EQ(panel.text(), "autre.htm#haut");
}

TEST_F(MainFormTest, StatusBarFollowsTheWidthAndShowsTheTime)
{
    Start();
    Main().resize(700, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(Main().StatusPanel(0).width(), Main().width() - 100);
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(Main().StatusPanel(1).text()).hasMatch())
        << Main().StatusPanel(1).text().toStdString();
    EXPECT_EQ(Main().StatusPanel(1).alignment(), Qt::AlignCenter);
}

TEST_F(MainFormTest, FirstArgumentIsOpenedAsHtmlWhateverItsExtension)
{
    const std::string page = Write("notes.txt", "<title>Mes notes</title><b>Gras</b>");
    Start({page});
    EXPECT_EQ(Pane().CurrentFile(), page);
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Html);
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Mes notes");
    EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(page));
    EXPECT_EQ(Viewer().FileName(), page);
    const TMainCommands& commands = Commands();
    for (const QAction* action : {commands.Save, commands.Properties, commands.Copy, commands.SelectAll,
                                  commands.Find, commands.Source, commands.Reload, commands.EditMenu->menuAction()})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(commands.SaveButton->isEnabled());
    EXPECT_TRUE(commands.ReloadButton->isEnabled());
    EXPECT_FALSE(commands.Back->isEnabled());
    EXPECT_FALSE(commands.Forward->isEnabled());
    EXPECT_TRUE(commands.HistorySeparator->isVisible());
    EXPECT_TRUE(commands.History[0]->isVisible());
    EXPECT_TRUE(commands.History[0]->isChecked());
    EXPECT_FALSE(commands.History[1]->isVisible());
}

TEST_F(MainFormTest, MissingFirstArgumentStillEnablesThePageCommands)
{
    Start({Folder.path().toStdString() + "/absente.htm"});
    EXPECT_TRUE(Errors.Messages.empty());
    EXPECT_TRUE(Pane().CurrentFile().empty());
    EXPECT_EQ(Main().windowTitle(), "Zef Web");
    EXPECT_TRUE(Commands().Save->isEnabled());
}

// The check runs after the first page, which it must not hold up.
TEST_F(MainFormTest, FailingSelfCheckEndsTheProgramAfterTheFirstPage)
{
    SelfCheckPasses = false;
    const std::string page = Write("page.htm", "<title>T</title>x");
    // Inside the message loop, as in the program: an end asked for outside
    // one would stay pending and end the next test's dialogs at once. The
    // second timer only keeps a broken check from hanging the test.
    QTimer::singleShot(0, [&] { Start({page}); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(60000);
    EXPECT_EQ(QCoreApplication::exec(), 1);
    EXPECT_TRUE(Main().EndRequested());
    EXPECT_EQ(Pane().CurrentFile(), page);
}

TEST_F(MainFormTest, OpenCommandLoadsByTheChosenFilter)
{
    Start();
    const std::string text = Write("lisez.txt", "<b>pas une balise</b>");
    OpenThroughDialog(text, 3);
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Text);
    EXPECT_TRUE(Commands().Copy->isEnabled());

    // Cancelling changes nothing.
    Dialogs.OpenAnswer.reset();
    Commands().OpenButton->click();
    EXPECT_EQ(Pane().CurrentFile(), text);
}

// The keys a user tries, sent to whatever has the focus, as a keyboard would.
class StandardKeysTest : public ShellTest {
protected:
    void SetUp() override
    {
        // Pages typed in the address box: the page commands serve them
        // without the Open command ever running.
        Start();
        First = Write("un.htm", "<title>Un</title><p>Bonjour le monde</p><form><input name=champ value=\"du champ\"></form>");
        for (const std::string& page : {First, Write("deux.htm", "<title>Deux</title><p>Le monde du deux, le monde encore</p>")}) {
            Viewer().AddressBox().setText(QString::fromStdString(page));
            QTest::keyClick(&Viewer().AddressBox(), Qt::Key_Return);
        }
        ASSERT_EQ(Main().windowTitle(), "Zef Web - Deux");
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
        Pane().setFocus();
    }

    static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    int Selected() const { return Pane().SelLength(); }

    std::string First;
};

TEST_F(StandardKeysTest, EachKeyDoesItsCommand)
{
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_GT(Selected(), 0);
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().trimmed().toStdString(), "Le monde du deux, le monde encore");

    // F3 before any search opens the find dialog, as Ctrl+F does.
    Press(Qt::Key_F3);
    EXPECT_TRUE(Viewer().FindDialog().isVisible());
    Viewer().FindDialog().hide();
    Press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Viewer().FindDialog().isVisible());
    Viewer().FindDialog().TextBox()->setText("monde");
    Viewer().FindDialog().hide();
    Pane().setFocus();
    Press(Qt::Key_F3);
    Press(Qt::Key_F3);
    EXPECT_TRUE(Dialogs.Informations.empty());
    // The third goes round to the first, saying so.
    Press(Qt::Key_F3);
    EXPECT_TRUE(Dialogs.Informations.empty());
    EXPECT_EQ(Main().StatusPanel(0).text(), "Recherche reprise au d\u00E9but de la page");
    Press(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Main().StatusPanel(0).text(), "Recherche reprise \u00E0 la fin de la page");

    Press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Pane().CurrentFile(), First);
    Press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Deux");

    Write("deux.htm", "<title>Deux bis</title>");
    Press(Qt::Key_F5);
    EXPECT_EQ(Main().windowTitle(), "Zef Web - Deux bis");

    Press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), &Viewer().AddressBox());
    EXPECT_EQ(Viewer().AddressBox().selectedText(), Viewer().AddressBox().text());

    // Ctrl+W closes a document on the desktop: here it never quits.
    Pane().setFocus();
    Press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(Main().isVisible());
    Press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Main().isVisible());
}

TEST_F(StandardKeysTest, QuittingKeepsTheNotepadsTextForTheNextRun)
{
    const QString notes = QStringLiteral("Acheter du pain ") + QString(35000, u'n');
    Dialogs.OnShowModal = [&notes](QDialog& notepad) {
        notepad.show();
        auto* text = notepad.findChild<QPlainTextEdit*>();
        text->setPlainText(notes);
        text->moveCursor(QTextCursor::End);
        QTest::keyClicks(text, " fin");
        return QDialog::Rejected;
    };
    Commands().Notepad->trigger();
    // Quitting with the notepad still open.
    Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
    Pane().setFocus();
    Press(Qt::Key_X, Qt::AltModifier);
    ASSERT_FALSE(Main().isVisible());
    EXPECT_TRUE(Errors.Messages.empty());

    Shell.reset();
    Start();
    QString shown;
    Dialogs.OnShowModal = [&shown](QDialog& notepad) {
        notepad.show();
        shown = notepad.findChild<QPlainTextEdit*>()->toPlainText();
        notepad.hide();
        return QDialog::Rejected;
    };
    Commands().Notepad->trigger();
    EXPECT_EQ(shown, notes + QStringLiteral(" fin"));
}

TEST_F(StandardKeysTest, ATextBoxKeepsTheKeysItUses)
{
    QLineEdit& address = Viewer().AddressBox();
    address.setFocus();
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(address.selectedText(), address.text());
    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), address.text());
    EXPECT_EQ(Selected(), 0);

    // The same in a field of the page.
    Press(Qt::Key_Left, Qt::AltModifier);
    Pane().PaintPanel().grab();
    auto* field = Pane().PaintPanel().findChild<QLineEdit*>();
    ASSERT_TRUE(field);
    field->setFocus();
    field->deselect();
    Press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), "du champ");
    EXPECT_EQ(Selected(), 0);
}

TEST_F(MainFormTest, HistoryKeepsTheTenNewestPages)
{
    Start();
    std::vector<std::string> pages;
    for (int index = 0; index < 11; ++index) {
        pages.push_back(Write("page" + std::to_string(index) + ".htm", "<p>page</p>"));
        OpenThroughDialog(pages.back());
    }
    const TMainCommands& commands = Commands();
    for (const QAction* entry : commands.History)
        EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(Pane().History().size(), 10u);
    EXPECT_EQ(commands.History[0]->text(), QString::fromStdString(pages[10]));
    EXPECT_EQ(commands.History[9]->text(), QString::fromStdString(pages[1]));
    EXPECT_TRUE(commands.History[0]->isChecked());
    EXPECT_TRUE(commands.Back->isEnabled());
    EXPECT_TRUE(commands.BackButton->isEnabled());
    EXPECT_FALSE(commands.Forward->isEnabled());

    commands.Back->trigger();
    EXPECT_EQ(Pane().CurrentFile(), pages[9]);
    EXPECT_TRUE(commands.Forward->isEnabled());
    EXPECT_TRUE(commands.History[1]->isChecked());
    EXPECT_FALSE(commands.History[0]->isChecked());

    commands.History[9]->trigger();
    EXPECT_EQ(Pane().CurrentFile(), pages[1]);
    EXPECT_FALSE(commands.Back->isEnabled());
    EXPECT_TRUE(commands.ForwardButton->isEnabled());
    EXPECT_TRUE(commands.History[9]->isChecked());

    // Choosing the entry shown keeps its mark.
    commands.History[9]->trigger();
    EXPECT_TRUE(commands.History[9]->isChecked());

    commands.ForwardButton->click();
    EXPECT_EQ(Pane().CurrentFile(), pages[2]);
    EXPECT_EQ(Viewer().AddressBox().text(), QString::fromStdString(pages[2]));
}

TEST_F(MainFormTest, HistoryCaptionsCutTheFileNameAndAddTheTitle)
{
    Start();
    const std::string longName(120, 'n');
    Main().MajHisto({longName, "/b.htm", "/c&d.htm"}, {"", "Titre B"}, 1);
    const TMainCommands& commands = Commands();
    EXPECT_TRUE(commands.HistorySeparator->isVisible());
    EXPECT_EQ(commands.History[0]->text(), QString(80, 'n'));
    EXPECT_EQ(commands.History[1]->text(), "/b.htm--Titre B");
    // An "&" in a name is shown, not taken as an accelerator.
    EXPECT_EQ(commands.History[2]->text(), "/c&&d.htm");
    EXPECT_FALSE(commands.History[3]->isVisible());
    EXPECT_TRUE(commands.History[1]->isChecked());
    EXPECT_FALSE(commands.History[0]->isChecked());

    // A page with a title, opened for real.
    const std::string page = Write("titre.htm", "<title>Le titre</title>texte");
    OpenThroughDialog(page);
    EXPECT_EQ(commands.History[0]->text(), QString::fromStdString(page) + "--Le titre");

    Main().MajHisto({}, {}, 0);
    EXPECT_FALSE(commands.HistorySeparator->isVisible());
    EXPECT_FALSE(commands.History[0]->isVisible());
}

TEST_F(MainFormTest, LoadingDisablesTheNavigationOnceAFileIsOpen)
{
    Start();
    const TMainCommands& commands = Commands();
    // Without a file name the window leaves the commands alone.
    Pane().OnProcessing(Pane(), true);
    EXPECT_TRUE(commands.Open->isEnabled());

    OpenThroughDialog(Write("a.htm", "a"));
    OpenThroughDialog(Write("b.htm", "b"));
    Pane().OnProcessing(Pane(), true);
    for (const QAction* action : {commands.Open, commands.Reload, commands.Back, commands.Forward})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    for (const QToolButton* button : {commands.OpenButton, commands.ReloadButton, commands.BackButton})
        EXPECT_FALSE(button->isEnabled());
    Pane().OnProcessing(Pane(), false);
    for (const QAction* action : {commands.Open, commands.Reload, commands.Back})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(commands.OpenButton->isEnabled());
    EXPECT_TRUE(commands.ReloadButton->isEnabled());
    EXPECT_FALSE(commands.Forward->isEnabled());
}

TEST_F(MainFormTest, ViewImagesCommandTogglesTheControl)
{
    Start();
    Commands().ViewImages->trigger();
    EXPECT_FALSE(Commands().ViewImages->isChecked());
    EXPECT_FALSE(Pane().ViewImages());
    Commands().ViewImages->trigger();
    EXPECT_TRUE(Pane().ViewImages());
}

// "Afficher les images PNG" is off when the program first starts, is
// remembered from one run to the next, and reloads the page shown at the
// place it was scrolled to.
TEST_F(MainFormTest, PngOptionIsRememberedAndReloadsThePageWhereItWas)
{
    Start();
    EXPECT_FALSE(Commands().ViewPngImages->isChecked());
    EXPECT_EQ(Commands().ViewPngImages->statusTip(), "Afficher les images PNG");
    QImage(30, 30, QImage::Format_RGB32).save(Folder.filePath("photo.png"), "PNG");
    std::string page = "<IMG SRC=\"photo.png\">";
    for (int line = 0; line < 80; ++line)
        page += "<P>Ligne " + std::to_string(line);
    OpenThroughDialog(Write("photo.htm", page));
    const auto pictureKind = [this] {
        for (const auto& item : Pane().Document().Items)
            if (const auto* section = dynamic_cast<const TSection*>(item.get()); section && section->Images().Count() > 0)
                return section->Images()[0].Kind;
        return TPictureKind::None;
    };
    EXPECT_EQ(pictureKind(), TPictureKind::ErrorImage);
    Pane().SetVScrollPos(300);
    // The same text stays at the top, however the picture's size moved it.
    const int topText = Pane().Position();

    Commands().ViewPngImages->trigger();
    EXPECT_EQ(pictureKind(), TPictureKind::Bitmap);
    EXPECT_EQ(Pane().Position(), topText);
    EXPECT_GT(Pane().VScrollPos(), 250);
    EXPECT_EQ(Pane().HistoryIndex(), 0);
    EXPECT_TRUE(Settings.PngPictures());

    // The next run starts with the option on, and turning it off shows the
    // error picture again.
    Shell.reset();
    Start({Folder.filePath("photo.htm").toStdString()});
    EXPECT_TRUE(Commands().ViewPngImages->isChecked());
    EXPECT_EQ(pictureKind(), TPictureKind::Bitmap);
    Commands().ViewPngImages->trigger();
    EXPECT_EQ(pictureKind(), TPictureKind::ErrorImage);
    EXPECT_FALSE(Settings.PngPictures());
}

TEST_F(MainFormTest, MenusOpenTheirWindowsModally)
{
    Start();
    const TMainCommands& commands = Commands();
    for (QAction* action : {commands.Calendar, commands.Calculator, commands.Clock, commands.Notepad, commands.About})
        action->trigger();
    EXPECT_EQ(Dialogs.ShownWindows,
              std::vector<std::string>({"TCalendrier", "TPocket", "THorloge", "TBlocnotes", "TAboutBox"}));
}

TEST_F(MainFormTest, QuittingAsksAboutTheSourceEditorsUnsavedEdits)
{
    Start();
    OpenThroughDialog(Write("page.htm", "texte"));
    Dialogs.OnShowModal = [this](QDialog& editor) {
        editor.show();
        auto* text = editor.findChild<QPlainTextEdit*>();
        QTest::keyClicks(text, "ajout ");
        Main().close();
        EXPECT_EQ(Dialogs.SaveChangesQuestions, 1);
        EXPECT_TRUE(Main().isVisible());
        Dialogs.SaveChangesAnswer = TUnsavedChoice::Discard;
        Main().close();
        return QDialog::Rejected;
    };
    Commands().Source->trigger();
    EXPECT_EQ(Dialogs.SaveChangesQuestions, 2);
    EXPECT_FALSE(Main().isVisible());
    EXPECT_EQ(ReadFileBytes(Folder.path().toStdString() + "/page.htm"), "texte");
}

TEST_F(MainFormTest, ClosingGoesBackToTheStartUpFolder)
{
    const QString startUp = QDir::currentPath();
    Start();
    QDir::setCurrent(Folder.path());
    Main().close();
    EXPECT_EQ(QDir::currentPath(), startUp);
}

// The Police dialog's choices, the window's place and the open dialog's
// folder are read back at the next start; OK keeps the paragraph shown.
TEST_F(MainFormTest, SettingsStayFromOneRunToTheNext)
{
    Start();
    std::string page;
    for (int line = 0; line < 80; ++line)
        page += "<p>Ligne " + std::to_string(line);
    OpenThroughDialog(Write("dossier/long.htm", page));
    Pane().SetVScrollPos(400);
    const int shownItem = Pane().Position() >> 16;
    Dialogs.OnShowModal = [](QDialog& dialog) {
        auto& form = static_cast<TFontForm&>(dialog);
        form.SetFontSize(18);
        form.SetFontColor(0x00123456);
        form.SetLinkColor(0x00004080);
        return int(QDialog::Accepted);
    };
    Commands().Font->trigger();
    EXPECT_EQ(Pane().DefFontSize(), 18);
    EXPECT_EQ(Pane().Position() >> 16, shownItem);
    EXPECT_GT(Pane().VScrollPos(), 400);

    Main().showNormal();
    Main().setGeometry(120, 90, 640, 480);
    const QRect place = Main().geometry();
    Main().close();
    Shell.reset();
    Start();
    EXPECT_EQ(Pane().DefFontSize(), 18);
    EXPECT_EQ(Pane().DefFontColor(), 0x00123456u);
    EXPECT_EQ(Pane().DefHotSpotColor(), 0x00004080u);
    EXPECT_EQ(Main().geometry().size(), place.size());
    EXPECT_FALSE(Main().isMaximized());
    Dialogs.OpenAnswer.reset();
    Commands().Open->trigger();
    ASSERT_TRUE(Dialogs.OpenStartedFrom);
    EXPECT_EQ(QFileInfo(QString::fromStdString(Dialogs.OpenStartedFrom->FileName)).absolutePath(),
              Folder.filePath("dossier"));
}

TEST_F(MainFormTest, DroppedFilesOpenAndTheFileMenuListsTheLastEight)
{
    Start();
    const auto drop = [this](const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &dropped);
        return true;
    };
    // A text file opens as text, a picture as a picture; a kind the open
    // dialog does not offer is refused.
    const std::string notes = Write("notes.txt", "<b>pas du HTML</b>");
    ASSERT_TRUE(drop(notes));
    EXPECT_EQ(Pane().CurrentFile(), notes);
    EXPECT_EQ(Pane().FileType(), TViewedFileType::Text);
    EXPECT_TRUE(Commands().Save->isEnabled());
    EXPECT_FALSE(drop(Write("rapport.pdf", "%PDF")));
    EXPECT_FALSE(drop(Folder.path().toStdString()));
    EXPECT_EQ(Pane().CurrentFile(), notes);

    for (int index = 0; index < 9; ++index)
        OpenThroughDialog(Write("page" + std::to_string(index) + ".htm", "<p>Page " + std::to_string(index)));
    const auto shownEntries = [this] {
        QStringList captions;
        for (const QAction* action : Commands().RecentFiles)
            if (action->isVisible())
                captions << action->text();
        return captions;
    };
    QStringList entries = shownEntries();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_TRUE(entries.front().startsWith("&1 ") && entries.front().endsWith("page8.htm"));
    EXPECT_TRUE(entries.back().endsWith("page1.htm"));

    // The list stays for the next run; an entry opens its page as it was opened.
    Shell.reset();
    Start();
    EXPECT_EQ(shownEntries(), entries);
    Commands().RecentFiles[1]->trigger();
    EXPECT_EQ(Pane().CurrentFile(), Folder.filePath("page7.htm").toStdString());
    EXPECT_TRUE(shownEntries().front().endsWith("page7.htm"));
}
