// The window-free rules of the task properties dialog.
#include "scheduler/UPropsRules.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(PropsRules, TextToDuration)
{
    const struct {
        const char* text;
        const char* duration;
    } cases[] = {{"", ""},
                 {"Immediately", "Immediately"},
                 {"3", "3"},
                 {"2 hours", "PT2H"},
                 {"30 minutes", "PT30M"},
                 {"3 days", "P3D"},
                 {"0 minutes", "PT0M"},
                 // Only lower-case units name days and hours.
                 {"3 Days", "PT3M"},
                 {"1 Hour", "PT1M"}};
    for (const auto& c : cases)
        EXPECT_EQ(TextToDuration(QString::fromLatin1(c.text)), QString::fromLatin1(c.duration)) << c.text;
}

TEST(PropsRules, GetTimeIndexFindsTheFirstItemOfTheDuration)
{
    const struct {
        const TDurationBox& box;
        const char* duration;
        int index;
    } cases[] = {{StopRuningBox(), "PT1H", 0},    {StopRuningBox(), "PT72H", -1}, {StopRuningBox(), "P3D", 6},
                 {RestartTimeBox(), "PT1M", 0},   {RestartTimeBox(), "", -1},     {DeleteAfterBox(), "Immediately", 0},
                 {DeleteAfterBox(), "P180D", 3},  {IdleWaitBox(), "PT0S", -1},    {IdleWaitBox(), "PT0M", 0},
                 {IdleWaitBox(), "PT2H", 7}};
    for (const auto& c : cases)
        EXPECT_EQ(GetTimeIndex(c.box.Items, QString::fromLatin1(c.duration)), c.index) << c.duration;
    // The items selected at creation and on a check.
    EXPECT_EQ(StopRuningBox().Items.at(StopRuningBox().AtCreation), QStringLiteral("12 hours"));
    EXPECT_EQ(StopRuningBox().Items.at(StopRuningBox().OnCheck), QStringLiteral("8 hours"));
    EXPECT_EQ(DeleteAfterBox().Items.at(DeleteAfterBox().AtCreation), QStringLiteral("90 days"));
    EXPECT_EQ(DeleteAfterBox().Items.at(DeleteAfterBox().OnCheck), QStringLiteral("180 days"));
    EXPECT_EQ(IdleWaitBox().Items.at(IdleWaitBox().AtCreation), QStringLiteral("15 minutes"));
}

TEST(PropsRules, RunTimeTextAndRepeatInterval)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(PropsRunTimeText(0), QStringLiteral("Never"));
    EXPECT_EQ(PropsRunTimeText(1.0), QStringLiteral("Never"));
    const QDateTime when(QDate(2024, 5, 11), QTime(6, 15, 30));
    const QLocale locale;
    EXPECT_EQ(PropsRunTimeText(DateTimeToSerial(when)), locale.toString(when.time(), QLocale::LongFormat) + QStringLiteral(", ")
                                                        + locale.toString(when.date(), QLocale::LongFormat));
    QLocale::setDefault(QLocale::c());

    const struct {
        quint32 minutes;
        int value;
        bool hours;
    } cases[] = {{1440, 24, true}, {90, 90, false}, {120, 2, true}, {5, 5, false}};
    for (const auto& c : cases) {
        const TRepeatInterval repeat = TRepeatInterval::FromMinutes(c.minutes);
        EXPECT_EQ(repeat.Value, c.value) << c.minutes;
        EXPECT_EQ(repeat.Hours, c.hours) << c.minutes;
        EXPECT_EQ(repeat.Minutes(), c.minutes);
    }
}
