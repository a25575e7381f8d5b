#include "accessories/Blocnotes.h"
#include "accessories/LinePrinter.h"

#include "AccessoryTestSupport.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

// By default a page 100 mm wide and 60 mm high, without margins.
std::unique_ptr<QPrinter> PdfPrinter(const QString& fileName, QSizeF millimetres = QSizeF(100, 60))
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(fileName);
    printer->setPageSize(QPageSize(millimetres, QPageSize::Millimeter));
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    return printer;
}

QFont MonoFont()
{
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(16); // 12 points: 7,2 points a character, 39 on a 100 mm line
    return font;
}

struct TWordBox {
    QString word;
    double left;
    double bottom;
};

class PrintingTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is needed to read printed PDF files back";
        ASSERT_TRUE(folder.isValid());
    }

    QString PdfPath(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    static QString PdfToText(const QString& path, const QStringList& options)
    {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), options + QStringList { path, QStringLiteral("-") });
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // The pages, each as its text lines without surrounding spaces or blank lines.
    static std::vector<QStringList> Pages(const QString& path)
    {
        std::vector<QStringList> pages;
        QStringList pageTexts = PdfToText(path, { QStringLiteral("-layout") }).split(u'\f');
        pageTexts.removeLast(); // after the last form feed
        for (const QString& pageText : pageTexts) {
            QStringList lines;
            for (const QString& line : pageText.split(u'\n'))
                if (!line.trimmed().isEmpty())
                    lines << line.trimmed();
            pages.push_back(lines);
        }
        return pages;
    }

    static std::vector<TWordBox> Words(const QString& path)
    {
        static const QRegularExpression wordPattern(
            QStringLiteral(R"re(<word xMin="([-0-9.]+)" yMin="[-0-9.]+" xMax="[-0-9.]+" yMax="([-0-9.]+)">([^<]*)</word>)re"));
        std::vector<TWordBox> words;
        const QString boxes = PdfToText(path, { QStringLiteral("-bbox") });
        for (const QRegularExpressionMatch& match : wordPattern.globalMatch(boxes))
            words.push_back({ match.captured(3), match.captured(1).toDouble(), match.captured(2).toDouble() });
        return words;
    }

    QTemporaryDir folder;
};

TEST_F(PrintingTest, LongLinesContinueOnTheNextPrintedLine)
{
    const QString path = PdfPath("wrap.pdf");
    const QString words = QStringLiteral("Les sanglots longs des violons de l'automne blessent mon coeur d'une langueur monotone");
    const QString longWord(60, u'x');
    ASSERT_TRUE(PrintLines(*PdfPrinter(path), MonoFont(), QStringLiteral("Essai"), { words, longWord, QStringLiteral("fin") }));

    const std::vector<QStringList> pages = Pages(path);
    ASSERT_EQ(pages.size(), 1u);
    const QStringList& lines = pages[0];
    ASSERT_EQ(lines.size(), 6);
    // Words are broken at spaces, each printed line within 39 characters.
    EXPECT_EQ(lines[0], QStringLiteral("Les sanglots longs des violons de"));
    EXPECT_EQ(QStringList(lines.mid(0, 3)).join(u' '), words);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 39) << line.toStdString();
    // A word wider than the page is cut where the page ends.
    EXPECT_EQ(lines[3], QString(39, u'x'));
    EXPECT_EQ(lines[4], QString(21, u'x'));
    EXPECT_EQ(lines[5], QStringLiteral("fin"));
}

