// The lexer's symbol stream, attributes, reading modes and include comments.

#include "engine/lexer/Lexer.h"
#include "engine/lexer/TokenDump.h"

#include "tests/TestSupport.h"

#include <gmock/gmock.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string Dump(std::string page)
{
    std::ostringstream out;
    WriteTokenDumpOfText(std::move(page), out);
    return out.str();
}

// The symbols of a page read in one of the special modes, as "symbol:text".
enum class TMode { Text, Pre, TextArea, Script, ScriptWithHandler };

std::vector<std::string> ReadInMode(std::string page, TMode mode)
{
    THtmlLexer lexer;
    lexer.StartMemory(std::move(page));
    lexer.SetPreformatted(mode == TMode::Pre);
    lexer.SetScriptMode(mode == TMode::ScriptWithHandler);
    std::vector<std::string> symbols;
    for (;;) {
        const TSymbol symbol = mode == TMode::TextArea                 ? lexer.NextTextAreaSymbol()
            : mode == TMode::Pre || mode == TMode::Text ? lexer.NextSymbol()
                                                          : lexer.NextScriptSymbol();
        const std::string text(lexer.TokenText());
        switch (symbol) {
        case TSymbol::EndOfInput:
            return symbols;
        case TSymbol::LineEnd:
            symbols.push_back("line");
            break;
        case TSymbol::TextRun:
            symbols.push_back("text:" + text);
            break;
        case TSymbol::UnknownTag:
            symbols.push_back("unknown:" + text);
            break;
        case TSymbol::TextAreaEnd:
        case TSymbol::ScriptEnd:
            symbols.push_back("end:" + text);
            break;
        default:
            symbols.push_back(std::string(TagName(symbol)) + ":" + text);
            break;
        }
    }
}

std::string Entity(std::string_view source) { return Dump(std::string(source)); }

TEST(Lexer, SpacesAndLineEndsCollapseOutsidePre)
{
    EXPECT_EQ(Dump("a  \r\n\t b"), "text \"a b\"\neof\n");
    // A comment between spaces is skipped with them.
    EXPECT_EQ(Dump("a \n<!-- c -->\n b"), "text \"a b\"\neof\n");
}

TEST(Lexer, PreKeepsSpacesAndFoldsEachLineEndToOneCr)
{
    EXPECT_THAT(ReadInMode("a  \r\n\t b", TMode::Pre), testing::ElementsAre("text:a  \r  b"));
    // CR, LF, CR LF and LF CR each make one line end.
    EXPECT_THAT(ReadInMode("a\rb\nc\r\nd\n\re\r\rf", TMode::Pre),
        testing::ElementsAre("text:a\rb\rc\rd\re\r\rf"));
}

TEST(Lexer, TextRunsAreCutAtAHundredCharacters)
{
    const std::string run(250, 'x');
    EXPECT_EQ(Dump(run), "text \"" + run.substr(0, 100) + "\"\ntext \"" + run.substr(0, 100) + "\"\ntext \""
            + run.substr(0, 50) + "\"\neof\n");
}

// Running text with single and doubled spaces, tabs and line ends at every
// offset: the runs join to the text with each stretch of white space folded
// to one space, and every run but the last is a hundred characters long.
TEST(Lexer, LongRunningTextFoldsItsSpacesWhereverTheyFall)
{
    for (const bool pre : {false, true}) {
        std::string page;
        std::string expected;
        for (int index = 0; page.size() < 20000; ++index) {
            const std::string word = "w" + std::string(static_cast<std::size_t>(index % 11), 'o') + "rd";
            static const std::array<std::string_view, 5> kSpaces = {" ", " ", "  ", "\t", " \r\n "};
            const std::string_view spaces = kSpaces[static_cast<std::size_t>(index % 5)];
            page += word;
            page += spaces;
            expected += word;
            expected += pre ? (spaces.size() == 4 ? " \r " : std::string(spaces.size(), ' ')) : " ";
        }
        std::string joined;
        std::vector<std::string> runs = ReadInMode(page, pre ? TMode::Pre : TMode::Text);
        for (std::size_t index = 0; index < runs.size(); ++index) {
            ASSERT_EQ(runs[index].substr(0, 5), "text:");
            if (index + 1 < runs.size()) {
                EXPECT_EQ(runs[index].size(), 105u) << "run " << index;
            }
            joined += runs[index].substr(5);
        }
        EXPECT_EQ(joined, expected) << (pre ? "pre" : "text");
    }
}

