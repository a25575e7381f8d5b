// The zoom keys of the main window, the zoom kept between runs, and the
// Fichier menu's printing, preview and PDF export through the fake dialogs.

#include "tests/window/ShellFixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

class ZoomPrintTest : public ShellTest {
protected:
    void StartOn(const std::string& page)
    {
        Start();
        Viewer().AddressBox().setText(QString::fromStdString(page));
        QTest::keyClick(&Viewer().AddressBox(), Qt::Key_Return);
        Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Main()));
        Pane().setFocus();
    }

    std::string LongPage() const
    {
        std::string page = "<TITLE>Longue</TITLE>";
        for (int paragraph = 1; paragraph <= 120; ++paragraph)
            page += "<P>Paragraphe " + std::to_string(paragraph) + " de la page longue.\n";
        return Write("longue.htm", page);
    }

    static void Press(int key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }

    static QString PdfText(const QString& path)
    {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
};

TEST_F(ZoomPrintTest, ZoomKeysOnEveryLayoutAndTheZoomKeptForTheNextRun)
{
    StartOn(LongPage());
    Pane().SetPosition(40 << 16);
    const int item = Pane().Position() >> 16;
    QLabel& shown = Main().ZoomPanel();
    EXPECT_FALSE(shown.isVisibleTo(&Main()));

    Press(Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(Pane().ZoomPercent(), 110);
    Press(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(Pane().ZoomPercent(), 125);
    Press(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Pane().ZoomPercent(), 150);
    EXPECT_TRUE(shown.isVisibleTo(&Main()));
    EXPECT_EQ(shown.text(), QStringLiteral("Zoom : 150 %"));
    EXPECT_EQ(Pane().Position() >> 16, item);
    Press(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(Pane().ZoomPercent(), 125);
    Press(Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(Pane().ZoomPercent(), 100);
    EXPECT_FALSE(shown.isVisibleTo(&Main()));
    EXPECT_EQ(Pane().Position() >> 16, item);

    Commands().ZoomIn->trigger();
    Commands().ZoomIn->trigger();
    EXPECT_EQ(Settings.ZoomPercent(), 125);

    // The next run starts at that zoom.
    Shell.reset();
    Start();
    EXPECT_EQ(Pane().ZoomPercent(), 125);
    EXPECT_TRUE(Main().ZoomPanel().isVisibleTo(&Main()));
    EXPECT_EQ(Main().ZoomPanel().text(), QStringLiteral("Zoom : 125 %"));
}

TEST_F(ZoomPrintTest, PrintPreviewAndPdfExportOfThePageShown)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is needed to read printed PDF files back";
    StartOn(LongPage());
    const QString printed = Folder.filePath("imprime.pdf");

    // Cancelled: nothing printed.
    Press(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Dialogs.PrintDialogs, 1);
    EXPECT_FALSE(QFile::exists(printed));

    Dialogs.PrintToPdf = printed;
    Press(Qt::Key_P, Qt::ControlModifier);
    const QString text = PdfText(printed);
    EXPECT_TRUE(text.contains(QStringLiteral("Paragraphe 1 de la page longue.")));
    EXPECT_TRUE(text.contains(QStringLiteral("Paragraphe 120 de la page longue.")));
    QFile::remove(printed);

    Commands().PrintPreview->trigger();
    EXPECT_EQ(Dialogs.Previews, 1);
    EXPECT_TRUE(PdfText(printed).contains(QStringLiteral("Paragraphe 60 de la page longue.")));

    // The export proposes the page's name, adds ".pdf", and writes the same text.
    const std::string exported = Folder.path().toStdString() + "/export";
    Dialogs.SaveAnswers.push_back(TSaveChoice{exported, 1});
    Commands().ExportPdf->trigger();
    ASSERT_EQ(Dialogs.SaveRequests.size(), 1u);
    EXPECT_EQ(Dialogs.SaveRequests.front().ProposedName, QStringLiteral("longue.pdf"));
    EXPECT_TRUE(PdfText(QString::fromStdString(exported + ".pdf")).contains(QStringLiteral("Paragraphe 90")));
    EXPECT_TRUE(Errors.Messages.empty());
}

} // namespace
