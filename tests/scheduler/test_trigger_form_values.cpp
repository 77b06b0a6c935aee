// The trigger panels' values read from a stored trigger and written back, on
// both branches, without a window.
#include "TaskItemTestSupport.h"
#include "scheduler/UTriggerFormValues.h"

#include <functional>

using namespace tasktest;

namespace {

class TriggerFormValues : public TaskItemTest {
protected:
    // A stored task with one trigger of the kind, begun 11 August 2021 at
    // 08:30, that prepare() fills further; read afresh.
    ::TTrigger* Stored(TTriggerType kind, const std::function<void(::TTrigger&, TTriggerTypeUnion&)>& prepare)
    {
        TTaskItem* item = NewItem();
        ::TTrigger* trigger = item->Triggers().Add(kind);
        trigger->SetBeginDate(DateTimeToSerial(QDateTime(QDate(2021, 8, 11), QTime(0, 0))));
        trigger->SetStartTime(DateTimeToSerial(QDateTime(QDate(2021, 8, 11), QTime(8, 30))));
        TTriggerTypeUnion details{};
        prepare(*trigger, details);
        trigger->SetDetails(details);
        if (kind == ttMonthlyDow && !Job())
            trigger->SetMonthlyDOWTrigger();
        item->Triggers().UpdateTriggers();
        item->Deactivate(true);
        return Reloaded()->Triggers().Items(0);
    }

