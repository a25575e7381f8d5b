// Printing the shown page into PDF files read back with pdftotext: every
// line once and in order, sheets cut between lines, rows and pictures, the
// view laid out again as before.

#include "tests/viewer/ViewerFixture.h"

#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>

namespace {

class TPrintTest : public TViewerTest {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is needed to read printed PDF files back";
        TViewerTest::SetUp();
    }

    QString PrintToPdf(const TPrintOptions& options)
    {
        const QString path = QString::fromStdString(Folder() + "/out.pdf");
        QPdfWriter writer(path);
        SetUpPdfWriter(writer, QPageSize(QPageSize::A4), QStringLiteral("Essai"));
        const std::optional<QString> failure = Pane().Print(writer, options);
        EXPECT_FALSE(failure.has_value()) << failure->toStdString();
        return path;
    }

    // The first sheet as a small picture (pdftoppm); null without the program.
    QImage FirstSheetPicture(const TPrintOptions& options)
    {
        const QString path = PrintToPdf(options);
        const QString picture = QString::fromStdString(Folder() + "/sheet");
        QProcess process;
        process.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), path, picture});
        process.waitForFinished();
        return QImage(picture + QStringLiteral(".png"));
    }

    // Prints the shown page on A4; the text of each sheet, as pdftotext reads it.
    std::vector<QStringList> PrintSheets(const TPrintOptions& options = {})
    {
        const QString path = PrintToPdf(options);
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
        process.waitForFinished();
        QStringList texts = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
        texts.removeLast();
        std::vector<QStringList> sheets;
        for (const QString& text : texts) {
            QStringList lines;
            for (const QString& line : text.split(u'\n'))
                if (!line.trimmed().isEmpty())
                    lines << line.simplified();
            sheets.push_back(lines);
        }
        return sheets;
    }

    // The lines of all sheets that start with the prefix, in order.
    static QStringList LinesStartingWith(const std::vector<QStringList>& sheets, const QString& prefix)
    {
        QStringList found;
        for (const QStringList& sheet : sheets)
            for (const QString& line : sheet)
                if (line.startsWith(prefix))
                    found << line;
        return found;
    }
};

TEST_F(TPrintTest, ThreeThousandLinesEachOnceInOrderAndNumberedSheets)
{
    std::string text;
    for (int line = 1; line <= 3000; ++line)
        text += "Ligne " + std::to_string(line) + " de la page, entière\n";
    Pane().LoadTextFile(WriteFile("lines.txt", text));
    Pane().SetPosition(200 << 16);
    const int position = Pane().Position();
    const int height = Pane().DocHeight();

    const std::vector<QStringList> sheets = PrintSheets();
    ASSERT_GT(sheets.size(), 40u);
    const QStringList lines = LinesStartingWith(sheets, QStringLiteral("Ligne "));
    ASSERT_EQ(lines.size(), 3000);
    for (int line = 0; line < 3000; ++line)
        ASSERT_EQ(lines[line], QStringLiteral("Ligne %1 de la page, entière").arg(line + 1));
    for (std::size_t sheet = 0; sheet < sheets.size(); ++sheet)
        EXPECT_EQ(sheets[sheet].back(), QStringLiteral("%1 / %2").arg(sheet + 1).arg(sheets.size()));

    // The view is as it was.
    EXPECT_EQ(Pane().Position(), position);
    EXPECT_EQ(Pane().DocHeight(), height);
}

TEST_F(TPrintTest, ALongTableBreaksBetweenRows)
{
    std::string page = "<HTML><BODY><TABLE BORDER=1>";
    for (int row = 1; row <= 300; ++row)
        page += "<TR><TD>Rang " + std::to_string(row) + "<TD>suite " + std::to_string(row) +
                "<BR>seconde ligne " + std::to_string(row) + "</TR>";
    Pane().LoadHtmlFile(WriteFile("table.htm", page + "</TABLE></BODY></HTML>"));

    const std::vector<QStringList> sheets = PrintSheets();
    ASSERT_GT(sheets.size(), 5u);
    // Both lines of a row's second cell land on the sheet of the row.
    int rows = 0;
    for (const QStringList& sheet : sheets) {
        for (const QString& line : sheet) {
            if (!line.startsWith(QStringLiteral("Rang ")))
                continue;
            ++rows;
            const QString number = line.section(u' ', 1, 1);
            EXPECT_TRUE(sheet.contains(QStringLiteral("seconde ligne ") + number)) << number.toStdString();
        }
    }
    EXPECT_EQ(rows, 300);
}

TEST_F(TPrintTest, APictureTallerThanASheetIsCutAndTheTextGoesOn)
{
    std::filesystem::copy_file(FixturePage("red.bmp"), Folder() + "/red.bmp");
    Pane().SetViewImages(true);
    Pane().LoadHtmlFile(WriteFile("tall.htm", "<P>Avant l'image<P><IMG SRC=\"red.bmp\" WIDTH=60 HEIGHT=2500>"
                                              "<P>Après l'image"));
    const std::vector<QStringList> sheets = PrintSheets();
    ASSERT_GE(sheets.size(), 3u);
    EXPECT_TRUE(sheets.front().contains(QStringLiteral("Avant l'image")));
    EXPECT_TRUE(sheets.back().contains(QStringLiteral("Après l'image")));
}

TEST_F(TPrintTest, FormControlsArePrintedWithWhatWasTyped)
{
    Pane().LoadHtmlFile(WriteFile("form.htm", "<FORM><P>Nom : <INPUT NAME=nom VALUE=Dupont>"
                                              "<P><INPUT TYPE=SUBMIT VALUE=\"Envoyer le message\"></FORM>"));
    Paint();
    auto* edit = Pane().PaintPanel().findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("Durand"));
    const QPoint place = edit->pos();

    const std::vector<QStringList> sheets = PrintSheets();
    ASSERT_EQ(sheets.size(), 1u);
    const QString text = sheets.front().join(u'\n');
    EXPECT_TRUE(text.contains(QStringLiteral("Durand"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Envoyer le message"))) << text.toStdString();
    // The widget is back where the view shows it.
    Paint();
    EXPECT_EQ(edit->pos(), place);
    EXPECT_TRUE(edit->isVisible());
}

TEST_F(TPrintTest, ThePageBackgroundOnlyOnRequest)
{
    Pane().LoadHtmlFile(WriteFile("red.htm", "<BODY BGCOLOR=\"#FF0000\" TEXT=BLACK><P>Sur fond rouge"));
    const QImage plain = FirstSheetPicture({});
    if (plain.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is needed to look at a printed sheet";
    // Inside the margins, away from the text and the number.
    const QPoint inside(plain.width() / 2, plain.height() / 2);
    EXPECT_EQ(plain.pixelColor(inside), QColor(Qt::white));
    TPrintOptions background;
    background.Background = true;
    EXPECT_EQ(FirstSheetPicture(background).pixelColor(inside), QColor(Qt::red));
}

TEST_F(TPrintTest, AFailureSaysWhyAndKeepsTheView)
{
    Pane().LoadHtmlFile(WriteLongPage("long.htm"));
    const int height = Pane().DocHeight();
    QPdfWriter writer(QString::fromStdString(Folder() + "/no/such/folder/out.pdf"));
    const std::optional<QString> failure = Pane().Print(writer, {});
    ASSERT_TRUE(failure.has_value());
    EXPECT_TRUE(failure->contains(QStringLiteral("imprimante"))) << failure->toStdString();
    EXPECT_EQ(Pane().DocHeight(), height);
}

} // namespace