TEST(Lexer, NamedEntities)
{
    EXPECT_EQ(Entity("&amp;&lt;&gt;&quot;"), "text \"&\"\ntext \"<\"\ntext \">\"\ntext \"\\x22\"\neof\n");
    EXPECT_EQ(Entity("&AMP;"), "text \"&AMP;\"\neof\n");
    EXPECT_EQ(Entity("&eacute;&Eacute;&yuml"), "text \"\\xE9\"\ntext \"\\xC9\"\ntext \"\\xFF\"\neof\n");
    // Without ";" the character after the name stays in the text.
    EXPECT_EQ(Entity("&nbsp x"), "text \"\\xA0\"\ntext \" x\"\neof\n");
    EXPECT_EQ(Entity("&unknown;"), "text \"&unknown;\"\neof\n");
    EXPECT_EQ(Entity("&verylongname;"), "text \"&verylong\"\ntext \"name;\"\neof\n");
    // The rest of HTML 4: a Windows-1252 byte where the code page has one,
    // else the character itself; names are told apart by case.
    EXPECT_EQ(Entity("&lsquo;&hellip&euro;&Dagger;&dagger;&apos;&thetasym;&rarr;&rArr;&alpha;&Omega;"),
              "text \"\\x91\"\ntext \"\\x85\"\ntext \"\\x80\"\ntext \"\\x87\"\ntext \"\\x86\"\ntext \"'\"\n"
              "text \"\\u03D1\"\ntext \"\\u2192\"\ntext \"\\u21D2\"\ntext \"\\u03B1\"\ntext \"\\u03A9\"\neof\n");
    EXPECT_EQ(Entity("& b"), "text \"&\"\ntext \" b\"\neof\n");
}

TEST(Lexer, NumericEntities)
{
    EXPECT_EQ(Entity("&#65;"), "text \"A\"\neof\n");
    // Both sides of the control codes' end and of the single bytes' end.
    EXPECT_EQ(Entity("&#31;&#32;&#255;&#256;"), "text \"&#31;\"\ntext \" \"\ntext \"\\xFF\"\ntext \"\\u0100\"\neof\n");
    EXPECT_EQ(Entity("&#9;&#150;&#255;"), "text \" \"\ntext \"\\x96\"\ntext \"\\xFF\"\neof\n");
    EXPECT_EQ(Entity("&#7;&#;&#x;&#0;"), "text \"&#7;\"\ntext \"&#;\"\ntext \"&#x;\"\ntext \"&#0;\"\neof\n");
    EXPECT_EQ(Entity("&#1234567"), "text \"&#123456\"\ntext \"7\"\neof\n");
    EXPECT_EQ(Entity("&#x1234567"), "text \"&#x123456\"\ntext \"7\"\neof\n");
    // Above 255, decimal or hexadecimal: the Windows-1252 byte or the
    // character itself; a surrogate or a number beyond Unicode the stand-in.
    EXPECT_EQ(Entity("&#8217;&#x2014;&#X20ac&#9731;&#300;&#x10FFFF;&#x110000;&#xD800;"),
              "text \"\\x92\"\ntext \"\\x97\"\ntext \"\\x80\"\ntext \"\\u2603\"\ntext \"\\u012C\"\n"
              "text \"\\u10FFFF\"\ntext \"?\"\ntext \"?\"\neof\n");
    EXPECT_EQ(Entity("&#000065x"), "text \"A\"\ntext \"x\"\neof\n");
}

TEST(Lexer, CommentsAndDeclarationsAreSkipped)
{
    EXPECT_EQ(Dump("a<!-- a -- b -->b"), "text \"ab\"\neof\n");
    EXPECT_EQ(Dump("<!-- x --   \r\n>c"), "text \"c\"\neof\n");
    EXPECT_EQ(Dump("<!---->d<!-- -- -- -->e"), "text \"de\"\neof\n");
    EXPECT_EQ(Dump("<!DOCTYPE html>f<!->g"), "text \"fg\"\neof\n");
    EXPECT_EQ(Dump("<!-- one --><!-- two --><B>"), "<B>\neof\n");
}

