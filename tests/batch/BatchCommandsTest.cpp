// The batch commands as a script meets them: what they print and their exit
// codes for the files people give them.

#include "app/batch/CommandLine.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <sstream>
#include <utility>

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
    const std::string notRegular = " : ce n'est pas un fichier ordinaire\n";
    for (const auto& [name, cause] : {std::pair{std::string("/dev/zero"), notRegular}, std::pair{fifo, notRegular},
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

} // namespace
