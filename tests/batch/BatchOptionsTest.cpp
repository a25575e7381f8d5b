// The arguments of the batch commands: where the file name may stand, which
// options take a value, how the kind of file is chosen, and the exit codes.

#include "app/batch/BatchOptions.h"
#include "app/batch/CommandLine.h"
#include "app/batch/DumpCommand.h"
#include "engine/base/RegularFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(BatchOptions, TheFileMayStandAnywhereAmongTheOptions)
{
    const TBatchOptions options =
        ParseBatchOptions({"--render", "--width", "300", "page.htm", "--full", "--as", "text"}, {"--width", "--as"},
                          {"--full"});
    EXPECT_EQ(options.File, "page.htm");
    EXPECT_EQ(options.Number("--width", 800, 1), 300);
    EXPECT_EQ(options.Number("--height", 600, 1), 600);
    EXPECT_TRUE(options.Has("--full"));
    EXPECT_FALSE(options.Has("--no-images"));
    EXPECT_EQ(options.Value("--as"), "text");
    EXPECT_EQ(FileTypeOf(options), TViewedFileType::Text);
}

TEST(BatchOptions, MistakesAreUsageErrors)
{
    const std::vector<std::string> valued = {"--width"};
    EXPECT_THROW(ParseBatchOptions({"--text"}, valued, {}), EUsage);
    EXPECT_THROW(ParseBatchOptions({"--text", "a.htm", "--width"}, valued, {}), EUsage);
    EXPECT_THROW(ParseBatchOptions({"--text", "a.htm", "--full"}, valued, {}), EUsage);
    EXPECT_THROW(ParseBatchOptions({"--text", "a.htm", "b.htm"}, valued, {}), EUsage);
    for (const char* width : {"0", "12px", "", "-5"})
        EXPECT_THROW(ParseBatchOptions({"--text", "a.htm", "--width", width}, valued, {}).Number("--width", 800, 1),
                     EUsage)
            << width;
    EXPECT_THROW(FileTypeOf(ParseBatchOptions({"--text", "a.htm", "--as", "pdf"}, {"--as"}, {})), EUsage);
    // A number too large for the program is out of range, not too small.
    try {
        ParseBatchOptions({"--text", "a.htm", "--width", "99999999999"}, valued, {}).Number("--width", 800, 1);
        ADD_FAILURE() << "accepted";
    } catch (const EUsage& usage) {
        EXPECT_STREQ(usage.what(), "--width : 99999999999 est hors limites, au plus 2147483647");
    }
}

TEST(BatchOptions, TheKindOfFileComesFromItsExtensionWithoutAs)
{
    const auto typeOf = [](const std::string& file) { return FileTypeOf(ParseBatchOptions({"--dump", file}, {}, {})); };
    EXPECT_EQ(typeOf("notes.TXT"), TViewedFileType::Text);
    EXPECT_EQ(typeOf("photo.JPeg"), TViewedFileType::Image);
    EXPECT_EQ(typeOf("logo.gif"), TViewedFileType::Image);
    EXPECT_EQ(typeOf("page.htm"), TViewedFileType::Html);
    EXPECT_EQ(typeOf("gif"), TViewedFileType::Html);
}

TEST(BatchOptions, DumpExitCodesTellUsageFromFailure)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(DumpCommand({"--dump", "page.htm", "--width", "wide"}, out, err), 2);
    EXPECT_NE(err.str().find("--width"), std::string::npos);

    // A folder is no page, not even an empty one.
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    err.str({});
    EXPECT_EQ(DumpCommand({"--dump", folder.path().toStdString()}, out, err), 1);
    EXPECT_EQ(err.str(), "zefweb: impossible d'ouvrir " + folder.path().toStdString() + " : c'est un dossier\n");
    EXPECT_TRUE(out.str().empty());
}

// Every command that reads or writes a file says in French why it could not.
TEST(CommandLine, FailuresGiveTheirCauseInFrench)
{
    const QTemporaryDir folder;
    const std::string base = folder.path().toStdString();
    const std::string page = base + "/page.htm";
    std::ofstream(page) << "<p>texte</p>";
    const auto run = [](std::vector<std::string> arguments) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine(arguments, out, err), 1) << arguments[0];
        return err.str();
    };
    EXPECT_EQ(run({"--tokens", base + "/absente.htm"}),
              "zefweb: impossible d'ouvrir " + base + "/absente.htm : fichier introuvable\n");
    EXPECT_EQ(run({"--text", base}), "zefweb: impossible d'ouvrir " + base + " : c'est un dossier\n");
    EXPECT_EQ(run({"--export-text", base + "/absente.htm", base + "/sortie.txt"}),
              "zefweb: Impossible d'ouvrir le fichier " + base + "/absente.htm : fichier introuvable\n");
    EXPECT_EQ(run({"--export-text", page, base + "/absent/sortie.txt"}),
              "zefweb: Impossible d'\xC3\xA9" "crire le fichier " + base + "/absent/sortie.txt : dossier introuvable\n");
    // A sparse file beyond the size pages may have takes no room on the disk.
    const std::string huge = base + "/immense.htm";
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, kMaxPageBytes + 1);
    EXPECT_EQ(run({"--export-text", huge, base + "/sortie.txt"}),
              "zefweb: Impossible d'ouvrir le fichier " + huge + " : fichier trop grand\n");
    EXPECT_EQ(run({"--export-text", page, base}),
              "zefweb: Impossible d'\xC3\xA9" "crire le fichier " + base + " : c'est un dossier\n");
    // Files the kernel makes up are no pages, whatever stat says of them.
    const std::string pseudo = " : fichier virtuel du syst\xC3\xA8me (/proc, /sys), pas un fichier ordinaire\n";
    for (const std::string proc : {"/proc/self/environ", "/proc/self/mem", "/sys/kernel/uevent_seqnum"}) {
        if (std::filesystem::exists(proc))
            EXPECT_EQ(run({"--text", proc}), "zefweb: impossible d'ouvrir " + proc + pseudo);
    }
    EXPECT_EQ(run({"--export-text", "/proc/self/environ", base + "/sortie.txt"}),
              "zefweb: Impossible d'ouvrir le fichier /proc/self/environ" + pseudo);
}

} // namespace
