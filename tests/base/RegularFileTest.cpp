#include "engine/base/RegularFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

#include <sys/stat.h>

TEST(RegularFile, OnlyRegularFilesWithinTheLimitAreRead)
{
    const QTemporaryDir folder;
    const std::string file = folder.path().toStdString() + "/dix.txt";
    std::ofstream(file, std::ios::binary) << "0123456789";
    EXPECT_EQ(ReadRegularFile(file, 10), "0123456789");

    TFileRefusal refusal = TFileRefusal::None;
    EXPECT_EQ(ReadRegularFile(file, 9, &refusal), std::nullopt);
    EXPECT_EQ(refusal, TFileRefusal::TooLarge);

    // A FIFO without a writer would block an ordinary open; a device never
    // ends; a name with a NUL would open the shorter name before it.
    const std::string fifo = folder.path().toStdString() + "/tube";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {fifo, std::string("/dev/zero"), folder.path().toStdString(),
                                    folder.path().toStdString() + "/absent", std::string(),
                                    file + std::string("\0.gif", 5)}) {
        EXPECT_EQ(ReadRegularFile(name, kMaxPageBytes, &refusal), std::nullopt) << name;
        EXPECT_EQ(refusal, TFileRefusal::Missing) << name;
    }

    // A file that grows after it was opened is read up to the limit only.
    TRegularFile opened(file, 12);
    ASSERT_TRUE(opened.IsOpen());
    std::ofstream(file, std::ios::binary | std::ios::app) << "abcdef";
    unsigned char bytes[4];
    std::string read;
    while (const std::size_t count = opened.Read(bytes))
        read.append(reinterpret_cast<const char*>(bytes), count);
    EXPECT_EQ(read, "0123456789ab");
    EXPECT_FALSE(opened.ReadFailed());
}
