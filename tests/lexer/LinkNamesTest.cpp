// References in pages turned into POSIX file names.

#include "engine/lexer/LinkNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TEST(LinkNames, TrimNameDropsBlanksAndControls)
{
    EXPECT_EQ(TrimName(" \t\r\n page.htm \r\n"), "page.htm");
    EXPECT_EQ(TrimName(" \t "), "");
    EXPECT_EQ(TrimName("a b"), "a b");
}

// Links naming a control character name no file, and messages show it
// escaped; a space, "~", a no-break space and accented letters are ordinary.
TEST(LinkNames, ControlCharactersEndWhereOrdinaryCharactersStart)
{
    EXPECT_FALSE(HasControlCharacter("deux mots~caf\xC3\xA9\xC2\xA0.htm"));
    for (const char* name : {"a\x1F", "a\x7F", "a\xC2\x80", "a\xC2\x9F", "\x01"})
        EXPECT_TRUE(HasControlCharacter(name)) << EscapeControlCharacters(name);
    EXPECT_EQ(EscapeControlCharacters("a\x1F b\x7F~\xC2\x9F\xC2\xA0.htm"), "a\\x1F b\\x7F~\\xC2\\x9F\xC2\xA0.htm");
}

TEST(LinkNames, LinkToPathDecodesPercentsAsDesigned)
{
    EXPECT_EQ(LinkToPath("x%2541.htm"), "xA.htm"); // the decoded "%" is decoded again
    EXPECT_EQ(LinkToPath("%41.htm"), "%41.htm");   // a leading "%" stops decoding
    EXPECT_EQ(LinkToPath("a%20b%zz%41"), "a b%zz%41");
    EXPECT_EQ(LinkToPath("ab%4"), "ab%4");
    EXPECT_EQ(LinkToPath("a%41"), "aA");
    EXPECT_EQ(LinkToPath("My%20Page.htm"), "My Page.htm");
}

TEST(LinkNames, LinkToPathConvertsUrlsAndBackslashesKeepingCase)
{
    EXPECT_EQ(LinkToPath("file:///home/u/Dir/Page.htm"), "/home/u/Dir/Page.htm");
    EXPECT_EQ(LinkToPath("FILE:///home/u/x.htm"), "/home/u/x.htm");
    EXPECT_EQ(LinkToPath("dir\\My File.htm"), "dir/My File.htm");
    EXPECT_EQ(LinkToPath("a|b/c"), "a:b/c");
    EXPECT_EQ(LinkToPath("Page.HTM"), "Page.HTM");
}

TEST(LinkNames, LinkToPathGivesUtf8FileNames)
{
    EXPECT_EQ(LinkToPath("caf\xE9.htm"), "caf\xC3\xA9.htm");
    EXPECT_EQ(LinkToPath("caf%E9.htm"), "caf\xC3\xA9.htm");
    EXPECT_EQ(LinkToPath("caf%C3%A9.htm"), "caf\xC3\xA9.htm");
}

TEST(LinkNames, LongReferencesDecodeInLinearTime)
{
    std::string link = "x";
    std::string expected = "x";
    for (int index = 0; index < 200000; ++index) {
        link += "%41";
        expected += 'A';
    }
    EXPECT_EQ(LinkToPath(link), expected);
}

TEST(LinkNames, ServerRootPrefixesAbsoluteReferences)
{
    EXPECT_EQ(ServerLinkToPath("/img/a.gif", "/srv/web"), "/srv/web/img/a.gif");
    EXPECT_EQ(ServerLinkToPath("img/a.gif", "/srv/web"), "img/a.gif");
    EXPECT_EQ(ServerLinkToPath("/img/a.gif", ""), "/img/a.gif");
}

TEST(LinkNames, ExpandLink)
{
    EXPECT_EQ(ExpandLink("/img/a.gif", "/srv/web", "", "/home/u/index.htm"), "/srv/web/img/a.gif");
    EXPECT_EQ(ExpandLink("/img/../b/./a.gif", "", "", "/home/u/index.htm"), "/b/a.gif");
    EXPECT_EQ(ExpandLink(" pics/a.gif\r\n", "", "", "/site/index.htm"), "/site/pics/a.gif");
    EXPECT_EQ(ExpandLink("../b.htm", "", "", "/site/sub/index.htm"), "/site/b.htm");
    EXPECT_EQ(ExpandLink("x.htm", "", "file:///home/u/Base/", "/site/index.htm"), "/home/u/Base/x.htm");
    // A base that names a page, or lacks its final "/", counts up to its last "/".
    EXPECT_EQ(ExpandLink("img/logo.gif", "", "file:///site/index.htm", "/other/page.htm"), "/site/img/logo.gif");
    EXPECT_EQ(ExpandLink("img/logo.gif", "", "/site/docs", "/other/page.htm"), "/site/img/logo.gif");
    EXPECT_EQ(ExpandLink("img\\a.gif", "", "dospath", "/site/index.htm"), "img/a.gif");
    EXPECT_EQ(ExpandLink("x.htm", "", "", ""), (fs::current_path() / "x.htm").lexically_normal().string());
}

class LinkNamesCase : public testing::Test {
protected:
    void SetUp() override
    {
        Root = fs::temp_directory_path() / ("zef_case_" + std::to_string(::getpid()));
        fs::create_directories(Root / "Site" / "Images");
        fs::create_directories(Root / "Dup");
        Touch(Root / "Site" / "Images" / "Logo.GIF");
        Touch(Root / "Site" / "Index.htm");
        Touch(Root / "Dup" / "a.htm");
        Touch(Root / "Dup" / "A.htm");
    }
    void TearDown() override { fs::remove_all(Root); }
    static void Touch(const fs::path& path) { std::ofstream(path) << "x"; }
    std::string At(const std::string& relative) const { return (Root / relative).string(); }
    fs::path Root;
};

TEST_F(LinkNamesCase, UniqueMatchesAreFoundFolderByFolder)
{
    EXPECT_EQ(ResolveFileNameCase(At("site/images/logo.gif")), At("Site/Images/Logo.GIF"));
    EXPECT_EQ(ResolveFileNameCase(At("SITE/index.HTM")), At("Site/Index.htm"));
    EXPECT_EQ(ResolveFileNameCase(At("Site/Index.htm")), At("Site/Index.htm"));
}

TEST_F(LinkNamesCase, AmbiguousOrMissingNamesStayAsWritten)
{
    EXPECT_EQ(ResolveFileNameCase(At("dup/A.HTM")), At("dup/A.HTM"));
    EXPECT_EQ(ResolveFileNameCase(At("Dup/a.htm")), At("Dup/a.htm"));
    EXPECT_EQ(ResolveFileNameCase(At("site/none.htm")), At("site/none.htm"));
}

} // namespace