TEST_F(PrintingTest, TabsStopAtEightAverageCharacterWidths)
{
    const QString path = PdfPath("tabs.pdf");
    ASSERT_TRUE(PrintLines(*PdfPrinter(path), MonoFont(), QStringLiteral("Essai"),
                           { QStringLiteral("a\tb"), QStringLiteral("abcdefghi\tk\tl"), QStringLiteral("\tm") }));
    constexpr double kTabPoints = 8 * 7.2;
    std::map<QString, double> lefts;
    for (const TWordBox& word : Words(path))
        lefts[word.word] = word.left;
    const std::map<QString, double> expected = { { QStringLiteral("a"), 0 },
                                                 { QStringLiteral("b"), kTabPoints },
                                                 { QStringLiteral("abcdefghi"), 0 },
                                                 { QStringLiteral("k"), 2 * kTabPoints },
                                                 { QStringLiteral("l"), 3 * kTabPoints },
                                                 { QStringLiteral("m"), kTabPoints } };
    ASSERT_EQ(lefts.size(), expected.size());
    for (const auto& [word, left] : expected)
        EXPECT_NEAR(lefts[word], left, 0.5) << word.toStdString();
}

TEST_F(PrintingTest, ANewPageStartsWhenTheNextLineDoesNotFit)
{
    const QString path = PdfPath("pages.pdf");
    QStringList lines;
    for (int number = 1; number <= 40; ++number)
        lines << QStringLiteral("ligne %1").arg(number);
    const std::unique_ptr<QPrinter> printer = PdfPrinter(path);
    const QFontMetricsF metrics(QFont(QStringLiteral("Liberation Mono"), 12), printer.get());
    const int linesPerPage = static_cast<int>(std::floor(printer->height() / metrics.lineSpacing()));
    ASSERT_TRUE(PrintLines(*printer, MonoFont(), QStringLiteral("Essai"), lines));

    const std::vector<QStringList> pages = Pages(path);
    ASSERT_EQ(static_cast<int>(pages.size()), (40 + linesPerPage - 1) / linesPerPage);
    QStringList printed;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page + 1 < pages.size()) {
            EXPECT_EQ(pages[page].size(), linesPerPage) << "page " << page + 1;
        }
        printed += pages[page];
    }
    EXPECT_EQ(printed, lines);
    // Every line lies within its page (60 mm is 170 points).
    for (const TWordBox& word : Words(path))
        EXPECT_LE(word.bottom, 170.1);
}

TEST_F(PrintingTest, RefusedJobReportsFailure)
{
    EXPECT_FALSE(PrintLines(*PdfPrinter(PdfPath("absent/folder/job.pdf")), MonoFont(), QStringLiteral("Essai"),
                            { QStringLiteral("texte") }));
}

class BlocnotesTest : public PrintingTest {
protected:
    void Open()
    {
        // The page is wider than the box: its lines print unchanged.
        blocnotes = std::make_unique<TBlocnotes>(errorBox, NotesFile(), [this](QWidget*) {
            return printFile.isEmpty() ? nullptr : PdfPrinter(printFile, QSizeF(210, 100));
        });
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPixelSize(13);
        blocnotes->TextBox()->setFont(font);
        ShowActive(*blocnotes);
    }

    QString NotesFile() const { return folder.filePath(QStringLiteral("donnees/blocnotes.txt")); }

    TRecordingErrorBox errorBox;
    QString printFile;
    std::unique_ptr<TBlocnotes> blocnotes;
};

TEST_F(BlocnotesTest, KeepsItsTextWhileHidden)
{
    Open();
    EXPECT_EQ(blocnotes->width(), 533);
    EXPECT_EQ(blocnotes->height(), 334);
    EXPECT_EQ(blocnotes->CloseButton()->x(), 533 - 125);
    EXPECT_TRUE(blocnotes->TextBox()->hasFocus());
    Type(*blocnotes, "Acheter du pain");
    blocnotes->CloseButton()->click();
    EXPECT_FALSE(blocnotes->isVisible());
    ShowActive(*blocnotes);
    EXPECT_EQ(blocnotes->TextBox()->toPlainText(), QStringLiteral("Acheter du pain"));

    blocnotes->resize(700, 400);
    EXPECT_EQ(blocnotes->CloseButton()->x(), 700 - 125);
}

