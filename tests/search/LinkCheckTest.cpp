// The link check on a small site: one broken target of each kind, found at
// its line, and the references the viewer would follow that are not broken.

#include "app/batch/CommandLine.h"
#include "app/search/LinkCheck.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class LinkCheckTest : public testing::Test {
protected:
    QTemporaryDir Work;
    std::string Site = Work.filePath("site").toStdString();

    void Write(const std::string& name, const std::string& bytes) const
    {
        const std::filesystem::path path = std::filesystem::path(Site) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string Describe(const TLinkReport& report)
    {
        std::string text;
        for (const TBrokenLink& link : report.Broken)
            text += link.Page + ":" + std::to_string(link.Line) + " " + link.Kind + " " + link.Target + "\n";
        return text;
    }
};

TEST_F(LinkCheckTest, EachKindOfBrokenTargetAtItsLine)
{
    Write("Dessins/Logo.GIF", "GIF89a");
    Write("images/fond.gif", "GIF89a");
    Write("Suite.htm", "<a name=\"Haut\">haut</a> <a name=suite>suite</a>");
    Write("inclus.txt", "texte inclus");
    Write("sous/dossier/index.html", "rien");
    Write("index.html",
          "<html><body background=\"images/fond.gif\">\n"                        // 1: exists
          "<a href=\"suite.htm\">la suite</a> <img src=\"dessins/logo.gif\">\n"    // 2: letter case only
          "<a href=\"absente.html\">une page perdue</a>\n"                        // 3: broken link
          "<img src=\"img/manque.png\" alt=x>\n"                                  // 4: broken picture
          "<!--#include file=\"inclus.txt\"--><!--#include file=\"perdu.txt\"-->\n" // 5: one broken include
          "<a href=\"#ici\">ici</a> <a name=ici></a> <a href=\"#ailleurs\">x</a>\n" // 6: missing own anchor
          "<a href=\"Suite.htm#haut\">h</a><a href=\"suite.htm#bas\">bas</a>\n"   // 7: missing anchor elsewhere
          "<a href=\"http://exemple.fr/x.html\">web</a> <a href=\"mailto:a@b.fr\">m</a>\n" // 8: not checked
          "<a href=\"sous/dossier/\">dossier</a> <a href=\"suite.htm?q=1\">q</a>\n" // 9: fine
          "</body>\n");
    Write("sous/fond.html", "<body background=\"../nul.gif\">\n<a href=\"../index.html#ICI\">retour</a>");
    Write("sous/base.html", "<base href=\"file://" + Site + "/images/\">\n<img src=\"fond.gif\"><img src=\"rien.gif\">");
    Write("notes.txt", "<a href=\"absente.html\">pas un lien dans un texte</a>");

    const TLinkReport report = CheckFolderLinks(Site);
    EXPECT_EQ(report.Pages, 5);
    EXPECT_EQ(Describe(report), "index.html:3 lien absente.html\n"
                                "index.html:4 image img/manque.png\n"
                                "index.html:5 inclusion perdu.txt\n"
                                "index.html:6 ancre #ailleurs\n"
                                "index.html:7 ancre suite.htm#bas\n"
                                "sous/base.html:2 image rien.gif\n"
                                "sous/fond.html:1 fond ../nul.gif\n");
    ASSERT_FALSE(report.Broken.empty());
    EXPECT_EQ(report.Broken[0].Shown, "une page perdue");
}

TEST_F(LinkCheckTest, CommandLineListsEachBrokenTarget)
{
    Write("a.html", "<a href=\"b.html\">b</a>\n\n<img src=\"c.gif\">");
    Write("b.html", "<a href=\"B.HTML\">b</a>");
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine({"--check-links", Site}, out, err), 1);
    EXPECT_EQ(out.str(), "a.html:3: image : c.gif\n");
    std::filesystem::remove(Site + "/a.html");
    std::ostringstream none, noErr;
    EXPECT_EQ(RunCommandLine({"--check-links", Site}, none, noErr), 0);
    EXPECT_EQ(none.str(), "");
}

} // namespace
