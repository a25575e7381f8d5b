#include "app/window/AboutBox.h"
#include "app/window/Editeur.h"
#include "app/window/ImageForm.h"
#include "app/window/Propriete.h"
#include "app/window/SaveDialog.h"
#include "app/window/ShellDialogs.h"
#include "app/window/Splash.h"
#include "app/window/SubmitForm.h"
#include "tests/EngineFakes.h"
#include "tests/window/FakeDialogs.h"
#include "tests/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTextCursor>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace {

std::string WriteFile(const QTemporaryDir& folder, const std::string& name, const std::string& bytes)
{
    const std::string path = folder.path().toStdString() + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

QString BoxText(const QWidget& window, const char* name)
{
    const auto* box = window.findChild<QLineEdit*>(name);
    return box ? box->text() : QStringLiteral("<no box>");
}

} // namespace

TEST(Propriete, TypeComesFromTheThreeCharactersAfterTheFirstDot)
{
    QTemporaryDir folder;
    TPropriete window;
    const std::string page = WriteFile(folder, "page.html", "<p>12345</p>");
    window.Init(page);
    EXPECT_EQ(BoxText(window, "typeBox"), "Fichier HTML");
    EXPECT_EQ(BoxText(window, "addressBox"), QString::fromStdString(page));
    EXPECT_EQ(BoxText(window, "sizeBox"), "12 octets");

    window.Init(WriteFile(folder, "photo.JPG", ""));
    EXPECT_EQ(BoxText(window, "typeBox"), "Image JPEG");
    EXPECT_EQ(BoxText(window, "sizeBox"), "0 octets");

    // The first "." of the whole name counts, even in a folder's name.
    window.Init(WriteFile(folder, "images.gif/page.htm", "x"));
    EXPECT_EQ(BoxText(window, "typeBox"), "Image GIF");
    window.Init(WriteFile(folder, "sons.wavs/page.htm", "x"));
    EXPECT_EQ(BoxText(window, "typeBox"), "Son WAV");
    window.Init(WriteFile(folder, "site.v2/page.htm", "x"));
    EXPECT_EQ(BoxText(window, "typeBox"), "");
}

TEST(Propriete, UnknownTypesAndMissingFilesAreShownAsSuch)
{
    QTemporaryDir folder;
    TPropriete window;
    window.Init(WriteFile(folder, "page.htm", "x"));
    window.Init(WriteFile(folder, "notes.txt", "abc"));
    EXPECT_EQ(BoxText(window, "typeBox"), "");
    EXPECT_EQ(BoxText(window, "sizeBox"), "3 octets");

    window.Init(folder.path().toStdString() + "/absente.htm");
    EXPECT_EQ(BoxText(window, "typeBox"), "Fichier HTML");
    EXPECT_EQ(BoxText(window, "sizeBox"), "Fichier introuvable");
    window.Init(folder.path().toStdString());
    EXPECT_EQ(BoxText(window, "sizeBox"), "Fichier introuvable");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Propriétés"));
}

