#include "accessories/ClockSetter.h"
#include "accessories/Horloge.h"

#include "AccessoryTestSupport.h"

#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <vector>

namespace {

class TRecordingClockSetter final : public TClockSetter {
public:
    bool SetSystemClock(const QDateTime& instant) override
    {
        requests.push_back(instant);
        return allowed;
    }
    std::vector<QDateTime> requests;
    bool allowed = true; // false as for a user without the right
};

QDateTime Utc(int year, int month, int day, int hours, int minutes, int seconds = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hours, minutes, seconds), QTimeZone::utc());
}

class HorlogeTest : public testing::Test {
protected:
    void Open(const char* zoneName = "UTC")
    {
        const QTimeZone zone(zoneName);
        ASSERT_TRUE(zone.isValid()) << zoneName << ": no time zone data";
        horloge = std::make_unique<THorloge>(clockSetter, errorBox, TTimeSource { [this] { return now; }, zone });
        ShowActive(*horloge);
    }

    QPushButton* Button(const char* caption) const
    {
        for (QPushButton* button : horloge->findChildren<QPushButton*>())
            if (button->text() == QLatin1String(caption))
                return button;
        return nullptr;
    }
    void Choose(const char* field)
    {
        for (QRadioButton* choice : horloge->findChildren<QRadioButton*>())
            if (choice->text() == QLatin1String(field))
                choice->click();
    }
    void Up(int times = 1)
    {
        for (int count = 0; count < times; ++count)
            horloge->findChild<QToolButton*>("up")->click();
    }
    void Down(int times = 1)
    {
        for (int count = 0; count < times; ++count)
            horloge->findChild<QToolButton*>("down")->click();
    }
    void Set() { Button("Set")->click(); }

    QDateTime now = Utc(2025, 1, 15, 9, 0, 0);
    TRecordingClockSetter clockSetter;
    TRecordingErrorBox errorBox;
    std::unique_ptr<THorloge> horloge;
};

TEST_F(HorlogeTest, ShowsTheLocalTimeAndFollowsTheClock)
{
    now = Utc(2025, 1, 15, 9, 5, 7);
    Open("Europe/Paris");
    EXPECT_TRUE(horloge->TimerRunning());
    EXPECT_FALSE(horloge->EditMode());
    EXPECT_EQ(horloge->TimeText(), "10:05:07");
    EXPECT_EQ(horloge->DateText(), "15/01/2025");
    now = Utc(2025, 7, 31, 22, 0, 1); // summer time: two hours ahead
    horloge->Timer1Timer();
    EXPECT_EQ(horloge->TimeText(), "00:00:01");
    EXPECT_EQ(horloge->DateText(), "01/08/2025");
}

TEST_F(HorlogeTest, FieldsStopAtTheirUpperLimits)
{
    now = Utc(2099, 12, 31, 23, 59, 30);
    Open();
    Set();
    Up(); // no field chosen
    EXPECT_EQ(horloge->TimeText(), "23:59:30");
    EXPECT_EQ(horloge->DateText(), "31/12/2099");
    for (const char* field : { "Hr", "Mn", "Jo", "Mo", "An" }) {
        Choose(field);
        Up(2);
    }
    EXPECT_EQ(horloge->TimeText(), "23:59:30");
    EXPECT_EQ(horloge->DateText(), "31/12/2099");
}

TEST_F(HorlogeTest, FieldsStopAtTheirLowerLimits)
{
    now = Utc(1900, 1, 1, 0, 0, 12);
    Open();
    Set();
    for (const char* field : { "Hr", "Mn", "Jo", "Mo", "An" }) {
        Choose(field);
        Down(2);
    }
    EXPECT_EQ(horloge->TimeText(), "00:00:12");
    EXPECT_EQ(horloge->DateText(), "01/01/1900");
    Choose("Mo");
    Up(11);
    Choose("Jo");
    Up(9);
    EXPECT_EQ(horloge->DateText(), "10/12/1900");
}

TEST_F(HorlogeTest, YearBelowOneHundredIsTakenInTheNineteenHundreds)
{
    now = Utc(50, 6, 1, 12, 0, 0);
    Open();
    EXPECT_EQ(horloge->DateText(), "01/06/0050");
    Set();
    Choose("An");
    Up();
    EXPECT_EQ(horloge->DateText(), "01/06/1951");
}

TEST_F(HorlogeTest, EditModeFreezesTheDisplays)
{
    Open();
    // Outside edit mode the next tick overwrites an adjustment.
    Choose("Mn");
    Up();
    EXPECT_EQ(horloge->TimeText(), "09:01:00");
    horloge->Timer1Timer();
    EXPECT_EQ(horloge->TimeText(), "09:00:00");

    Set();
    EXPECT_TRUE(horloge->EditMode());
    EXPECT_FALSE(horloge->TimerRunning());
    now = Utc(2025, 1, 15, 9, 0, 42);
    QApplication::processEvents();
    Up();
    EXPECT_EQ(horloge->TimeText(), "09:01:00");
    EXPECT_TRUE(clockSetter.requests.empty());
}

