// The real desktop's sound module: found, loaded when first needed, and
// refused cleanly when it is missing or not ours. No sound is ever played:
// the media device is only asked to open files that do not exist.

#include "app/desktop/Desktop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <sstream>
#include <vector>

namespace {

const std::string kMissingSound = "/nonexistent/zefweb-test/fond.wav";

class SoundModule : public testing::Test {
protected:
    std::unique_ptr<TDesktop> Desktop(QStringList places)
    {
        std::unique_ptr<TDesktop> desktop = MakeQtDesktop(std::move(places), Err);
        desktop->SetMediaNotify([this](TMediaNotice notice) { Notices.push_back(notice); });
        return desktop;
    }

    // Runs the event loop until count notices have arrived, or for a while.
    bool WaitForNotices(std::size_t count, int milliseconds = 10000)
    {
        const QDeadlineTimer deadline(milliseconds);
        while (Notices.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        return Notices.size() >= count;
    }

    std::vector<std::string> ErrorLines() const
    {
        std::vector<std::string> lines;
        std::istringstream text(Err.str());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

    std::ostringstream Err;
    std::vector<TMediaNotice> Notices;
};

} // namespace

TEST_F(SoundModule, LoadsFromTheBuildFolderAndReportsAFileThatCannotOpen)
{
    const std::unique_ptr<TDesktop> desktop = Desktop({ZEF_SOUND_MODULE_FILE});
    desktop->MediaOpen(kMissingSound);
    ASSERT_TRUE(WaitForNotices(1));
    EXPECT_EQ(Notices.front(), TMediaNotice::Failed);
    EXPECT_FALSE(desktop->MediaAtEnd());
    desktop->MediaClose();
    EXPECT_EQ(Err.str(), "");
}

TEST_F(SoundModule, LaterPlacesAreTriedWhenTheFirstAreMissingOrRefused)
{
    const std::unique_ptr<TDesktop> desktop =
        Desktop({"/nonexistent/libzefsound.so", ZEF_PLAIN_LIBRARY_FILE, ZEF_SOUND_MODULE_FILE});
    desktop->MediaOpen(kMissingSound);
    ASSERT_TRUE(WaitForNotices(1));
    EXPECT_EQ(Notices, std::vector<TMediaNotice>{TMediaNotice::Failed});
    EXPECT_EQ(Err.str(), "");
}

// Each library stands for one way the module can be missing or wrong; the
// stale module's factory aborts, so calling it would end the test program.
TEST_F(SoundModule, MissingOrForeignModulesAreRefusedOnceAndTheMediaDeviceFails)
{
    const struct {
        const char* place;
        std::string message;
    } cases[] = {
        {"/nonexistent/libzefsound.so", "zefweb: module de son introuvable (/nonexistent/libzefsound.so)"},
        {ZEF_PLAIN_LIBRARY_FILE, "n'est pas un module de son"},
        {ZEF_STALE_MODULE_FILE, "est de version " + std::to_string(kSoundDeviceVersion + 1) + " au lieu de " +
                                    std::to_string(kSoundDeviceVersion)},
    };
    for (const auto& [place, message] : cases) {
        SCOPED_TRACE(place);
        Err.str({});
        Notices.clear();
        const std::unique_ptr<TDesktop> desktop = Desktop({place});

        // Commands on what is playing do not go looking for the module.
        desktop->MediaClose();
        desktop->MediaRewind();
        EXPECT_FALSE(desktop->MediaAtEnd());
        EXPECT_EQ(Err.str(), "");

        desktop->PlaySound(kMissingSound);
        desktop->MediaOpen(kMissingSound);
        // The failure comes from the event loop, never from inside the
        // request, as a real failure does.
        EXPECT_TRUE(Notices.empty());
        ASSERT_TRUE(WaitForNotices(1));
        desktop->MediaPlay();
        ASSERT_TRUE(WaitForNotices(2));
        EXPECT_EQ(Notices, std::vector<TMediaNotice>(2, TMediaNotice::Failed));

        const std::vector<std::string> lines = ErrorLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(lines.front().starts_with("zefweb: ")) << lines.front();
        EXPECT_NE(lines.front().find(message), std::string::npos) << lines.front();
    }
}

TEST_F(SoundModule, WithoutTheModuleCloseCancelsTheFailureOnItsWay)
{
    const std::unique_ptr<TDesktop> desktop = Desktop({"/nonexistent/libzefsound.so"});
    desktop->MediaOpen(kMissingSound);
    desktop->MediaClose();
    // Only the last of two opens reports.
    desktop->MediaOpen(kMissingSound);
    desktop->MediaOpen(kMissingSound);
    ASSERT_TRUE(WaitForNotices(1));
    EXPECT_FALSE(WaitForNotices(2, 100));
    EXPECT_EQ(Notices, std::vector<TMediaNotice>{TMediaNotice::Failed});
}

TEST_F(SoundModule, NoticesPostedByAClosedDesktopAreDropped)
{
    Desktop({"/nonexistent/libzefsound.so"})->MediaOpen(kMissingSound);
    EXPECT_FALSE(WaitForNotices(1, 100));
}
