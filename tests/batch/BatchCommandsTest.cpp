// The batch commands as a script meets them: what they print and their exit
// codes for the files people give them.

#include "app/batch/CommandLine.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

struct TRun {
    int Code = 0;
    std::string Out;
    std::string Err;
};

TRun Zefweb(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunCommandLine(arguments, out, err);
    return {code, out.str(), err.str()};
}

TEST(BatchCommands, DevicesFifosAndFoldersAreRefused)
{
    const QTemporaryDir folder;
    const std::string fifo = folder.path().toStdString() + "/tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string output = folder.path().toStdString() + "/sortie";
    // Each is refused with its cause in French, without waiting on it.
    const std::string device = " : c'est un p\xC3\xA9riph\xC3\xA9rique\n";
    const std::string pipe = " : c'est un tube nomm\xC3\xA9\n";
    for (const auto& [name, cause] : {std::pair{std::string("/dev/zero"), device}, std::pair{fifo, pipe},
                                      std::pair{folder.path().toStdString(), std::string(" : c'est un dossier\n")}}) {
        SCOPED_TRACE(name);
        const std::string refused = "zefweb: impossible d'ouvrir " + name + cause;
        EXPECT_EQ(Zefweb({"--text", name}).Err, refused);
        EXPECT_EQ(Zefweb({"--dump", name}).Err, refused);
        EXPECT_EQ(Zefweb({"--tokens", name}).Err, refused);
        EXPECT_EQ(Zefweb({"--bench", name, "--repeat", "1"}).Err, refused);
        const TRun exported = Zefweb({"--export-text", name, output});
        EXPECT_EQ(exported.Code, 1);
        EXPECT_EQ(exported.Err, "zefweb: Impossible d'ouvrir le fichier " + name + cause);
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

// The manual page and the README name every option --help lists.
TEST(BatchCommands, ManualAndReadmeListEveryHelpOption)
{
    const std::string help = kHelpText;
    std::set<std::string> options;
    const std::regex option("--[a-z][a-z-]*");
    for (auto match = std::sregex_iterator(help.begin(), help.end(), option); match != std::sregex_iterator(); ++match)
        options.insert(match->str());
    EXPECT_GE(options.size(), 15u);
    const std::string manual = ReadFileBytes(TestsDir() / ".." / "data" / "zefweb.1");
    const std::string readme = ReadFileBytes(TestsDir() / ".." / "README.md");
    for (const std::string& name : options) {
        // The manual writes each "-" as "\-".
        const std::string inManual = std::regex_replace(name, std::regex("-"), "\\-");
        EXPECT_NE(manual.find(inManual), std::string::npos) << name;
        EXPECT_NE(readme.find(name), std::string::npos) << name;
    }
}

// --png decodes PNG pictures for the commands that show a page; a PNG cut
// short gives the error picture even then.
TEST(BatchCommands, PngPicturesOnlyWithThePngOption)
{
    const QTemporaryDir folder;
    const std::string path = folder.path().toStdString();
    ASSERT_TRUE(QImage(30, 20, QImage::Format_RGB32).save(folder.filePath("photo.png"), "PNG"));
    const std::string photo = ReadFileBytes(path + "/photo.png");
    std::ofstream(path + "/cut.png", std::ios::binary) << photo.substr(0, photo.size() / 2);
    std::ofstream(path + "/page.htm") << "<IMG SRC=\"photo.png\"><IMG SRC=\"cut.png\">";
    // Without it, the error picture in its frame.
    EXPECT_NE(Zefweb({"--dump", path + "/page.htm"}).Out.find("photo.png\" 24x24"), std::string::npos);
    const TRun shown = Zefweb({"--dump", path + "/page.htm", "--png"});
    EXPECT_NE(shown.Out.find("photo.png\" 30x20"), std::string::npos) << shown.Out;
    EXPECT_NE(shown.Out.find("cut.png\" 24x24"), std::string::npos) << shown.Out;
    EXPECT_EQ(Zefweb({"--text", path + "/page.htm", "--png"}).Code, 0);
    EXPECT_EQ(Zefweb({"--bench", path + "/page.htm", "--png", "--repeat", "1"}).Code, 0);
    EXPECT_EQ(Zefweb({"--tokens", path + "/page.htm"}).Code, 0);
}

TEST(BatchCommands, TokensAndBenchPrintTheirReport)
{
    const QTemporaryDir folder;
    const std::string page = folder.path().toStdString() + "/page.htm";
    std::ofstream(page) << "<TD WIDTH=50%>A&amp;b</TD>>";
    const TRun tokens = Zefweb({"--tokens", page});
    EXPECT_EQ(tokens.Code, 0);
    EXPECT_EQ(tokens.Out, "<TD>\n  WIDTH 50 \"50%\"\ntext \"A\"\ntext \"&\"\ntext \"b\"\n</TD>\nchar \">\"\neof\n");
    EXPECT_EQ(tokens.Err, "");
    EXPECT_EQ(Zefweb({"--tokens", page + ".absent"}).Code, 1);
    const TRun bare = Zefweb({"--tokens"});
    EXPECT_EQ(bare.Code, 2);
    EXPECT_EQ(bare.Err, "zefweb: --tokens attend un nom de fichier\n");

    // One line per phase, a name and a number of milliseconds, then the peak memory.
    const TRun bench = Zefweb({"--bench", page, "--repeat", "1", "--width", "300"});
    EXPECT_EQ(bench.Code, 0) << bench.Err;
    std::istringstream lines(bench.Out);
    std::vector<std::string> names;
    std::string name;
    double value = -1;
    while (lines >> name >> value) {
        names.push_back(name);
        EXPECT_GE(value, 0) << name;
    }
    EXPECT_TRUE(lines.eof());
    EXPECT_EQ(names, (std::vector<std::string>{"build", "layout", "paint-top", "relayout", "paint-bottom", "peak-mb"}));
    EXPECT_EQ(Zefweb({"--bench", page + ".absent"}).Code, 1);
    EXPECT_EQ(Zefweb({"--bench", page, "--repeat", "0"}).Code, 2);
}

} // namespace
