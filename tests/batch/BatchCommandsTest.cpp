// The batch commands as a script meets them: what they print and their exit
// codes for the files people give them.

#include "app/batch/CommandLine.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <sstream>

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

TEST(BatchCommands, DevicesFifosAndFoldersAreMissingFiles)
{
    const QTemporaryDir folder;
    const std::string fifo = folder.path().toStdString() + "/tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string output = folder.path().toStdString() + "/sortie";
    for (const std::string& name : {std::string("/dev/zero"), fifo, folder.path().toStdString()}) {
        SCOPED_TRACE(name);
        const std::string missing = "zefweb: Can't locate file: " + name + "\n";
        EXPECT_EQ(Zefweb({"--text", name}).Err, missing);
        EXPECT_EQ(Zefweb({"--dump", name}).Err, missing);
        EXPECT_EQ(Zefweb({"--tokens", name}).Err, missing);
        EXPECT_EQ(Zefweb({"--bench", name, "--repeat", "1"}).Err, missing);
        const TRun exported = Zefweb({"--export-text", name, output});
        EXPECT_EQ(exported.Code, 1);
        EXPECT_EQ(exported.Err, "zefweb: Impossible d'ouvrir le fichier " + name + "\n");
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

} // namespace
