#include "app/batch/CommandLine.h"
#include "app/files/PageExport.h"
#include "app/files/WholeFile.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/stat.h>

namespace {

std::string Converted(std::string line, std::uint8_t& flag)
{
    VireBalises(line, flag);
    return line;
}

std::string Converted(const std::string& line)
{
    std::uint8_t flag = kOutsideMarkup;
    return Converted(line, flag);
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Lowers the largest file this process may write, so that a write fails half
// way even for root; SIGXFSZ is ignored so the write reports EFBIG instead.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &Saved);
        SavedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = Saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, SavedHandler);
    }

private:
    rlimit Saved{};
    void (*SavedHandler)(int);
};

} // namespace

TEST(VireBalises, RemovesMarkupAndConvertsFrenchLetters)
{
    EXPECT_EQ(Converted("<p>Caf&eacute; cr&egrave;me</p>"), "Caf\xE9 cr\xE8me");
    EXPECT_EQ(Converted("&ecirc;&euml;&agrave;&acirc;&auml;&ugrave;&ucirc;&icirc;&iuml;&ocirc;&ouml;"),
              "\xEA\xEB\xE0\xE2\xE4\xF9\xFB\xEE\xEF\xF4\xF6");
    EXPECT_EQ(Converted("&copy; 1997"), "(c) 1997");
    EXPECT_EQ(Converted("a&nbsp;b"), "a b");
    EXPECT_EQ(Converted("<b>gras</b> et 3 > 2"), "gras et 3 > 2");
}

TEST(VireBalises, EscapedMarkupIsKeptSinceTagsGoFirst)
{
    EXPECT_EQ(Converted("&lt;b&gt;"), "<b>");
    EXPECT_EQ(Converted("<i>&lt;</i>"), "<");
}

// Every HTML 4 name and every number, wherever it stands in the line; an "&"
// that starts neither is text, and the character after a name without ";"
// is kept.
TEST(VireBalises, ConvertsEveryNameAndNumberAndKeepsTheRest)
{
    EXPECT_EQ(Converted("AT&T &amp; &eacute;t&eacute; &Eacute;t&eacute; & seul &unknown; &Amp;"),
              "AT&T & \xE9t\xE9 \xC9t\xE9 & seul &unknown; &Amp;");
    EXPECT_EQ(Converted("caf&eacute au lait, fin&nbsp"), "caf\xE9 au lait, fin ");
    EXPECT_EQ(Converted("&lsquo;x&rsquo; a&ndash;b&hellip;&#8212;&#x2014;&#150;&euro;&#9731;&hearts;"),
              "\x91x\x92 a\x96" "b\x85\x97\x97\x96\x80??");
    EXPECT_EQ(Converted("a&#13;b&#0;&#1234567"), "a\r\nb&#0;&#1234567");
    // The page's own encoding: UTF-8 text gets UTF-8 characters, including
    // those Windows-1252 lacks.
    std::string line = "<p>&eacute;&rsquo;&hearts;&copy;&nbsp;\xC3\xA9</p>";
    std::uint8_t flag = kOutsideMarkup;
    VireBalises(line, flag, TTextEncoding::Utf8);
    EXPECT_EQ(line, "\xC3\xA9\xE2\x80\x99\xE2\x99\xA5(c) \xC3\xA9");
}

TEST(VireBalises, MarkupSpanningLinesIsRemovedWhole)
{
    std::uint8_t flag = kOutsideMarkup;
    EXPECT_EQ(Converted("avant <a href=", flag), "avant ");
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(Converted("  \"page.htm\" title=x", flag), "");
    EXPECT_EQ(Converted("  >apr&egrave;s", flag), "apr\xE8s");
    EXPECT_EQ(flag, kOutsideMarkup);
}