TEST(Lexer, UnclosedCommentEndsTheInputAfterTheTextBeforeIt)
{
    const std::string error = "error \"Open Comment at End of HTML File\"\n";
    EXPECT_EQ(Dump("<B>Hello world <!-- rest"), "<B>\ntext \"Hello world \"\n" + error);
    EXPECT_EQ(Dump("<!DOCTYPE"), error);
    EXPECT_EQ(Dump("<A HREF=\"x<!-- \">"), error);

    THtmlLexer textArea;
    textArea.StartMemory("line<!-- rest");
    EXPECT_EQ(textArea.NextTextAreaSymbol(), TSymbol::TextRun);
    EXPECT_EQ(textArea.TokenText(), "line");
    EXPECT_THROW(textArea.NextTextAreaSymbol(), EParseError);
}

TEST(Lexer, StrayAngleBracketsAndControlCharacters)
{
    EXPECT_EQ(Dump("a < b"), "text \"a \"\ntext \"<\"\ntext \" b\"\neof\n");
    EXPECT_EQ(Dump("a > b"), "text \"a \"\nchar \">\"\ntext \" b\"\neof\n");
    EXPECT_EQ(Dump("a\001b"), "text \"a\"\nchar \"\\x01\"\ntext \"b\"\neof\n");
    EXPECT_EQ(Dump("<"), "text \"<\"\neof\n");
    // Byte 26 ends the input wherever it is.
    EXPECT_EQ(Dump("a\032<B>b"), "text \"a\"\neof\n");
    // A NUL after "<" is not lost.
    EXPECT_EQ(Dump(std::string("<\0x", 3)), "text \"<\"\nchar \"\\x00\"\ntext \"x\"\neof\n");
}

TEST(Lexer, TagNamesAndHeadingLevels)
{
    EXPECT_EQ(Dump("<h3>a</H3><H7><H 2></h>"), "<H3>\ntext \"a\"\n</H3>\n<H>\n<H2>\n</H>\neof\n");
    EXPECT_EQ(Dump("</LI></BR><FOO bar=1></ x><blink>"), "<?>\n<?>\n<?>\n<?>\n<?>\neof\n");
    // Digits end a name; the rest of the tag is skipped.
    EXPECT_EQ(Dump("<B2 x>"), "<B>\neof\n");
    EXPECT_EQ(Dump("<" + std::string(200, 'B') + ">"), "<?>\neof\n");
    EXPECT_EQ(Dump("<B"), "<B>\neof\n");
}

TEST(Lexer, AttributeValueForms)
{
    EXPECT_EQ(Dump("<TD ALIGN=center WIDTH=50%>"), "<TD>\n  ALIGN 0 \"center\"\n  WIDTH 50 \"50%\"\neof\n");
    EXPECT_EQ(Dump("<TABLE BORDER><TABLE BORDER=0><TABLE BORDER=\"3\">"),
        "<TABLE>\n  BORDER 1 \"\"\n<TABLE>\n  BORDER 0 \"0\"\n<TABLE>\n  BORDER 3 \"3\"\neof\n");
    EXPECT_EQ(Dump("<FONT SIZE=+2><FONT SIZE=-1><FONT SIZE = 4 %><IMG WIDTH=12px>"),
        "<FONT>\n  SIZE 2 \"+2\"\n<FONT>\n  SIZE -1 \"-1\"\n<FONT>\n  SIZE 4 \"4%\"\n<IMG>\n  WIDTH 0 \"12px\"\neof\n");
    EXPECT_EQ(Dump("<FONT SIZE=+-3>"), "<FONT>\n  SIZE 0 \"+-3\"\neof\n");
    // Quoted values: line ends dropped, entities decoded, trimmed, ">" kept.
    EXPECT_EQ(Dump("<A HREF = ' x&amp;y\r\nz ' NAME=\"a>b\" TARGET='5%'>"),
        "<A>\n  HREF 0 \"x&yz\"\n  NAME 0 \"a>b\"\n  TARGET 5 \"5%\"\neof\n");
    EXPECT_EQ(Dump("<IMG SRC=\"abc"), "<IMG>\n  SRC 0 \"abc\"\neof\n");
    EXPECT_EQ(Dump("<IMG WIDTH=\"99999999999\" HEIGHT='5%%'>"),
        "<IMG>\n  WIDTH 0 \"99999999999\"\n  HEIGHT 0 \"5%%\"\neof\n");
    EXPECT_EQ(Dump("<META HTTP-EQUIV=Refresh CONTENT=\"5; URL=a.htm\">"),
        "<META>\n  HTTP-EQUIV 0 \"Refresh\"\n  CONTENT 0 \"5; URL=a.htm\"\neof\n");
    EXPECT_EQ(Dump("<INPUT TYPE=checkbox CHECKED SELECTED WRAP=soft>"),
        "<INPUT>\n  TYPE 0 \"checkbox\"\n  CHECKED 0 \"\"\n  SELECTED 0 \"\"\n  WRAP 0 \"soft\"\neof\n");
}