TEST(ImageForm, ClientAreaIsTheBitmapAnd35PixelsMore)
{
    // A small picture stands in the middle of a window wide enough for the
    // desktop's frame.
    TImageForm window;
    QImage bitmap(120, 80, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    window.SetBitmap(bitmap);
    window.show();
    EXPECT_EQ(window.size(), QSize(240, 115));
    EXPECT_EQ(window.findChild<QPushButton*>("closeButton")->x(), 150);
    EXPECT_EQ(window.findChild<QLabel*>("image")->geometry(), QRect(60, 35, 120, 80));
    window.close();

    bitmap = QImage(300, 20, QImage::Format_RGB32);
    window.SetBitmap(bitmap);
    window.show();
    EXPECT_EQ(window.size(), QSize(300, 55));
    EXPECT_EQ(window.findChild<QPushButton*>("closeButton")->x(), 210);
    window.findChild<QPushButton*>("closeButton")->click();
    EXPECT_FALSE(window.isVisible());
}

class Editeur : public testing::Test {
protected:
    QPlainTextEdit& TextBox() const { return *Editor.findChild<QPlainTextEdit*>("text"); }
    QString Text() const { return TextBox().toPlainText(); }
    std::string InFolder(const std::string& name) const { return Folder.path().toStdString() + "/" + name; }

    QTemporaryDir Folder;
    TRecordingErrorBox Errors;
    TFakeDialogs Dialogs;
    TEditeur Editor{Errors, Dialogs};
};

TEST_F(Editeur, LoadsWhenShownAndClearsWhenClosed)
{
    const std::string source = WriteFile(Folder, "page.htm", "<p>Caf\xE9</p>\rligne 2\nligne 3\r\n");
    Editor.Init(source);
    EXPECT_TRUE(Text().isEmpty());
    Editor.show();
    EXPECT_EQ(Text(), QString::fromUtf8("<p>Café</p>\nligne 2\nligne 3\n"));

    Editor.findChild<QPushButton*>("closeButton")->click();
    EXPECT_FALSE(Editor.isVisible());
    EXPECT_TRUE(Text().isEmpty());
    EXPECT_TRUE(Errors.Messages.empty());
    EXPECT_EQ(Dialogs.SaveChangesQuestions, 0);
}

// Saving writes back the bytes that were read wherever the user typed
// nothing: a file holding every byte value but NUL, with its no-break spaces,
// mixed line ends and bytes 0x80 to 0x9F, comes back whole, and two edits far
// apart change only what was typed there.
TEST_F(Editeur, SavesTheBytesItShowsAndOnlyTheEditsChange)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    const std::string bytes = "d\xE9" "but\r\n" + all + "\n\xA0" "fin\r";
    Editor.Init(WriteFile(Folder, "octets.htm", bytes));
    Editor.show();
    const std::string copy = Folder.path().toStdString() + "/copie.htm";
    ASSERT_TRUE(Editor.SaveTo(copy));
    EXPECT_EQ(ReadFileBytes(copy), bytes);

    auto* box = Editor.findChild<QPlainTextEdit*>("text");
    const auto press = [box](int key, const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(box, &event);
    };
    box->moveCursor(QTextCursor::Start);
    press(Qt::Key_guillemotleft, QString::fromUtf8("«"));
    press(Qt::Key_nobreakspace, QString::fromUtf8("\u00A0"));
    box->moveCursor(QTextCursor::End);
    press(Qt::Key_Backspace);
    press(Qt::Key_unknown, QString::fromUtf8("€"));
    press(Qt::Key_Return);
    ASSERT_TRUE(Editor.SaveTo(copy));
    EXPECT_EQ(ReadFileBytes(copy), "\xAB\xA0" + bytes.substr(0, bytes.size() - 1) + "\x80\r\n");
}

// A UTF-8 file is shown as UTF-8 and saved as UTF-8, its byte-order mark and
// even its invalid bytes kept where nothing was typed.
TEST_F(Editeur, Utf8FileIsShownAndSavedAsUtf8)
{
    const std::string bytes = "\xEF\xBB\xBF<p>Caf\xC3\xA9 \xE2\x80\x9C\xF0\x9F\x98\x80\xE2\x80\x9D \xC0\xAF</p>\n";
    Editor.Init(WriteFile(Folder, "utf8.htm", bytes));
    Editor.show();
    EXPECT_EQ(Text(), QString::fromUtf8("<p>Café “😀” \uFFFD\uFFFD</p>\n"));
    auto* box = Editor.findChild<QPlainTextEdit*>("text");
    QTextCursor cursor = box->textCursor();
    // Right after the picture character, which is two units long, and over
    // the space after the closing quote.
    cursor.setPosition(11);
    cursor.insertText(QString::fromUtf8("ü"));
    cursor.setPosition(13);
    cursor.setPosition(14, QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromUtf8("☃"));
    const std::string copy = Folder.path().toStdString() + "/copie.htm";
    ASSERT_TRUE(Editor.SaveTo(copy));
    EXPECT_EQ(ReadFileBytes(copy), "\xEF\xBB\xBF<p>Caf\xC3\xA9 \xE2\x80\x9C\xF0\x9F\x98\x80\xC3\xBC\xE2\x80\x9D\xE2\x98\x83"
                                   "\xC0\xAF</p>\n");
}

TEST_F(Editeur, FailuresAreReportedWithTheirCauseInFrenchAndTheEditorStaysOpen)
{
    Editor.Init(InFolder("absente.htm"));
    Editor.show();
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_EQ(Errors.Messages[0], "Impossible d'ouvrir le fichier " + InFolder("absente.htm") + " : fichier introuvable");
    EXPECT_TRUE(Editor.isVisible());

    TextBox().setPlainText("x");
    EXPECT_FALSE(Editor.SaveTo(InFolder("absente.htm/dessous.htm")));
    EXPECT_FALSE(Editor.SaveTo(Folder.path().toStdString()));
    ASSERT_EQ(Errors.Messages.size(), 3u);
    EXPECT_THAT(Errors.Messages[1], testing::EndsWith("dessous.htm : dossier introuvable"));
    EXPECT_THAT(Errors.Messages[2], testing::EndsWith(" : c'est un dossier"));
    EXPECT_TRUE(Editor.isVisible());
}

