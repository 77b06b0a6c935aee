// The scheduler routines in the C and the German locale.
#include "scheduler/saUtils.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// Runs the body once per locale, restoring the default afterwards.
class SchedulerUtils : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(S(GetParam()))); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    bool German() const { return QString::fromLatin1(GetParam()) == QLatin1String("de_DE"); }
};

TDateTime Serial(int y, int m, int d, int h = 0, int min = 0, int s = 0, int ms = 0)
{
    return double(QDate(1899, 12, 30).daysTo(QDate(y, m, d))) + (((h * 60 + min) * 60 + s) * 1000 + ms) / 86400000.0;
}

}  // namespace

TEST_P(SchedulerUtils, MaskTexts)
{
    EXPECT_EQ(MonthsToStr(0x0801), S("1, 12"));
    EXPECT_EQ(MonthsToStr(0), QString());
    EXPECT_EQ(MonthsToStr(0xF000 | 0x2), S("2"));
    EXPECT_EQ(DaysOfWeekToStr(0x41), German() ? S("Sonntag, Samstag") : S("Sunday, Saturday"));
    EXPECT_EQ(DaysOfWeekToStr(0x22), German() ? S("Montag, Freitag") : S("Monday, Friday"));
    EXPECT_EQ(DaysOfWeekToStr(0), QString());
}

TEST_P(SchedulerUtils, IsoDateTimesReadByFixedPositions)
{
    const TDateTime expected = Serial(2021, 8, 11, 9, 5, 30);
    EXPECT_DOUBLE_EQ(IsoToDateTime(S("2021-08-11T09:05:30")), expected);
    EXPECT_DOUBLE_EQ(IsoToDateTime(S("2021-08-11T09:05:30+02:00")), expected);
    EXPECT_DOUBLE_EQ(IsoToDateTime(S("2021-08-11T09:05:30.123Z")), expected);
    EXPECT_DOUBLE_EQ(IsoToDateTime(S("2024-03-31T02:30:00")), Serial(2024, 3, 31, 2, 30));   // no zone moves it
    EXPECT_EQ(IsoToDateTime(QString()), 0.0);
    for (const char* bad : {"garbage", "2021-02-30T00:00:00", "2021-08-11", "2021-08-11T25:00:00"}) {
        try {
            IsoToDateTime(S(bad));
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), S("'%1' is not a valid date and time").arg(S(bad)));
        }
    }
}

TEST_P(SchedulerUtils, SystemTimesAndSerialDays)
{
    TSystemTime time;
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(time), -693959.0);   // day 0 of month 0 of year 0
    time = {2021, 8, 3, 11, 9, 5, 30, 500};
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(time), Serial(2021, 8, 11, 9, 5, 30, 500));
    time = {1899, 12, 0, 30, 0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(time), 0.0);
    time = {2024, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(time), Serial(2024, 2, 29));

    const QDateTime local(QDate(2024, 5, 10), QTime(12, 30, 15, 250));
    EXPECT_DOUBLE_EQ(DateTimeToSerial(local), Serial(2024, 5, 10, 12, 30, 15, 250));
    EXPECT_EQ(SerialToDateTime(DateTimeToSerial(local)), local);
    EXPECT_EQ(DateTimeToSerial(QDateTime()), 0.0);
}

TEST_P(SchedulerUtils, Durations)
{
    const QList<std::pair<quint32, const char*>> written = {
        {0, "PT0M"}, {45, "PT45M"}, {90, "PT1H30M"}, {1440, "P1DT0H0M"}, {1500, "P1DT1H0M"}, {4320, "P3DT0H0M"}};
    for (const auto& [minutes, text] : written)
        EXPECT_EQ(MinutesToDuration(minutes), S(text)) << minutes;
    const QList<std::pair<const char*, int>> read = {
        {"PT45M", 45}, {"P1DT0H0M", 1440}, {"PT30S", 0}, {"PT1H30M", 90}, {"P1DT2H", 1560}, {"P2D", 2880},
        {"PT0S", 0}, {"", 0}, {"P1W", 0}, {"PT72H", 4320}, {"PTH", 0}};
    for (const auto& [text, minutes] : read)
        EXPECT_EQ(DurationToMinutes(S(text)), minutes) << text;
}

TEST_P(SchedulerUtils, ComparisonsOrderAndCase)
{
    for (const auto compare : {&CompareTextIgnoreCase, &CompareTextCaseSensitive}) {
        EXPECT_EQ(compare(S("apple"), S("Banana")), -1);
        EXPECT_EQ(compare(S("Banana"), S("cherry")), -1);
        EXPECT_EQ(compare(S("cherry"), S("apple")), 1);
        EXPECT_EQ(compare(S("same"), S("same")), 0);
    }
    EXPECT_NE(CompareTextCaseSensitive(S("Backup"), S("backup")), 0);
    EXPECT_EQ(CompareTextIgnoreCase(S("Backup"), S("backup")), 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, SchedulerUtils, ::testing::Values("C", "de_DE"));