TEST(Lexer, AttributeListBelongsToTheLastTagThatKeepsAttributes)
{
    THtmlLexer lexer;
    lexer.StartMemory("<TD ALIGN=left ALIGN=right><B CLASS=x></TD><FOO ALIGN=center><P>");
    EXPECT_EQ(lexer.NextSymbol(), TSymbol::Td);
    ASSERT_EQ(lexer.Attributes().Size(), 2u);
    EXPECT_EQ(lexer.Attributes().Find(TSymbol::Align)->Text, "left");
    EXPECT_EQ(lexer.Attributes().Find(TSymbol::Width), nullptr);
    for (const TSymbol expected : {TSymbol::B, TSymbol::TdEnd, TSymbol::UnknownTag}) {
        EXPECT_EQ(lexer.NextSymbol(), expected);
        EXPECT_EQ(lexer.Attributes().Find(TSymbol::Align)->Text, "left");
    }
    EXPECT_EQ(lexer.NextSymbol(), TSymbol::P);
    EXPECT_TRUE(lexer.Attributes().Empty());
}

TEST(Lexer, ContentSymbolsClearTheFirstItemFlag)
{
    THtmlLexer lexer;
    lexer.StartMemory("<B><P><FONT></TD></H2><BR><TABLE>x<IMG><I><HR><INPUT><SELECT><TEXTAREA><H2>");
    std::vector<bool> cleared;
    for (;;) {
        lexer.SetFirstItem(true);
        if (lexer.NextSymbol() == TSymbol::EndOfInput)
            break;
        cleared.push_back(!lexer.IsFirstItem());
    }
    EXPECT_THAT(cleared, testing::ElementsAre(false, false, false, false, false, true, true, true, true, false,
                             true, true, true, true, true));
}

TEST(Lexer, TextAreaBody)
{
    EXPECT_THAT(ReadInMode("\r\nline <b>bold</b>&lt;\n</TEXTAREA >rest", TMode::TextArea),
        testing::ElementsAre("line", "text:line ", "unknown:<b", "text:>bold", "unknown:</b", "text:>", "text:<",
            "line", "end:</TEXTAREA", "text: >rest"));
    // Spaces are kept and a comment is still skipped.
    EXPECT_THAT(ReadInMode("a  b<!-- c -->d", TMode::TextArea), testing::ElementsAre("text:a  bd"));
    // A line end written as a reference is a line end.
    EXPECT_THAT(ReadInMode("a&#13;b&#10;", TMode::TextArea), testing::ElementsAre("text:a", "line", "text:b", "line"));
}

TEST(Lexer, ScriptBody)
{
    EXPECT_THAT(ReadInMode("if (a<b) x(&amp;);\n</Script>", TMode::ScriptWithHandler),
        testing::ElementsAre("text:if (a", "unknown:<b", "text:) x(&amp;);", "line", "end:</Script>"));
    // With a handler "<!--" is script text; without one it is a comment.
    EXPECT_THAT(ReadInMode("x<!-- x -->y</SCRIPT >", TMode::ScriptWithHandler),
        testing::ElementsAre("text:x", "unknown:<", "text:!-- x -->y", "unknown:</SCRIPT", "text: >"));
    EXPECT_THAT(ReadInMode("<!-- x -->y</script>", TMode::Script), testing::ElementsAre("text:y", "end:</script>"));
    EXPECT_THAT(ReadInMode("</scriptx>", TMode::ScriptWithHandler), testing::ElementsAre("unknown:</script", "text:x>"));
}