// The HTML copy is the page's bytes; plain text ends every line with CR LF
// and is written in the page's encoding.
TEST(PageExport, CopyKeepsTheBytesAndTextEndsLinesWithCrLf)
{
    EXPECT_EQ(ExportPageText("a\r\nb\rc\nd", TExportFormat::PlainText), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(ExportPageText("a\n\nb\n", TExportFormat::PlainText), "a\r\n\r\nb\r\n");
    EXPECT_EQ(ExportPageText("<br>\n", TExportFormat::PlainText), "\r\n");
    // A line end written as a character number ends the line too.
    EXPECT_EQ(ExportPageText("<pre>un&#10;deux&#x0A;trois</pre>\n", TExportFormat::PlainText), "un\r\ndeux\r\ntrois\r\n");
    EXPECT_TRUE(ExportPageText("", TExportFormat::PlainText).empty());

    const std::string source = "<html>\n<p>Caf&eacute;\r<!-- note\r\n-->fin\xA0\x92</html>";
    EXPECT_EQ(ExportPageText(source, TExportFormat::Html), source);
    EXPECT_EQ(ExportPageText(source, TExportFormat::PlainText), "\r\nCaf\xE9\r\n\r\nfin\xA0\x92\r\n");

    const std::string utf8 = "\xEF\xBB\xBF<html><meta charset=utf-8>\n<p>Caf&eacute; \xE2\x80\x9C\xE2\x98\x83\xE2\x80\x9D"
                             "&nbsp;&rarr;\xC2\xA0</html>\n";
    EXPECT_EQ(ExportPageText(utf8, TExportFormat::Html), utf8);
    EXPECT_EQ(ExportPageText(utf8, TExportFormat::PlainText),
              "\xEF\xBB\xBF\r\nCaf\xC3\xA9 \xE2\x80\x9C\xE2\x98\x83\xE2\x80\x9D \xE2\x86\x92\xC2\xA0\r\n");
}

TEST(PageExport, TextFilterAddsTxtOnlyToANameWithoutAnyDot)
{
    EXPECT_EQ(ExportFileName("/home/u/notes", 2), "/home/u/notes.txt");
    EXPECT_EQ(ExportFileName("/home/u/site.v2/notes", 2), "/home/u/site.v2/notes");
    EXPECT_EQ(ExportFileName("/home/u/notes.htm", 2), "/home/u/notes.htm");
    EXPECT_EQ(ExportFileName("/home/u/page", 1), "/home/u/page.htm");
    EXPECT_EQ(ExportFileName("/home/u/site.v2/page", 1), "/home/u/site.v2/page.htm");
    EXPECT_EQ(ExportFileName("/home/u/page.html", 1), "/home/u/page.html");
    EXPECT_EQ(ExportFormatForFilter(1), TExportFormat::Html);
    EXPECT_EQ(ExportFormatForFilter(2), TExportFormat::PlainText);
}

TEST(WholeFile, SuccessfulWriteReplacesTheOldFile)
{
    QTemporaryDir folder;
    const std::filesystem::path target = folder.path().toStdString() + "/page.txt";
    WriteBytes(target, "old contents that are longer");
    EXPECT_FALSE(WriteFileAtomically(target.string(), "new"));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(FolderEntries(folder.path().toStdString()), std::vector<std::string>{"page.txt"});
}

TEST(WholeFile, FailedWriteLeavesTheOldFileWhole)
{
    QTemporaryDir folder;
    const std::filesystem::path target = folder.path().toStdString() + "/page.txt";
    WriteBytes(target, "old");
    std::optional<std::string> failure;
    {
        TFileSizeLimit limit(1024);
        failure = WriteFileAtomically(target.string(), std::string(64 * 1024, 'x'));
    }
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("page.txt"), std::string::npos) << *failure;
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FolderEntries(folder.path().toStdString()), std::vector<std::string>{"page.txt"});
}

TEST(WholeFile, PathUnderAFileIsReported)
{
    QTemporaryDir folder;
    const std::filesystem::path notAFolder = folder.path().toStdString() + "/plain";
    WriteBytes(notAFolder, "x");
    const std::optional<std::string> failure = WriteFileAtomically((notAFolder / "out.txt").string(), "y");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->rfind("Impossible d'\xE9" "crire le fichier ", 0), 0u) << *failure;
    EXPECT_EQ(ReadFileBytes(notAFolder), "x");
}

TEST(ExportTextOption, WritesTheFixtureAsPlainText)
{
    QTemporaryDir folder;
    const std::string output = folder.path().toStdString() + "/Page.txt";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine({"--export-text", (TestsDir() / "files/export/Page.htm").string(), output}, out, err), 0)
        << err.str();
    EXPECT_EQ(ReadFileBytes(output), ReadFileBytes(TestsDir() / "files/export/Page.txt"));
    EXPECT_TRUE(out.str().empty());
}

