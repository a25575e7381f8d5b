#include "app/desktop/SelfCheck.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

std::string Signed(const std::string& body)
{
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(body), QCryptographicHash::Sha256).toHex();
    return body + std::string(DigestMagic()) + digest.toStdString();
}

class SelfCheck : public testing::Test {
protected:
    std::filesystem::path Write(const std::string& name, const std::string& bytes)
    {
        const std::filesystem::path path = Folder.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    QTemporaryDir Folder;
};

} // namespace

TEST_F(SelfCheck, FileWithItsOwnDigestIsIntact)
{
    const std::string body("\x7F" "ELF\0\0program bytes", 20);
    EXPECT_EQ(CheckProgramFile(Write("good", Signed(body))), TSelfCheck::Intact);
    EXPECT_EQ(CheckProgramFile(Write("empty-body", Signed(""))), TSelfCheck::Intact);
}

TEST_F(SelfCheck, OneChangedByteAnywhereIsCaught)
{
    const std::string good = Signed(std::string(5000, 'p'));
    std::string changedBody = good;
    changedBody[1234] = 'q';
    EXPECT_EQ(CheckProgramFile(Write("body", changedBody)), TSelfCheck::WrongDigest);
    std::string changedDigest = good;
    changedDigest.back() = changedDigest.back() == '0' ? '1' : '0';
    EXPECT_EQ(CheckProgramFile(Write("digest", changedDigest)), TSelfCheck::WrongDigest);
}

TEST_F(SelfCheck, MissingTrailerOrFileFails)
{
    EXPECT_EQ(CheckProgramFile(Write("plain", std::string(500, 'p'))), TSelfCheck::NoTrailer);
    EXPECT_EQ(CheckProgramFile(Write("short", "ZEF")), TSelfCheck::NoTrailer);
    EXPECT_EQ(CheckProgramFile(Write("appended", Signed("program") + "virus")), TSelfCheck::NoTrailer);
    EXPECT_EQ(CheckProgramFile(Folder.path().toStdString() + "/absent"), TSelfCheck::Unreadable);
}

// As the window program checks itself: on a worker thread, the answer coming
// back to the interface thread.
TEST_F(SelfCheck, BuiltProgramCarriesItsDigestAndAPatchedCopyIsCaught)
{
    const std::filesystem::path program = ZEFWEB_PROGRAM;
    std::string bytes = ReadFileBytes(program);
    bytes[bytes.size() / 2] ^= 1;
    const std::filesystem::path patched = Write("zefweb", bytes);
    QObject context;
    std::vector<TSelfCheck> results;
    for (const std::filesystem::path& file : {program, patched})
        CheckProgramFileInBackground(file, &context, [&](TSelfCheck result) {
            EXPECT_EQ(QThread::currentThread(), context.thread());
            results.push_back(result);
        });
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 20000));
    // Either may finish first.
    EXPECT_EQ(std::ranges::count(results, TSelfCheck::Intact), 1);
    EXPECT_EQ(std::ranges::count(results, TSelfCheck::WrongDigest), 1);
}
