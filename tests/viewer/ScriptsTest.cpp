// Pages in other scripts than the Latin one, as a reader meets them: shown,
// copied, found, broken into lines, and sent from a form.

#include "tests/viewer/ViewerFixture.h"

#include "engine/base/Cp1252.h"
#include "engine/forms/HtmlForm.h"
#include "engine/text/Section.h"

#include <QClipboard>
#include <QLineEdit>

#include <algorithm>

namespace {

class TScriptsTest : public TViewerTest {
protected:
    // Loads a UTF-8 page holding one paragraph.
    void LoadParagraph(const std::string& utf8)
    {
        Pane().LoadHtmlFile(WriteFile("page.html", "<HTML><BODY><P>" + utf8 + "</P></BODY></HTML>"));
    }

    QString CopiedAll()
    {
        Pane().SelectAll();
        QGuiApplication::clipboard()->clear();
        Pane().CopyToClipboard();
        return QGuiApplication::clipboard()->text();
    }

    // The sections that hold text.
    std::vector<const TSection*> Sections()
    {
        std::vector<const TSection*> sections;
        Document().VisitItems([&](const TSectionBase& item) {
            if (const auto* section = dynamic_cast<const TSection*>(&item); section && section->Length > 0)
                sections.push_back(section);
        });
        return sections;
    }

    // The text of each line of the first section, as Unicode.
    std::vector<QString> Lines()
    {
        std::vector<QString> lines;
        const TSection& section = *Sections().front();
        for (int index = 0; index < static_cast<int>(section.Lines.size()); ++index) {
            const LineRec line = section.Lines[index];
            lines.push_back(Cp1252ToQString(section.EngineText(line.Start, line.Count)).trimmed());
        }
        return lines;
    }

    // Whether the picture holds dark ink (text) anywhere.
    static bool HasInk(const QImage& image)
    {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 100)
                    return true;
        return false;
    }
};

struct TScriptPage {
    const char* Script;
    const char* Text;     // the paragraph, in UTF-8
    const char* Searched; // found in it, in another letter case where the script has one
};

TEST_F(TScriptsTest, PagesInEveryScriptAreShownCopiedAndFound)
{
    const std::vector<TScriptPage> pages = {
        {"grec", "Ελληνικά: αβγ δέλτα ωμέγα", "ΔΈΛΤΑ"},
        {"russe", "Русский текст: привет, мир", "ПРИВЕТ"},
        {"japonais", "日本語のテキスト、ひらがなとカタカナ。", "ひらがな"},
        {"chinois", "中文文本，汉字显示。", "汉字"},
        {"arabe", "النص العربي مرحبا بكم", "مرحبا"},
        {"hébreu", "טקסט בעברית שלום לכם", "שלום"},
    };
    for (const TScriptPage& page : pages) {
        SCOPED_TRACE(page.Script);
        LoadParagraph(page.Text);
        ASSERT_FALSE(Sections().empty());
        EXPECT_TRUE(Sections().front()->HasWideText());
        EXPECT_EQ(CopiedAll(), QString::fromUtf8(page.Text) + "\r\n");
        EXPECT_TRUE(HasInk(Paint()));

        const std::string searched = QStringToEngineText(QString::fromUtf8(page.Searched));
        const int found = Document().Search(0, searched, false);
        const QList<uint> text = QString::fromUtf8(page.Text).toCaseFolded().toUcs4();
        const QList<uint> word = QString::fromUtf8(page.Searched).toCaseFolded().toUcs4();
        EXPECT_EQ(found, std::search(text.begin(), text.end(), word.begin(), word.end()) - text.begin());
        ASSERT_TRUE(Pane().Find(searched, false));
        Pane().CopyToClipboard();
        EXPECT_EQ(QGuiApplication::clipboard()->text().toCaseFolded(), QString::fromUtf8(page.Searched).toCaseFolded());
    }
}

TEST_F(TScriptsTest, ChineseAndJapaneseBreakBetweenCharactersNotBeforeClosingMarks)
{
    Pane().resize(90, kHeight);
    QApplication::processEvents();
    LoadParagraph("日本語の文章は、空白なしで続きます。「括弧」の中も同じです。中文也是这样，没有空格。");
    const std::vector<QString> lines = Lines();
    ASSERT_GT(lines.size(), 3u);
    const QString noStart = QStringLiteral("、。，」");
    const QString noEnd = QStringLiteral("「");
    for (const QString& line : lines) {
        ASSERT_FALSE(line.isEmpty());
        EXPECT_FALSE(noStart.contains(line.front())) << line.toStdString();
        EXPECT_FALSE(noEnd.contains(line.back())) << line.toStdString();
    }
    // Russian breaks only at its spaces.
    LoadParagraph("Русский текст переносится только между словами");
    for (const QString& line : Lines())
        EXPECT_TRUE(QStringLiteral("Русский текст переносится только между словами").contains(line))
            << line.toStdString();
}