// The page named twice, by other spellings or through links, is never
// replaced by its own text.
TEST(ExportTextOption, ThePageIsNeverWrittenOverItself)
{
    QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    const std::filesystem::path page = root / "p.htm";
    WriteBytes(page, "<p>Caf&eacute;</p>");
    std::filesystem::create_directory(root / "sous");
    std::filesystem::create_symlink(page, root / "lien.htm");
    std::filesystem::create_hard_link(page, root / "dur.htm");
    for (const std::filesystem::path& target :
         {page, root / "./p.htm", root / "sous/../p.htm", root / "lien.htm", root / "dur.htm"}) {
        SCOPED_TRACE(target);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine({"--export-text", page.string(), target.string()}, out, err), 1);
        EXPECT_NE(err.str().find("enregistr\xC3\xA9" "e sur elle-m\xC3\xAAme"), std::string::npos) << err.str();
        EXPECT_EQ(ReadFileBytes(page), "<p>Caf&eacute;</p>");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(root / "lien.htm"));
}

// Names are written as the bytes they are: two names that differ only in
// their encoding are two files. A replaced file keeps its mode, and a link
// stays a link to the replaced file.
TEST(ExportTextOption, TargetsAreWrittenAsNamedAndKeepTheirMode)
{
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString() + "/";
    const std::string page = (TestsDir() / "files/export/Page.htm").string();
    const std::string expected = ReadFileBytes(TestsDir() / "files/export/Page.txt");
    const std::string latin1Name = root + "r\xE9sum\xE9.txt";
    const std::string utf8Name = root + "r\xC3\xA9sum\xC3\xA9.txt";
    WriteBytes(root + "lecture-seule.txt", "ancien");
    ::chmod((root + "lecture-seule.txt").c_str(), 0444);
    std::filesystem::create_symlink(root + "lecture-seule.txt", root + "lien.txt");

    for (const std::string& target : {latin1Name, utf8Name, root + "lien.txt"}) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine({"--export-text", page, target}, out, err), 0) << err.str();
    }
    EXPECT_EQ(ReadFileBytes(latin1Name), expected);
    EXPECT_EQ(ReadFileBytes(utf8Name), expected);
    EXPECT_EQ(ReadFileBytes(root + "lecture-seule.txt"), expected);
    EXPECT_TRUE(std::filesystem::is_symlink(root + "lien.txt"));
    EXPECT_EQ(std::filesystem::status(root + "lecture-seule.txt").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                  std::filesystem::perms::others_read);
    EXPECT_EQ(FolderEntries(root).size(), 4u);
}

