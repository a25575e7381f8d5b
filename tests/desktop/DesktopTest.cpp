#include "tests/desktop/FakeDesktop.h"

#include <gtest/gtest.h>

TEST(Desktop, ProgramArgumentsAreSplitAtSpacesWithoutAShell)
{
    EXPECT_EQ(SplitProgramArguments("-a  b;rm c"), (QStringList{"-a", "b;rm", "c"}));
    EXPECT_TRUE(SplitProgramArguments("   ").isEmpty());
    EXPECT_EQ(SplitProgramArguments("\"two words\""), (QStringList{"\"two", "words\""}));
}

TEST(Desktop, FakeRecordsRequestsAndDeliversNotices)
{
    TFakeDesktop desktop;
    std::vector<TMediaNotice> notices;
    desktop.SetMediaNotify([&](TMediaNotice notice) { notices.push_back(notice); });
    TDesktop& asked = desktop;
    asked.PlaySound("/pages/ding.wav");
    asked.StartProgram("/pages/jeu.exe", "-v  niveau2");
    asked.OpenFile("/pages/film.avi");
    asked.OpenAddress("mailto:zef@example.org");
    asked.MediaOpen("/pages/fond.mid");
    desktop.AtEnd = true;
    asked.MediaRewind();
    asked.MediaPlay();
    asked.MediaClose();
    desktop.Notify(TMediaNotice::Failed);

    EXPECT_EQ(desktop.Requests, (std::vector<std::string>{
                                    "sound /pages/ding.wav",
                                    "start /pages/jeu.exe [-v] [niveau2]",
                                    "open file /pages/film.avi",
                                    "open address mailto:zef@example.org",
                                    "media open /pages/fond.mid",
                                    "media rewind",
                                    "media play",
                                    "media close",
                                }));
    EXPECT_FALSE(asked.MediaAtEnd());
    EXPECT_EQ(notices, std::vector<TMediaNotice>{TMediaNotice::Failed});
}