TEST_F(BlocnotesTest, KeepsItsTextFromOneRunToTheNext)
{
    Open();
    const QString notes = QStringLiteral("Acheter du pain\n") + QString(35000, u'n');
    blocnotes->TextBox()->setPlainText(notes);
    blocnotes->CloseButton()->click();
    EXPECT_TRUE(errorBox.Messages.empty());

    // A run that never opens the notepad leaves the notes alone.
    blocnotes = std::make_unique<TBlocnotes>(errorBox, NotesFile());
    blocnotes->SaveNotes();
    blocnotes.reset();

    Open();
    EXPECT_EQ(blocnotes->TextBox()->toPlainText(), notes);

    // A folder where the notes should be is reported, and the box stays empty.
    blocnotes.reset();
    QFile::remove(NotesFile());
    QDir().mkpath(NotesFile());
    Open();
    EXPECT_TRUE(blocnotes->TextBox()->toPlainText().isEmpty());
    ASSERT_EQ(errorBox.Messages.size(), 1u);
    EXPECT_NE(errorBox.Messages[0].find("Impossible de lire le bloc-notes"), std::string::npos);
}

TEST_F(BlocnotesTest, PrintsTheLinesAsTheBoxShowsThem)
{
    Open();
    const QString paragraph = QString(QStringLiteral("mot ")).repeated(40).trimmed();
    blocnotes->TextBox()->setPlainText(QStringLiteral("Premi\u00e8re ligne\n\nSecond\tline\n") + paragraph);
    QApplication::processEvents();
    const QStringList shown = blocnotes->ShownLines();
    ASSERT_GT(shown.size(), 4); // the paragraph is wider than the box
    EXPECT_EQ(shown[0], QStringLiteral("Premi\u00e8re ligne"));
    EXPECT_EQ(shown.mid(3).join(QString()).simplified(), paragraph);

    printFile = PdfPath("notes.pdf");
    blocnotes->Imprimer();
    EXPECT_TRUE(errorBox.Messages.empty());
    const std::vector<QStringList> pages = Pages(printFile);
    ASSERT_EQ(pages.size(), 1u);
    QStringList expected;
    for (const QString& line : shown)
        if (!line.trimmed().isEmpty())
            expected << line.trimmed();
    expected[1] = QStringLiteral("Second   line"); // the tab as pdftotext lays it out
    QStringList printed = pages[0];
    printed[1] = printed[1].simplified().replace(u' ', QStringLiteral("   "));
    EXPECT_EQ(printed.join(u'|').toStdString(), expected.join(u'|').toStdString());
}

TEST_F(BlocnotesTest, EmptyNotepadPrintsAnEmptyJob)
{
    Open();
    printFile = PdfPath("empty.pdf");
    blocnotes->Imprimer();
    EXPECT_TRUE(errorBox.Messages.empty());
    ASSERT_TRUE(QFile::exists(printFile));
    EXPECT_TRUE(PdfToText(printFile, {}).trimmed().isEmpty());
}

TEST_F(BlocnotesTest, PrintFailureIsReportedAndTheTextStays)
{
    Open();
    blocnotes->TextBox()->setPlainText(QStringLiteral("garder"));
    printFile = PdfPath("absent/folder/notes.pdf");
    blocnotes->Imprimer();
    const std::string folderName = PdfPath("absent/folder").toStdString();
    ASSERT_EQ(errorBox.Messages, std::vector<std::string> { "L'impression a \xE9" "chou\xE9 : le dossier \xAB " +
                                                            folderName + " \xBB n'existe pas" });
    EXPECT_EQ(blocnotes->TextBox()->toPlainText(), QStringLiteral("garder"));

    // The print dialog cancelled: nothing printed, nothing said.
    printFile.clear();
    blocnotes->Imprimer();
    EXPECT_EQ(errorBox.Messages.size(), 1u);
}

} // namespace
