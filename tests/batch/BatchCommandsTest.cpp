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
    EXPECT_EQ(names, (std::vector<std::string>{"build", "layout", "paint-top", "relayout", "zoom", "paint-bottom", "peak-mb"}));
    EXPECT_EQ(Zefweb({"--bench", page + ".absent"}).Code, 1);
    EXPECT_EQ(Zefweb({"--bench", page, "--repeat", "0"}).Code, 2);
}

// A view at 200 % is a page of half the width drawn twice as large: the
// dump says so in page pixels, and the picture is twice the pixels.
TEST(BatchCommands, ZoomForRenderDumpAndBench)
{
    const QTemporaryDir folder;
    const std::string page = folder.path().toStdString() + "/page.htm";
    std::ofstream(page) << "<H1>Titre</H1><P>Un paragraphe qui se coupe en plusieurs lignes quand la page est "
                           "assez \xE9troite pour cela, et encore un peu de texte.";
    EXPECT_EQ(Zefweb({"--dump", page, "--width", "800", "--zoom", "200"}).Out,
              Zefweb({"--dump", page, "--width", "400"}).Out);
    const std::string large = folder.path().toStdString() + "/large.png";
    const std::string small = folder.path().toStdString() + "/small.png";
    ASSERT_EQ(Zefweb({"--render", page, "--output", large, "--width", "600", "--height", "300", "--zoom", "200"}).Code, 0);
    ASSERT_EQ(Zefweb({"--render", page, "--output", small, "--width", "600", "--height", "300"}).Code, 0);
    // The text's ink starts twice as far from the corner.
    const auto inkTop = [](const QImage& picture) {
        for (int y = 3; y < picture.height(); ++y)
            for (int x = 3; x < picture.width() - 30; ++x)
                if (qGray(picture.pixel(x, y)) < 100)
                    return y;
        return -1;
    };
    EXPECT_NEAR(inkTop(QImage(QString::fromStdString(large))), 2 * inkTop(QImage(QString::fromStdString(small))), 3);
    EXPECT_EQ(Zefweb({"--bench", page, "--repeat", "1", "--zoom", "300"}).Code, 0);

    for (const std::string wrong : {"49", "301", "cent"}) {
        const TRun refused = Zefweb({"--dump", page, "--zoom", wrong});
        EXPECT_EQ(refused.Code, 2) << wrong;
        EXPECT_NE(refused.Err.find("--zoom"), std::string::npos) << refused.Err;
    }
}

TEST(BatchCommands, PdfOnThePaperAskedFor)
{
    const QTemporaryDir folder;
    const std::string page = folder.path().toStdString() + "/page.htm";
    std::ofstream(page) << "<TITLE>Essai</TITLE><BODY BGCOLOR=NAVY TEXT=WHITE><P>Le texte de la page.";
    const std::string pdf = folder.path().toStdString() + "/page.pdf";
    const TRun letter = Zefweb({"--pdf", page, "--output", pdf, "--paper", "letter"});
    ASSERT_EQ(letter.Code, 0) << letter.Err;
    const std::string bytes = ReadFileBytes(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    // Letter is 612 x 792 points.
    EXPECT_NE(bytes.find("/MediaBox [0 0 612.000000 792.000000]"), std::string::npos);

    const TRun noPaper = Zefweb({"--pdf", page, "--output", pdf, "--paper", "A3"});
    EXPECT_EQ(noPaper.Code, 2);
    EXPECT_EQ(noPaper.Err, "zefweb: --paper attend A4 ou Letter\n");
    EXPECT_EQ(Zefweb({"--pdf", page}).Code, 2);
    EXPECT_EQ(Zefweb({"--pdf", page + ".absent", "--output", pdf}).Code, 1);
    const TRun unwritable = Zefweb({"--pdf", page, "--output", folder.path().toStdString() + "/absent/page.pdf"});
    EXPECT_EQ(unwritable.Code, 1);
    EXPECT_FALSE(unwritable.Err.empty());
}

} // namespace