TEST_F(HorlogeTest, SetGivesTheShownLocalTimeAsUtc)
{
    // Winter in Paris: one hour ahead of UTC.
    now = Utc(2025, 1, 15, 9, 0, 0);
    Open("Europe/Paris");
    Set();
    Choose("Hr");
    Up(3);
    EXPECT_EQ(horloge->TimeText(), "13:00:00");
    Set();
    ASSERT_EQ(clockSetter.requests.size(), 1u);
    EXPECT_EQ(clockSetter.requests[0], Utc(2025, 1, 15, 12, 0, 0));
    EXPECT_FALSE(horloge->EditMode());
    EXPECT_TRUE(horloge->TimerRunning());

    // Summer in Paris: two hours ahead.
    now = Utc(2025, 7, 15, 9, 0, 0);
    horloge->Timer1Timer();
    EXPECT_EQ(horloge->TimeText(), "11:00:00");
    Set();
    Up(3);
    Set();
    ASSERT_EQ(clockSetter.requests.size(), 2u);
    EXPECT_EQ(clockSetter.requests[1], Utc(2025, 7, 15, 12, 0, 0));
}

TEST_F(HorlogeTest, SetInAnotherZone)
{
    now = Utc(2025, 1, 15, 4, 30, 0);
    Open("America/New_York");
    EXPECT_EQ(horloge->TimeText(), "23:30:00");
    EXPECT_EQ(horloge->DateText(), "14/01/2025");
    Set();
    Choose("Mn");
    Up(5);
    Set();
    ASSERT_EQ(clockSetter.requests.size(), 1u);
    EXPECT_EQ(clockSetter.requests[0], Utc(2025, 1, 15, 4, 35, 0));
}

TEST_F(HorlogeTest, DaysTheMonthDoesNotHaveCannotBeShown)
{
    now = Utc(1999, 1, 31, 12, 0, 0);
    Open();
    Set();
    Choose("Mo");
    Up();
    EXPECT_EQ(horloge->DateText(), "28/02/1999");
    Choose("Jo");
    Up(3);
    EXPECT_EQ(horloge->DateText(), "28/02/1999");
    Choose("An");
    Up();
    Choose("Jo");
    Up();
    EXPECT_EQ(horloge->DateText(), "29/02/2000");
    Set();
    ASSERT_EQ(clockSetter.requests.size(), 1u);
    EXPECT_EQ(clockSetter.requests[0], Utc(2000, 2, 29, 12, 0, 0));
}

TEST_F(HorlogeTest, EditModeShowsAndARefusedSetIsExplained)
{
    Open();
    const QColor shown = horloge->DisplayColor();
    Set();
    EXPECT_NE(horloge->DisplayColor(), shown);
    clockSetter.allowed = false;
    Set();
    EXPECT_EQ(horloge->DisplayColor(), shown);
    ASSERT_EQ(clockSetter.requests.size(), 1u);
    EXPECT_EQ(errorBox.Messages,
              std::vector<std::string> { "Impossible de r\xE9gler l'horloge : op\xE9ration non permise" });
}

TEST_F(HorlogeTest, ATimeSkippedBySummerTimeSetsNothing)
{
    now = Utc(2025, 3, 30, 0, 30, 0); // Paris goes from 02:00 to 03:00 that night
    Open("Europe/Paris");
    EXPECT_EQ(horloge->TimeText(), "01:30:00");
    Set();
    Choose("Hr");
    Up();
    Set();
    EXPECT_TRUE(clockSetter.requests.empty());
}

TEST_F(HorlogeTest, ClosingInEditModeDropsTheAdjustments)
{
    Open();
    Set();
    Choose("Hr");
    Up();
    Button("Fermer")->click();
    EXPECT_FALSE(horloge->isVisible());
    EXPECT_FALSE(horloge->TimerRunning());

    now = Utc(2025, 1, 15, 9, 30, 0);
    ShowActive(*horloge);
    EXPECT_FALSE(horloge->EditMode());
    EXPECT_TRUE(horloge->TimerRunning());
    EXPECT_EQ(horloge->TimeText(), "09:30:00");
    EXPECT_TRUE(clockSetter.requests.empty());

    PressKey(*horloge, Qt::Key_Escape);
    EXPECT_FALSE(horloge->isVisible());
    EXPECT_TRUE(clockSetter.requests.empty());
}

TEST_F(HorlogeTest, EnterNeverSetsTheClock)
{
    Open();
    for (QPushButton* button : horloge->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
    Choose("Hr");
    horloge->findChildren<QRadioButton*>().front()->setFocus();
    PressKey(*horloge, Qt::Key_Return);
    PressKey(*horloge, Qt::Key_Enter);
    EXPECT_FALSE(horloge->EditMode());

    // Not even twice in edit mode, with the focus on "Set" itself.
    Set();
    Button("Set")->setFocus();
    PressKey(*horloge, Qt::Key_Return);
    PressKey(*horloge, Qt::Key_Return);
    EXPECT_TRUE(horloge->EditMode());
    EXPECT_TRUE(clockSetter.requests.empty());
    EXPECT_TRUE(horloge->isVisible());
}

} // namespace
