#include "accessories/Calendrier.h"

#include "AccessoryTestSupport.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

QPushButton* MonthButton(TCalendrier& calendrier, int index)
{
    int seen = 0;
    for (QPushButton* button : calendrier.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Mois") && seen++ == index)
            return button;
    return nullptr;
}

TEST(Calendrier, GridStartsWeeksOnSunday)
{
    TCalendrier calendrier(QDate(2025, 1, 31));
    ShowActive(calendrier);
    EXPECT_EQ(calendrier.HeadingText(), "Janvier  2025");
    const auto* grid = calendrier.findChild<QTableWidget*>();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("dim."));
    EXPECT_EQ(grid->horizontalHeaderItem(6)->text(), QStringLiteral("sam."));
    // 1 January 2025 is a Wednesday, the 31st a Friday.
    EXPECT_EQ(calendrier.DayAt(0, 2), 0);
    EXPECT_EQ(calendrier.DayAt(0, 3), 1);
    EXPECT_EQ(calendrier.DayAt(4, 5), 31);
    EXPECT_EQ(calendrier.DayAt(4, 6), 0);
    EXPECT_EQ(grid->currentRow(), 4);
    EXPECT_EQ(grid->currentColumn(), 5);

    // Arrows select another day of the month; an empty cell keeps the day.
    PressKey(calendrier, Qt::Key_Left);
    EXPECT_EQ(calendrier.ShownDate(), QDate(2025, 1, 30));
    PressKey(calendrier, Qt::Key_Right);
    PressKey(calendrier, Qt::Key_Right);
    EXPECT_EQ(calendrier.ShownDate(), QDate(2025, 1, 31));
}

TEST(Calendrier, ForwardFromTheThirtyFirstKeepsTheClippedDay)
{
    TCalendrier calendrier(QDate(2025, 1, 31));
    ShowActive(calendrier);
    MonthButton(calendrier, 1)->click();
    EXPECT_EQ(calendrier.ShownDate(), QDate(2025, 2, 28));
    EXPECT_EQ(calendrier.HeadingText(), "F\xE9vrier  2025");
    PressKey(calendrier, Qt::Key_PageDown); // the grid has the focus
    EXPECT_EQ(calendrier.ShownDate(), QDate(2025, 3, 28));
    EXPECT_EQ(calendrier.HeadingText(), "Mars  2025");

    TCalendrier leapYear(QDate(2024, 1, 31));
    leapYear.MonthForward();
    leapYear.MonthForward();
    EXPECT_EQ(leapYear.ShownDate(), QDate(2024, 3, 29));
}

TEST(Calendrier, StepsAcrossTheYear)
{
    TCalendrier calendrier(QDate(2024, 12, 15));
    ShowActive(calendrier);
    PressKey(calendrier, Qt::Key_PageDown);
    EXPECT_EQ(calendrier.ShownDate(), QDate(2025, 1, 15));
    EXPECT_EQ(calendrier.HeadingText(), "Janvier  2025");
    MonthButton(calendrier, 0)->setFocus();
    PressKey(calendrier, Qt::Key_PageUp);
    PressKey(calendrier, Qt::Key_PageUp);
    EXPECT_EQ(calendrier.ShownDate(), QDate(2024, 11, 15));
    EXPECT_EQ(calendrier.HeadingText(), "Novembre  2024");
    MonthButton(calendrier, 0)->click();
    EXPECT_EQ(calendrier.HeadingText(), "Octobre  2024");
}

TEST(Calendrier, KeepsTheShownMonthBetweenOpenings)
{
    TCalendrier calendrier(QDate(2025, 8, 10));
    ShowActive(calendrier);
    calendrier.MonthBack();
    PressKey(calendrier, Qt::Key_Escape);
    EXPECT_FALSE(calendrier.isVisible());
    ShowActive(calendrier);
    EXPECT_EQ(calendrier.ShownDate(), QDate(2025, 7, 10));
    EXPECT_EQ(calendrier.HeadingText(), "Juillet  2025");
    for (QPushButton* button : calendrier.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Fermer"))
            button->click();
    EXPECT_FALSE(calendrier.isVisible());
}

} // namespace