TEST_F(Editeur, SavingProposesTheNameAndAsksBeforeReplacingAFile)
{
    Editor.Init(WriteFile(Folder, "page.htm", "texte\n"));
    Editor.show();
    Editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Editor));
    const std::string photo = WriteFile(Folder, "photo.jpg", "\xFF\xD8\xFF");
    QToolButton& save = *Editor.findChild<QToolButton*>("saveButton");

    // Refused: the dialog opens again on the name refused, then is cancelled.
    Dialogs.SaveAnswers = {{photo, 1}};
    save.click();
    EXPECT_EQ(Dialogs.SaveRequests.at(0).ProposedName, "page.htm");
    EXPECT_EQ(Dialogs.SaveRequests.at(0).Folder, Folder.path());
    EXPECT_EQ(Dialogs.ReplaceQuestions, std::vector<std::string>{photo});
    EXPECT_EQ(Dialogs.SaveRequests.at(1).ProposedName, "photo.jpg");
    EXPECT_EQ(ReadFileBytes(photo), "\xFF\xD8\xFF");

    // A new name asks nothing and is proposed next time; Ctrl+S saves too.
    Dialogs.SaveAnswers = {{InFolder("nouveau.htm"), 1}};
    save.click();
    EXPECT_EQ(ReadFileBytes(InFolder("nouveau.htm")), "texte\n");
    EXPECT_EQ(Editor.FileName(), InFolder("nouveau.htm"));
    Dialogs.ReplaceAnswer = true;
    Dialogs.SaveAnswers = {{photo, 1}};
    QTest::keyClick(&TextBox(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Dialogs.SaveRequests.size() == 4; }));
    EXPECT_EQ(Dialogs.SaveRequests[3].ProposedName, "nouveau.htm");
    EXPECT_EQ(ReadFileBytes(photo), "texte\n");
    EXPECT_TRUE(save.toolTip().contains("Ctrl+S"));
}

TEST_F(Editeur, UnsavedEditsAreAskedAboutHoweverTheEditorCloses)
{
    Editor.Init(WriteFile(Folder, "page.htm", "texte\n"));
    Editor.show();
    QTest::keyClicks(&TextBox(), "ajout ");
    const std::vector<std::function<void()>> closings = {
        [&] { Editor.findChild<QPushButton*>("closeButton")->click(); },
        [&] { QTest::keyClick(&TextBox(), Qt::Key_Escape); },
        [&] { Editor.close(); }, // the window's close button
    };
    for (const auto& close : closings) {
        close();
        EXPECT_TRUE(Editor.isVisible());
    }
    EXPECT_EQ(Dialogs.SaveChangesQuestions, 3);
    EXPECT_TRUE(Text().startsWith("ajout "));

    // Saving, but cancelling its dialog, keeps the editor open.
    Dialogs.SaveChangesAnswer = TUnsavedChoice::Save;
    Editor.close();
    EXPECT_TRUE(Editor.isVisible());
    Dialogs.SaveAnswers = {{InFolder("page.htm"), 1}};
    Dialogs.ReplaceAnswer = true;
    Editor.close();
    EXPECT_FALSE(Editor.isVisible());
    EXPECT_EQ(ReadFileBytes(InFolder("page.htm")), "ajout texte\n");

    // Not saving closes and leaves the file as it was.
    Editor.show();
    QTest::keyClicks(&TextBox(), "perdu ");
    Dialogs.SaveChangesAnswer = TUnsavedChoice::Discard;
    QTest::keyClick(&TextBox(), Qt::Key_Escape);
    EXPECT_FALSE(Editor.isVisible());
    EXPECT_EQ(ReadFileBytes(InFolder("page.htm")), "ajout texte\n");
    EXPECT_EQ(Dialogs.SaveChangesQuestions, 6);
}

TEST(EditeurPrinting, PrintsTheLinesOrNothingWhenCancelled)
{
    QTemporaryDir folder;
    TRecordingErrorBox errors;
    TFakeDialogs dialogs;
    const QString pdf = folder.filePath("source.pdf");
    bool cancel = true;
    TEditeur editor(errors, dialogs, [&](QWidget*) -> std::unique_ptr<QPrinter> {
        if (cancel)
            return nullptr;
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    });
    editor.Init(WriteFile(folder, "page.htm", "<h1>Titre</h1>\r\n<p>Corps du texte</p>\r\n"));
    editor.show();
    auto* printButton = editor.findChild<QToolButton*>("printButton");
    printButton->click();
    EXPECT_FALSE(QFile::exists(pdf));

    cancel = false;
    printButton->click();
    EXPECT_TRUE(errors.Messages.empty());
    ASSERT_TRUE(QFile::exists(pdf));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is needed to read the printed file back";
    QProcess reader;
    reader.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(reader.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(reader.readAllStandardOutput()).split('\n').mid(0, 2),
              (QStringList{"<h1>Titre</h1>", "<p>Corps du texte</p>"}));
}

