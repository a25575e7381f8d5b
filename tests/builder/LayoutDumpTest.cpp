// Layout dumps of the pages in tests/pages: each NAME.html laid out at 400
// pixels and compared with NAME.expected, written by hand from the rules.

#include "engine/builder/HtmlBuilder.h"
#include "engine/builder/LayoutDump.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

std::vector<std::filesystem::path> DumpPages()
{
    std::vector<std::filesystem::path> pages;
    for (const auto& entry : std::filesystem::directory_iterator(TestsDir() / "pages"))
        if (entry.path().extension() == ".html")
            pages.push_back(entry.path());
    std::sort(pages.begin(), pages.end());
    return pages;
}

} // namespace

TEST(LayoutDump, EveryPageMatchesItsExpectedDump)
{
    const std::vector<std::filesystem::path> pages = DumpPages();
    ASSERT_FALSE(pages.empty());
    for (const std::filesystem::path& page : pages) {
        SCOPED_TRACE(page.filename().string());
        std::filesystem::path expected = page;
        expected.replace_extension(".expected");
        std::ostringstream dump;
        TDumpOptions options;
        options.Width = 400;
        DumpPageFile(page.string(), options, dump);
        EXPECT_EQ(dump.str(), ReadFileBytes(expected));
    }
}

TEST(LayoutDump, TextAndImageSourcesAndMissingFiles)
{
    std::ostringstream text;
    DumpPageFile((TestsDir() / "pages" / "pre.html").string(), {400, TViewedFileType::Text}, text);
    // As plain text the tags are shown: the lines of the file are the lines
    // of one preformatted item, each ended by its line end.
    EXPECT_NE(text.str().find("TPreFormated y=5 h=60 pos=0+"), std::string::npos);
    EXPECT_NE(text.str().find("text \"<PRE>\\x0Dx</PRE><PRE>"), std::string::npos);
    EXPECT_NE(text.str().find("line 0+6 y=5 x=0\n  line 6+18 y=20 x=0"), std::string::npos);

    std::ostringstream image;
    DumpPageFile((TestsDir() / "pages" / "pre.html").string(), {400, TViewedFileType::Image}, image);
    EXPECT_NE(image.str().find("text \"[img]\""), std::string::npos);
    EXPECT_NE(image.str().find("src=\"pre.html\""), std::string::npos);

    std::ostringstream missing;
    EXPECT_THROW(DumpPageFile("/no/such/page.htm", {}, missing), EFileError);
    // A folder is no page file, whichever way it would be shown.
    const std::string folder = (TestsDir() / "pages").string();
    for (const TViewedFileType as : {TViewedFileType::Html, TViewedFileType::Text, TViewedFileType::Image})
        EXPECT_THROW(DumpPageFile(folder, {400, as}, missing), EFileError);
}

TEST(LayoutDump, TooManyColumnsIsReportedInTheDump)
{
    // Anchors inside the dropped table, one of them in a table nested in it,
    // go with it; the one after it stays.
    std::string html = "<TABLE><TR><TD><A NAME=inside>in</A><TABLE><TR><TD><A NAME=nested>n</A></TABLE>";
    for (int i = 0; i < 30; ++i)
        html += "<TD>x";
    html += "</TABLE><A NAME=after>after</A>";
    std::ostringstream dump;
    DumpPageText(html, {}, dump);
    EXPECT_NE(dump.str().find("error \"Table has too many Columns\""), std::string::npos);
    EXPECT_EQ(dump.str().find("ThtmlTable"), std::string::npos);
    EXPECT_NE(dump.str().find("anchor \"AFTER\""), std::string::npos);
    EXPECT_EQ(dump.str().find("anchor \"INSIDE\""), std::string::npos);
    EXPECT_EQ(dump.str().find("anchor \"NESTED\""), std::string::npos);
}