    // Writes the values into the trigger and reads it back from the store.
    ::TTrigger* Written(::TTrigger* trigger, const TTriggerFormValues& values, TRepeatDuration duration)
    {
        values.ToTrigger(*trigger, duration);
        trigger->Collection()->UpdateTriggers();
        trigger->Collection()->TaskItem()->Deactivate(true);
        return Reloaded()->Triggers().Items(0);
    }
};
INSTANTIATE_TEST_SUITE_P(Branches, TriggerFormValues, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Job10" : "Task20"; });

QDate BeginOf(const ::TTrigger* trigger)
{
    return SerialToDateTime(trigger->BeginDate()).date();
}

QTime StartOf(const ::TTrigger* trigger)
{
    return SerialToDateTime(trigger->StartTime()).time();
}

}  // namespace

TEST_P(TriggerFormValues, ReadAndWrittenBackByKind)
{
    const QDate today = QDate::currentDate();
    const auto lastFriday = [](::TTrigger&, TTriggerTypeUnion& d) {
        d.MonthlyDOW.wWhichWeek = 5;
        d.MonthlyDOW.rgfDaysOfTheWeek = 1 << 5;
        d.MonthlyDOW.rgfMonths = 0x0FFF;
    };
    const struct Case {
        const char* name;
        TTriggerType kind;
        std::function<void(::TTrigger&, TTriggerTypeUnion&)> prepare;
        std::function<void(const TTriggerFormValues&)> read;
        std::function<void(TTriggerFormValues&)> edit;
        TRepeatDuration duration;
        std::function<void(const ::TTrigger*)> written;
    } cases[] = {
        {"once", ttOnce, [](auto&, auto&) {},
         [](const TTriggerFormValues& v) {
             EXPECT_EQ(v.StartDate, QDate(2021, 8, 11));
             EXPECT_EQ(v.StartTime, QTime(8, 30));
         },
         [](TTriggerFormValues& v) {
             v.StartDate = QDate(2022, 1, 2);
             v.StartTime = QTime(21, 45);
         },
         TRepeatDuration::Kept,
         [](const ::TTrigger* t) {
             EXPECT_EQ(BeginOf(t), QDate(2022, 1, 2));
             EXPECT_EQ(StartOf(t), QTime(21, 45));
         }},
        // A repeat keeps the duration it was read with, or takes the whole day.
        {"repeat kept", ttDaily,
         [](auto& t, auto& d) {
             d.Daily.DaysInterval = 1;
             t.SetInterval(90);
             t.SetDuration(600);
         },
         [](const TTriggerFormValues& v) {
             EXPECT_TRUE(v.EveryDay);
             EXPECT_TRUE(v.Repeat);
             EXPECT_EQ(v.RepeatEvery.Value, 90);
             EXPECT_FALSE(v.RepeatEvery.Hours);
         },
         [](TTriggerFormValues& v) { v.RepeatEvery = {2, true}; }, TRepeatDuration::Kept,
         [](const ::TTrigger* t) {
             EXPECT_EQ(t->Interval(), 120u);
             EXPECT_EQ(t->Duration(), 600u);
         }},
        {"repeat whole day", ttDaily,
         [](auto& t, auto& d) {
             d.Daily.DaysInterval = 1;
             t.SetInterval(120);
             t.SetDuration(600);
         },
         [](const TTriggerFormValues& v) {
             EXPECT_EQ(v.RepeatEvery.Value, 2);
             EXPECT_TRUE(v.RepeatEvery.Hours);
         },
         [](TTriggerFormValues&) {}, TRepeatDuration::WholeDay,
         [](const ::TTrigger* t) {
             EXPECT_EQ(t->Interval(), 120u);
             EXPECT_EQ(t->Duration(), 1440u);
         }},
        // Without a repeat a day is written as 1440, not 0.
        {"once a day", ttDaily, [](auto&, auto& d) { d.Daily.DaysInterval = 1; },
         [](const TTriggerFormValues& v) {
             EXPECT_TRUE(v.EveryDay);
             EXPECT_FALSE(v.Repeat);
         },
         [](TTriggerFormValues& v) { v.StartDate = QDate(2023, 3, 4); }, TRepeatDuration::Kept,
         [](const ::TTrigger* t) {
             EXPECT_EQ(BeginOf(t), QDate(2023, 3, 4));
             EXPECT_EQ(t->Interval(), 1440u);
             EXPECT_EQ(t->Duration(), 1440u);
             EXPECT_EQ(t->Details().Daily.DaysInterval, 1);
         }},
        {"every few days", ttDaily, [](auto&, auto& d) { d.Daily.DaysInterval = 3; },
         [](const TTriggerFormValues& v) {
             EXPECT_FALSE(v.EveryDay);
             EXPECT_EQ(v.DaysInterval, 3);
         },
         [](TTriggerFormValues& v) { v.DaysInterval = 5; }, TRepeatDuration::WholeDay,
         [](const ::TTrigger* t) { EXPECT_EQ(t->Details().Daily.DaysInterval, 5); }},
        // Weekly and monthly by date begin on the day they are written.
        {"weekly", ttWeekly,
         [](auto&, auto& d) {
             d.Weekly.WeeksInterval = 2;
             d.Weekly.rgfDaysOfTheWeek = 2 | 32;
         },
         [](const TTriggerFormValues& v) {
             EXPECT_EQ(v.WeeksInterval, 2);
             EXPECT_EQ(v.WeekDays, 2 | 32);
             EXPECT_EQ(v.StartTime, QTime(8, 30));
         },
         [](TTriggerFormValues& v) {
             v.WeekDays = 1;
             v.WeeksInterval = 3;
         },
         TRepeatDuration::Kept,
         [today](const ::TTrigger* t) {
             EXPECT_EQ(BeginOf(t), today);
             EXPECT_EQ(t->Details().Weekly.rgfDaysOfTheWeek, 1);
             EXPECT_EQ(t->Details().Weekly.WeeksInterval, 3);
         }},
        {"monthly by date", ttMonthlyDate,
         [](auto&, auto& d) {
             d.MonthlyDate.rgfDays = (1u << 0) | (1u << 14);
             d.MonthlyDate.rgfMonths = 0x0FFF;
         },
         [](const TTriggerFormValues& v) {
             EXPECT_EQ(v.MonthDays, (1u << 0) | (1u << 14));
             EXPECT_EQ(v.Months, 0x0FFF);
         },
         [](TTriggerFormValues& v) {
             v.MonthDays = 1u << 30;
             v.Months = 2;
         },
         TRepeatDuration::Kept,
         [today](const ::TTrigger* t) {
             EXPECT_EQ(BeginOf(t), today);
             EXPECT_EQ(t->Details().MonthlyDate.rgfDays, 1u << 30);
             EXPECT_EQ(t->Details().MonthlyDate.rgfMonths, 2);
         }},
        // The last Friday: an unchanged week keeps week 5, the begin date stays.
        {"monthly by week day", ttMonthlyDow,
         lastFriday,
         [](const TTriggerFormValues& v) {
             EXPECT_EQ(v.WhichWeek, 4);
             EXPECT_EQ(v.LoadedWhichWeek, 4);
             EXPECT_EQ(v.WeekDays, 1 << 5);
         },
         [](TTriggerFormValues& v) { v.Months = 1; }, TRepeatDuration::Kept,
         [](const ::TTrigger* t) {
             EXPECT_EQ(BeginOf(t), QDate(2021, 8, 11));
             EXPECT_EQ(t->Details().MonthlyDOW.wWhichWeek, 5);
             EXPECT_EQ(t->Details().MonthlyDOW.rgfMonths, 1);
         }},
        {"monthly, another week", ttMonthlyDow,
         lastFriday,
         [](const TTriggerFormValues&) {},
         [](TTriggerFormValues& v) {
             v.WhichWeek = 1;
             v.WeekDays = 1 | 2;
         },
         TRepeatDuration::Kept,
         [](const ::TTrigger* t) {
             EXPECT_EQ(t->Details().MonthlyDOW.wWhichWeek, 2);
             EXPECT_EQ(t->Details().MonthlyDOW.rgfDaysOfTheWeek, 1 | 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::TTrigger* trigger = Stored(c.kind, c.prepare);
        TTriggerFormValues values = TTriggerFormValues::FromTrigger(*trigger);
        EXPECT_EQ(values.Kind, c.kind);
        c.read(values);
        c.edit(values);
        ::TTrigger* written = Written(trigger, values, c.duration);
        ASSERT_EQ(written->TriggerType(), c.kind);
        c.written(written);
        Scheduler->DeleteTask(S("Nightly"));
    }
}