TEST(Lexer, IncludeCommentsAreExpandedByTheHandler)
{
    THtmlLexer lexer;
    std::vector<std::string> commands;
    std::vector<std::string> parameters;
    lexer.SetIncludeHandler([&](const std::string& command, std::vector<std::string> params, const std::string&) {
        commands.push_back(command);
        parameters.insert(parameters.end(), params.begin(), params.end());
        // The included text holds an include comment of its own, which is skipped.
        return command == "include" ? std::string("<B>in<!--#date--></B>") : std::string();
    });
    lexer.StartMemory("a<!--#include file=\"x &amp; y.htm\"  Virtual=v -->b<!--#date-->c");
    std::vector<std::string> symbols;
    while (lexer.NextSymbol() != TSymbol::EndOfInput)
        symbols.push_back(lexer.Symbol() == TSymbol::TextRun ? std::string(lexer.TokenText())
                                                              : std::string(TagName(lexer.Symbol())));
    EXPECT_THAT(symbols, testing::ElementsAre("a", "B", "in", "B", "bc"));
    EXPECT_THAT(commands, testing::ElementsAre("include", "date"));
    EXPECT_THAT(parameters, testing::ElementsAre("FILE=\"x & y.htm\"", "VIRTUAL=\"v\""));
}

TEST(Lexer, IncludeCommentsAreCommentsWithoutAHandler)
{
    EXPECT_EQ(Dump("a<!--#include file=\"x.htm\" -->b"), "text \"ab\"\neof\n");
}

TEST(Lexer, FileInputReadsLikeMemoryInputAcrossBufferBoundaries)
{
    // CR LF pairs, comments and entities fall on every position of the file
    // blocks.
    std::string page;
    for (int index = 0; page.size() < 300000; ++index)
        page += "<TD WIDTH=" + std::to_string(index % 97) + "%>w" + std::to_string(index)
            + "\r\n<!-- c -- -->&eacute;&#65;\t" + std::string(static_cast<std::size_t>(index % 13), ' ');
    const auto path = std::filesystem::temp_directory_path() / "zef_lexer_file_input.html";
    {
        std::ofstream out(path, std::ios::binary);
        out << page;
    }
    std::ostringstream fromFile;
    WriteTokenDumpOfFile(path.string(), fromFile);
    std::filesystem::remove(path);
    EXPECT_EQ(fromFile.str(), Dump(page));
}

TEST(Lexer, Utf8FileIsConvertedAcrossBufferBoundaries)
{
    // Two- to four-byte sequences and a bad byte fall on every position of
    // the file blocks; the file reads as its conversion read from memory.
    std::string page = "\xEF\xBB\xBF";
    for (int index = 0; page.size() < 300000; ++index)
        page += "<P>\xC3\xA9" + std::string(static_cast<std::size_t>(index % 7), 'x')
            + "\xE2\x80\x99\r\n\xF0\x9F\x98\x80&eacute;\xC0" + std::to_string(index);
    const auto path = std::filesystem::temp_directory_path() / "zef_lexer_utf8_input.html";
    {
        std::ofstream out(path, std::ios::binary);
        out << page;
    }
    std::ostringstream fromFile;
    WriteTokenDumpOfFile(path.string(), fromFile);
    std::filesystem::remove(path);
    const std::string converted = ConvertToCp1252(page, TTextEncoding::Utf8);
    EXPECT_EQ(converted.substr(0, 21), "<P>\xE9\x92\r\n\x01\x87\xEC\x80&eacute;?0");
    EXPECT_EQ(fromFile.str(), Dump(converted));
}

TEST(Lexer, MissingFileOrFolderIsAnError)
{
    THtmlLexer lexer;
    EXPECT_THROW(lexer.StartFile("/nonexistent/zef/page.htm"), std::runtime_error);
    // A folder opens as a file on Linux; it must not read as an empty page.
    EXPECT_THROW(lexer.StartFile(std::filesystem::temp_directory_path().string()), std::runtime_error);
}

TEST(Lexer, TokenDumpsOfFixturePages)
{
    const auto folder = TestsDir() / "lexer" / "tokens";
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".html")
            continue;
        std::ostringstream out;
        WriteTokenDumpOfFile(entry.path().string(), out);
        auto expected = entry.path();
        expected.replace_extension(".expected");
        EXPECT_EQ(out.str(), ReadFileBytes(expected)) << entry.path();
        ++pages;
    }
    EXPECT_GE(pages, 4);
}

} // namespace