// Under "ulimit -f" the program itself reports the failed write and keeps
// the old file, instead of being killed by SIGXFSZ half way.
TEST(ExportTextOption, AFileSizeLimitIsAnOrdinaryWriteError)
{
    QTemporaryDir folder;
    const QString page = folder.filePath("grande.htm");
    const QString target = folder.filePath("grande.txt");
    WriteBytes(page.toStdString(), std::string(256 * 1024, 'x'));
    WriteBytes(target.toStdString(), "ancien");
    QProcess program;
    program.setChildProcessModifier([] {
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    program.start(ZEFWEB_PROGRAM, {"--export-text", page, target});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    const QString said = QString::fromUtf8(program.readAllStandardError());
    EXPECT_TRUE(said.contains("grande.txt : fichier trop grand")) << said.toStdString();
    EXPECT_EQ(ReadFileBytes(target.toStdString()), "ancien");
    EXPECT_EQ(FolderEntries(folder.path().toStdString()).size(), 2u);
}

// A page read and written in blocks: a CR LF, a tag and character names cut
// by a block's end read as they would whole, and so does a line of megabytes.
TEST(ExportTextOption, LargePagesStreamAsTheyWouldConvertWhole)
{
    QTemporaryDir folder;
    const std::filesystem::path page = folder.path().toStdString() + "/grande.htm";
    const std::filesystem::path target = folder.path().toStdString() + "/grande.txt";
    // The export reads 256 KB blocks: each cut falls inside the line end,
    // the tag and the names.
    constexpr std::size_t kBlock = 256 * 1024;
    const std::string tricky = "x\r\n<b\nclass=y>&eacute;&#233;&amp&#x41;&";
    std::string source;
    for (std::size_t before = 1; before < tricky.size(); before += 3) {
        const std::size_t nextBlock = (source.size() / kBlock + 1) * kBlock;
        source += std::string(nextBlock - before - source.size(), 'a') + tricky;
    }
    WriteBytes(page, source);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunCommandLine({"--export-text", page.string(), target.string()}, out, err), 0) << err.str();
    EXPECT_EQ(ReadFileBytes(target), ExportPageText(source, TExportFormat::PlainText));

    const std::string longLine(5 * 1024 * 1024, 'z');
    WriteBytes(page, "&lt;" + longLine + "&gt;&hearts;");
    ASSERT_EQ(RunCommandLine({"--export-text", page.string(), target.string()}, out, err), 0) << err.str();
    EXPECT_EQ(ReadFileBytes(target), "<" + longLine + ">?\r\n");
}

// 40 MB of line ends once took 2 GB: the export now holds a few blocks.
TEST(ExportTextOption, MemoryStaysBoundedWhateverThePageSize)
{
    QTemporaryDir folder;
    const QString page = folder.filePath("sauts.htm");
    WriteBytes(page.toStdString(), std::string(40 * 1024 * 1024, '\n'));
    QProcess program;
    program.start(ZEFWEB_PROGRAM, {"--export-text", page, folder.filePath("sauts.txt")});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    EXPECT_LT(children.ru_maxrss, 200 * 1024) << "peak kB of the export";
    EXPECT_EQ(std::filesystem::file_size(folder.filePath("sauts.txt").toStdString()), 80u * 1024 * 1024);
}

// Only regular files are replaced: a FIFO, a folder or a link to one is left
// as it is with the cause; a dangling link makes the file it names; a loop of
// links is refused.
TEST(ExportTextOption, SavesReplaceOnlyRegularFiles)
{
    QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    const std::string page = (TestsDir() / "files/export/Page.htm").string();
    ASSERT_EQ(::mkfifo((root / "tube").c_str(), 0644), 0);
    std::filesystem::create_directory(root / "dossier");
    std::filesystem::create_symlink(root / "tube", root / "vers-tube");
    std::filesystem::create_symlink("boucle-b", root / "boucle-a");
    std::filesystem::create_symlink("boucle-a", root / "boucle-b");
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"tube", "c'est un tube nomm\xC3\xA9"},
        {"vers-tube", "c'est un tube nomm\xC3\xA9"},
        {"dossier", "c'est un dossier"},
        {"boucle-a", "trop de liens symboliques"},
    };
    for (const auto& [name, cause] : refused) {
        SCOPED_TRACE(name);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine({"--export-text", page, (root / name).string()}, out, err), 1);
        EXPECT_NE(err.str().find(name + " : " + cause), std::string::npos) << err.str();
    }
    EXPECT_TRUE(std::filesystem::is_fifo(root / "tube"));
    EXPECT_TRUE(std::filesystem::is_symlink(root / "vers-tube"));
    EXPECT_TRUE(std::filesystem::is_symlink(root / "boucle-a"));

    std::filesystem::create_directory(root / "ailleurs");
    std::filesystem::create_symlink("ailleurs/nouveau.txt", root / "pendant.txt");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine({"--export-text", page, (root / "pendant.txt").string()}, out, err), 0) << err.str();
    EXPECT_TRUE(std::filesystem::is_symlink(root / "pendant.txt"));
    EXPECT_EQ(ReadFileBytes(root / "ailleurs/nouveau.txt"), ReadFileBytes(TestsDir() / "files/export/Page.txt"));
    EXPECT_EQ(FolderEntries(root).size(), 7u);
}

TEST(ExportTextOption, FailuresGiveAMessageAndANonZeroCode)
{
    QTemporaryDir folder;
    const std::string output = folder.path().toStdString() + "/out.txt";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine({"--export-text", folder.path().toStdString() + "/absente.htm", output}, out, err), 1);
    EXPECT_NE(err.str().find("absente.htm"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(output));

    err.str("");
    const std::string underAFile = (TestsDir() / "files/export/Page.htm").string() + "/out.txt";
    EXPECT_EQ(RunCommandLine({"--export-text", (TestsDir() / "files/export/Page.htm").string(), underAFile}, out, err),
              1);
    EXPECT_NE(err.str().find("out.txt"), std::string::npos) << err.str();

    err.str("");
    EXPECT_EQ(RunCommandLine({"--export-text", "seulement.htm"}, out, err), 2);
    EXPECT_FALSE(err.str().empty());
}