TEST_F(Editeur, CloseButtonFollowsTheRightEdge)
{
    Editor.show();
    Editor.resize(500, 300);
    EXPECT_EQ(Editor.findChild<QPushButton*>("closeButton")->x(), 400);
    Editor.resize(700, 300);
    EXPECT_EQ(Editor.findChild<QPushButton*>("closeButton")->x(), 600);
}

class PageSave : public testing::Test {
protected:
    // Saves the page as if the dialog had been answered with a name and a filter.
    void SaveAs(const std::string& source, const std::string& name, int filterIndex)
    {
        SavePageAs({Folder.path().toStdString() + "/" + name, filterIndex}, source, Errors);
    }

    QTemporaryDir Folder;
    TRecordingErrorBox Errors;
    std::string Page = WriteFile(Folder, "page.htm", "<p>Caf&eacute;</p>\n");
};

constexpr int kHtmlFilter = 1;
constexpr int kTextFilter = 2;

TEST_F(PageSave, TextFilterWritesPlainTextAndAddsTxtToANameWithoutDot)
{
    SaveAs(Page, "notes", kTextFilter);
    EXPECT_EQ(ReadFileBytes(Folder.path().toStdString() + "/notes.txt"), "Caf\xE9\r\n");
    SaveAs(Page, "copie", kHtmlFilter);
    EXPECT_EQ(ReadFileBytes(Folder.path().toStdString() + "/copie.htm"), "<p>Caf&eacute;</p>\n");
    EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(PageSave, AMissingSourceIsShownAndWritesNothing)
{
    SaveAs(Folder.path().toStdString() + "/absente.htm", "sortie.txt", kTextFilter);
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_NE(Errors.Messages[0].find("absente.htm"), std::string::npos);
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"page.htm"});
}

TEST(SmallWindows, SubmitResultsShowsActionMethodAndLines)
{
    TSubmitForm window;
    window.SetResults("cgi-bin/commande", "POST", {"nom=Z\xE9" "f", "qte=2"});
    EXPECT_EQ(window.windowTitle(), "Submit Results");
    EXPECT_EQ(BoxText(window, "actionBox"), "cgi-bin/commande");
    EXPECT_EQ(BoxText(window, "methodBox"), "POST");
    const auto* list = window.findChild<QListWidget*>("resultList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("nom=Zéf"));

    window.SetResults("a", "GET", {});
    EXPECT_EQ(list->count(), 0);
}

TEST(SmallWindows, AboutBoxClosesWithOk)
{
    TAboutBox window;
    EXPECT_EQ(window.windowTitle(), "A propos");
    auto* ok = window.findChild<QPushButton*>("okButton");
    EXPECT_TRUE(ok->isDefault());
    window.show();
    ok->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
}

TEST(SmallWindows, SplashIsATealPanelWithTheProductName)
{
    TSplash splash;
    splash.ShowNow();
    EXPECT_EQ(splash.size(), QSize(318, 221));
    const auto* title = splash.findChild<QLabel*>("title");
    EXPECT_EQ(title->text(), "Zef Web");
    EXPECT_EQ(title->font().pixelSize(), 23);
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->font().family(), "Arial");
    EXPECT_EQ(splash.findChild<QLabel*>("version")->text(), "Version 1.0");
    EXPECT_EQ(splash.findChild<QLabel*>("picture")->size(), QSize(105, 105));
    const QImage shown = splash.grab().toImage();
    EXPECT_EQ(shown.pixelColor(300, 200), QColor(0, 128, 128));
}

// The question before a program starts: Enter or Escape says no, only a click
// on "Oui" says yes.
TEST(ShellDialogs, YesNoQuestionDefaultsToNo)
{
    TQtShellDialogs dialogs;
    const auto answer = [&dialogs](const std::function<void(QMessageBox&)>& user) {
        QTimer::singleShot(0, [&user] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QString::fromUtf8("Exécuter le programme « /bin/prog -a » ?"));
            user(*box);
        });
        return dialogs.AskYesNo(nullptr, "Ex\xE9" "cuter le programme \xAB /bin/prog -a \xBB ?");
    };
    const auto press = [](int key) {
        return [key](QMessageBox& box) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(box.focusWidget() ? box.focusWidget() : &box, &event);
        };
    };
    const auto clickButton = [](const char* text) {
        return [text](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons())
                if (button->text() == text)
                    button->click();
        };
    };
    EXPECT_FALSE(answer(press(Qt::Key_Return)));
    EXPECT_FALSE(answer(press(Qt::Key_Escape)));
    EXPECT_FALSE(answer(clickButton("Non")));
    EXPECT_TRUE(answer(clickButton("Oui")));
}