TEST_F(TScriptsTest, CombiningAccentsAndCharactersBeyondTheBasicPlaneAreWhole)
{
    // "cafe" with a combining acute accent, a clef and a face beyond U+FFFF.
    LoadParagraph("cafe\xCC\x81 \xF0\x9D\x84\x9E &#x1F600; fin");
    EXPECT_EQ(CopiedAll(), QStringLiteral("cafe\u0301 \U0001D11E \U0001F600 fin\r\n"));
    // One position a character: "fin" starts at the eleventh.
    EXPECT_EQ(Document().Search(0, "fin", true), 10);

    // A drag that ends between the letter and its accent takes the accent.
    Paint();
    const QPoint start = PointOf(0) - QPoint(2, 0);
    Press(start);
    Move(PointOf(4) - QPoint(1, 0), Qt::LeftButton);
    Release(PointOf(4) - QPoint(1, 0));
    QGuiApplication::clipboard()->clear();
    Pane().CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("cafe\u0301"));
}

TEST_F(TScriptsTest, ReferencesByNameAndNumberInTextTitleAndAttributes)
{
    Pane().LoadFromBuffer("<TITLE>&alpha; &rarr; &#x263A;</TITLE>"
                          "<P>&#x263A; &#8594; &rarr; &alpha;&Omega; &le; &hellip; &#150; &bogus; &#xD800;"
                          "<IMG SRC=\"none.gif\" ALT=\"&alpha;&rarr;&#x263A; &eacute;\">");
    EXPECT_EQ(Cp1252ToQString(Pane().DocumentTitle()), QStringLiteral("α → ☺"));
    EXPECT_TRUE(CopiedAll().startsWith(QStringLiteral("☺ → → αΩ ≤ … – &bogus; ?")));
    const TSection& section = *Sections().front();
    ASSERT_EQ(section.Images().Count(), 1);
    EXPECT_EQ(Cp1252ToQString(section.Images()[0].AltText), QStringLiteral("α→☺ é"));
}

TEST_F(TScriptsTest, FormValuesKeepTheirCharactersWhenSubmitted)
{
    std::vector<std::string> delivered;
    Pane().SetOnFormSubmit([&](THtmlPane&, const std::string&, const std::string&, const std::string&,
                               const std::string&, std::vector<std::string> results) {
        delivered = std::move(results);
    });
    Pane().LoadHtmlFile(WriteFile("form.html", "<FORM ACTION=\"go\"><INPUT NAME=a VALUE=\"日本&#x263A;\">"
                                               "<INPUT NAME=b VALUE=\"\"></FORM>"));
    Paint();
    const QList<QLineEdit*> edits = Pane().findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->text(), QStringLiteral("日本☺"));
    edits[1]->setText(QStringLiteral("Ωμέγα"));
    ASSERT_FALSE(Pane().Page().Forms().empty());
    Pane().Page().Forms().front()->Submit();
    QApplication::processEvents();
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(Cp1252ToQString(delivered[0]), QStringLiteral("a=日本☺"));
    EXPECT_EQ(Cp1252ToQString(delivered[1]), QStringLiteral("b=Ωμέγα"));
}

TEST_F(TScriptsTest, WindowsCodePageTextKeepsItsBytes)
{
    // A UTF-8 page whose characters all have a Windows-1252 byte is kept as
    // those bytes, and measured by the code page's table.
    LoadParagraph("D\xC3\xA9j\xC3\xA0 vu \xE2\x80\x94 \xE2\x80\x9C" "ok\xE2\x80\x9D \xE2\x82\xAC");
    const TSection& section = *Sections().front();
    EXPECT_FALSE(section.HasWideText());
    EXPECT_EQ(std::string_view(section.Text()), "D\xE9j\xE0 vu \x97 \x93ok\x94 \x80");
    EXPECT_EQ(CopiedAll(), QStringLiteral("Déjà vu — “ok” €\r\n"));
}

} // namespace

TEST_F(TScriptsTest, DoubleClickAndWholeWordFindTakeWordsOfEveryScript)
{
    LoadParagraph("Море — синее; η θάλασσα, 日本語 fin");
    Paint();
    const auto doubleClickCopies = [this](int position) {
        const QPoint point = PointOf(position) + QPoint(2, 0);
        Click(point);
        SendMouse(QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton);
        Release(point);
        QGuiApplication::clipboard()->clear();
        Pane().CopyToClipboard();
        return QGuiApplication::clipboard()->text();
    };
    EXPECT_EQ(doubleClickCopies(8), QStringLiteral("синее"));
    EXPECT_EQ(doubleClickCopies(17), QStringLiteral("θάλασσα"));
    EXPECT_EQ(doubleClickCopies(24), QStringLiteral("日本語"));

    // A whole-word find passes over a match inside a longer word.
    LoadParagraph("синеет, синее");
    TFindOptions wholeWord;
    wholeWord.WholeWord = true;
    EXPECT_NE(Pane().FindText(QStringToEngineText(QStringLiteral("синее")), wholeWord), TFindOutcome::NotFound);
    EXPECT_EQ(Document().SelectionBegin, 8);
}
