// The triggers of a task: their texts, the 2.0 writers and readers, and the
// list operations on both branches.
#include "TaskItemTestSupport.h"

#include <functional>

using namespace tasksched;
using namespace tasktest;

namespace {

class Triggers : public TaskItemTest {};
INSTANTIATE_TEST_SUITE_P(Branches, Triggers, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Job10" : "Task20"; });
// The service's own triggers, and the 1.0 record.
class ServiceTriggers : public Triggers {};
INSTANTIATE_TEST_SUITE_P(Branch, ServiceTriggers, ::testing::Values(false), [](const auto&) { return "Task20"; });
class JobTriggers : public Triggers {};
INSTANTIATE_TEST_SUITE_P(Branch, JobTriggers, ::testing::Values(true), [](const auto&) { return "Job10"; });

// A service trigger type the program has no name for.
class TOddTrigger : public TTriggerOf<TOddTrigger, 10> {};

template <class TKind>
std::shared_ptr<tasksched::TTrigger> Make(const std::function<void(TKind&)>& fill, const char* start = "2021-08-11T08:30:00")
{
    auto trigger = std::make_shared<TKind>();
    trigger->StartBoundary = S(start);
    fill(*trigger);
    return trigger;
}

template <class TKind>
std::shared_ptr<tasksched::TTrigger> Plain()
{
    return Make<TKind>([](TKind&) {});
}

std::shared_ptr<tasksched::TTrigger> Session(int change)
{
    return Make<TSessionStateChangeTrigger>([=](auto& t) { t.StateChange = change; });
}

std::shared_ptr<tasksched::TTrigger> DayOfWeek(int weeks, bool last, int days, int months)
{
    return Make<TMonthlyDOWTrigger>([=](auto& t) {
        t.WeeksOfMonth = weeks;
        t.RunOnLastWeekOfMonth = last;
        t.DaysOfWeek = days;
        t.MonthsOfYear = months;
    });
}

}  // namespace

TEST_P(ServiceTriggers, TextOfEveryServiceTrigger)
{
    struct Case {
        std::shared_ptr<tasksched::TTrigger> trigger;
        const char* text;
    };
    const std::vector<Case> cases = {
        {Make<TDailyTrigger>([](auto& t) { t.DaysInterval = 1; }), "At 08:30:00 every day"},
        {Make<TDailyTrigger>([](auto& t) { t.DaysInterval = 3; }), "At 08:30:00 every 3 days"},
        {Make<TWeeklyTrigger>([](auto& t) { t.DaysOfWeek = 0x22; t.WeeksInterval = 1; }),
         "At 08:30:00 every Monday, Friday of every week, starting 11/08/2021"},
        {Make<TWeeklyTrigger>([](auto& t) { t.DaysOfWeek = 0x41; t.WeeksInterval = 2; }),
         "At 08:30:00 every Sunday, Saturday of every 2 weeks, starting 11/08/2021"},
        {Make<TMonthlyTrigger>([](auto& t) { t.DaysOfMonth = 0x4001; t.MonthsOfYear = 0x41; }),
         "At 08:30:00 on day 1, 15 of month 1, 7, starting 11/08/2021"},
        {DayOfWeek(0x2, false, 0x4, 0x801), "Runs at 08:30:00 on the Second Tuesday of month 1, 12, starting 11/08/2021"},
        {DayOfWeek(0, true, 0x20, 0x1), "Runs at 08:30:00 on the Last Friday of month 1, starting 11/08/2021"},
        {DayOfWeek(0x11, true, 0x20, 0x1), "Runs at 08:30:00 on the First, Last Friday of month 1, starting 11/08/2021"},
        {Make<TTimeTrigger>([](auto&) {}, "2021-08-11T09:05:42"), "At 09:05:42 on 11/08/2021"},
        {Plain<TEventTrigger>(), "At event"},
        {Plain<TIdleTrigger>(), "When computer is idle"},
        {Plain<TRegistrationTrigger>(), "At task creation/modification"},
        {Plain<TBootTrigger>(), "On system startup"},
        {Plain<TLogonTrigger>(), "At logon"},
        {Session(3), "At connect to user session"},
        {Session(4), "At disconnect from user session"},
        {Session(7), "At session lock"},
        {Session(8), "At session unlock"},
        {Session(5), "At session unlock"},
        {Plain<TOddTrigger>(), "Trigger 10"},
        {Make<TTimeTrigger>([](auto&) {}, ""), "At 00:00:00 on 30/12/1899"},
    };
    for (const Case& c : cases) {
        TTaskItem* item = Scheduler->CreateNewItem(S("T"));
        item->TaskDefinition()->Triggers().Append(c.trigger);
        item->Activate();
        ASSERT_EQ(item->Triggers().Count(), 1);
        EXPECT_EQ(item->Triggers()[0]->AsString(), S(c.text));
        EXPECT_EQ(item->TriggerString(), S(c.text));
        Scheduler->Clear();
    }
}

TEST_P(Triggers, TriggerStringsForNoneOneAndTwo)
{
    TTaskItem* item = NewItem();
    QStringList strings;
    item->Triggers().GetTriggerStrings(strings);
    EXPECT_EQ(strings, QStringList({S("<Task not scheduled>")}));
    EXPECT_EQ(item->TriggerString(), S("Task not scheduled"));

    ::TTrigger* daily = item->Triggers().Add(ttDaily);
    daily->SetBeginDate(DateTimeToSerial(QDateTime(QDate(2021, 8, 11), QTime(0, 0))));
    daily->SetStartTime(QTime(8, 30).msecsSinceStartOfDay() / 86400000.0);
    TTriggerTypeUnion details{};
    details.Daily.DaysInterval = 3;
    daily->SetDetails(details);
    item->Triggers().UpdateTriggers();
    item->Triggers().GetTriggerStrings(strings);
    EXPECT_EQ(strings, QStringList({S("At 08:30:00 every 3 days")}));
    EXPECT_EQ(item->TriggerString(), S("At 08:30:00 every 3 days"));

    ::TTrigger* boot = item->Triggers().Add(ttAtStartup);
    boot->SetBeginDate(daily->BeginDate());
    item->Triggers().UpdateTriggers();
    item->Triggers().GetTriggerStrings(strings);
    EXPECT_EQ(strings, QStringList({S("1. At 08:30:00 every 3 days"), S("2. On system startup")}));
    EXPECT_EQ(item->TriggerString(), S("Multiple schedule times"));

    item->Deactivate(true);
    TTaskItem* reloaded = Reloaded();
    ASSERT_NE(reloaded, nullptr);
    reloaded->Triggers().GetTriggerStrings(strings);
    EXPECT_EQ(strings, QStringList({S("1. At 08:30:00 every 3 days"), S("2. On system startup")}));
    EXPECT_EQ(reloaded->Triggers()[1]->TriggerType(), ttAtStartup);

    reloaded->Triggers().Clear();
    EXPECT_EQ(reloaded->Triggers().Count(), 0);
    EXPECT_EQ(Job() ? 0 : reloaded->TaskDefinition()->Triggers().Count(), 0);
}

TEST_P(Triggers, IndexOutOfBoundsAndUnknownType)
{
    TTaskItem* item = NewItem();
    for (int index : {-1, 0}) {
        try {
            item->Triggers().Items(index);
            ADD_FAILURE() << index;
        } catch (const ETriggerError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Trigger index out of bounds (%1)").arg(index));
        }
    }
    if (!Job()) {
        EXPECT_EQ(item->Triggers().Add(ttUnknown), nullptr);
        EXPECT_EQ(item->Triggers().Count(), 0);
        EXPECT_EQ(item->TaskDefinition()->Triggers().Count(), 0);
    }
}

TEST_P(ServiceTriggers, MonthlyWeekSetsRoundTrip)
{
    struct Case {
        int weeks;
        bool last;
        TVistaMDOWWeeks set;
        int whichWeek;
    };
    const std::vector<Case> cases = {
        {0x2, false, {tvmdowSecond}, 2},
        {0x11, true, {tvmdowFirst, tvmdowLast}, 5},
        {0x11, false, {tvmdowFirst, tvmdowLast}, 5},
        {0, true, {tvmdowLast}, 5},
        {0x5, false, {tvmdowFirst, tvmdowThird}, 3},
    };
    for (const Case& c : cases) {
        TTaskItem* item = NewItem();
        item->TaskDefinition()->Triggers().Append(DayOfWeek(c.weeks, c.last, 0x4, 0x1));
        item->Activate();
        ::TTrigger* trigger = item->Triggers()[0];
        EXPECT_EQ(trigger->VistaMonthlyDOWWeeks(), c.set) << c.weeks;
        EXPECT_EQ(trigger->Details().MonthlyDOW.wWhichWeek, c.whichWeek) << c.weeks;
        item->Triggers().UpdateTriggers();
        const auto& written = As<TMonthlyDOWTrigger>(item->TaskDefinition()->Triggers().Item(1));
        EXPECT_EQ(written.WeeksOfMonth, c.weeks | (c.last ? 0x10 : 0)) << c.weeks;
        EXPECT_EQ(written.RunOnLastWeekOfMonth, c.set.Contains(tvmdowLast)) << c.weeks;
        Scheduler->Clear();
    }
}

TEST_P(ServiceTriggers, TheWhichWeekWriterWithNoWeekSet)
{
    // Week 0 names no week: nothing is shifted by -1.
    for (int week : {0, 1, 4, 5, 6}) {
        TTaskItem* item = NewItem();
        ::TTrigger* trigger = item->Triggers().Add(ttMonthlyDow);
        TTriggerTypeUnion details{};
        details.MonthlyDOW.wWhichWeek = quint16(week);
        trigger->SetDetails(details);
        trigger->SetMonthlyDOWTrigger();
        const auto& written = As<TMonthlyDOWTrigger>(trigger->VistaTrigger());
        EXPECT_EQ(written.WeeksOfMonth, week >= 1 && week <= 5 ? 1 << (week - 1) : 0) << week;
        EXPECT_EQ(written.RunOnLastWeekOfMonth, week == 5) << week;
        Scheduler->Clear();
    }
}

TEST_P(ServiceTriggers, WritersAndReadersOfTheServiceTriggers)
{
    TTaskItem* item = NewItem();
    // A daily interval of 0 is written as 1.
    ::TTrigger* daily = item->Triggers().Add(ttDaily);
    daily->SetBeginDate(DateTimeToSerial(QDateTime(QDate(2021, 8, 11), QTime(0, 0))));
    daily->SetStartTime(QTime(9, 5, 59).msecsSinceStartOfDay() / 86400000.0);
    daily->SetHasEndDate(true);
    daily->SetEndDate(DateTimeToSerial(QDateTime(QDate(2021, 9, 1), QTime(0, 0))));
    daily->SetDailyTrigger();
    const auto& written = As<TDailyTrigger>(daily->VistaTrigger());
    EXPECT_EQ(written.DaysInterval, 1);
    EXPECT_EQ(written.StartBoundary, S("2021-08-11T09:05:00"));
    EXPECT_EQ(written.EndBoundary, S("2021-09-01T00:00:00"));
    // A writer of another kind changes nothing.
    EXPECT_THROW(daily->SetWeeklyTrigger(), ENotSupported);
    // Repetition goes to the service at once.
    daily->SetInterval(90);
    daily->SetDuration(24 * 60);
    daily->SetKillAtDurationEnd(true);
    EXPECT_EQ(written.Repetition.Interval, S("PT1H30M"));
    EXPECT_EQ(written.Repetition.Duration, S("P1DT0H0M"));
    EXPECT_EQ(daily->Interval(), 90u);
    EXPECT_EQ(daily->Duration(), 1440u);
    EXPECT_TRUE(daily->KillAtDurationEnd());
    daily->SetEnabled(false);
    EXPECT_FALSE(written.Enabled);

    // Seconds of a stored start boundary become ":00" once read.
    item->TaskDefinition()->Triggers().Append(
        Make<TWeeklyTrigger>([](auto& t) { t.DaysOfWeek = 0x22; t.WeeksInterval = 2; }, "2022-03-04T07:08:09"));
    // A session trigger is read as unknown and never rewritten.
    auto session = std::make_shared<TSessionStateChangeTrigger>();
    session->StartBoundary = S("2022-03-04T07:08:09");
    session->StateChange = 7;
    item->TaskDefinition()->Triggers().Append(session);
    item->Activate();
    ASSERT_EQ(item->Triggers().Count(), 3);
    ::TTrigger* weekly = item->Triggers()[1];
    EXPECT_EQ(weekly->TriggerType(), ttWeekly);
    EXPECT_EQ(weekly->VistaTrigger()->StartBoundary, S("2022-03-04T07:08:00"));
    EXPECT_EQ(weekly->Details().Weekly.WeeksInterval, 2);
    EXPECT_EQ(weekly->Details().Weekly.rgfDaysOfTheWeek, 0x22);
    EXPECT_EQ(SerialToDateTime(weekly->BeginDate()), QDateTime(QDate(2022, 3, 4), QTime(7, 8)));
    EXPECT_EQ(item->Triggers()[2]->TriggerType(), ttUnknown);
    session->UserId = S("kept");
    item->Triggers().UpdateTriggers();
    EXPECT_EQ(session->StartBoundary, S("2022-03-04T07:08:09"));
    EXPECT_EQ(session->UserId, S("kept"));

    // The event writers ask for a start when available; the session writer
    // names the state change of its type.
    item->TaskDefinition()->Settings().StartWhenAvailable = false;
    ::TTrigger* unlock = item->Triggers().Add(ttOnLock);
    unlock->SetUserName(S("alice"));
    item->Triggers().UpdateTriggers();
    const auto& lock = As<TSessionStateChangeTrigger>(unlock->VistaTrigger());
    EXPECT_EQ(lock.StateChange, 7);
    EXPECT_EQ(lock.UserId, S("alice"));
    EXPECT_TRUE(item->TaskDefinition()->Settings().StartWhenAvailable);
}

TEST_P(JobTriggers, RecordPropertiesOfAJobTrigger)
{
    TTaskItem* item = NewItem();
    ::TTrigger* trigger = item->Triggers().Add(ttWeekly);
    EXPECT_EQ(trigger->Record().cbTriggerSize, 48);
    EXPECT_EQ(trigger->BeginDate(), 0);
    trigger->SetBeginDate(DateTimeToSerial(QDateTime(QDate(2023, 1, 2), QTime(0, 0))));
    trigger->SetStartTime(QTime(23, 59, 30).msecsSinceStartOfDay() / 86400000.0);
    trigger->SetEndDate(DateTimeToSerial(QDateTime(QDate(2023, 6, 30), QTime(0, 0))));
    trigger->SetHasEndDate(true);
    trigger->SetInterval(15);
    trigger->SetDuration(60);
    trigger->SetKillAtDurationEnd(true);
    trigger->SetEnabled(false);
    TTriggerTypeUnion details{};
    details.Weekly.WeeksInterval = 2;
    details.Weekly.rgfDaysOfTheWeek = 0x22;
    trigger->SetDetails(details);
    item->Deactivate(true);

    TTaskItem* reloaded = Reloaded();
    ASSERT_NE(reloaded, nullptr);
    ASSERT_EQ(reloaded->Triggers().Count(), 1);
    const ::TTrigger* read = reloaded->Triggers()[0];
    EXPECT_EQ(read->TriggerType(), ttWeekly);
    EXPECT_EQ(SerialToDateTime(read->BeginDate()).date(), QDate(2023, 1, 2));
    EXPECT_EQ(SerialToDateTime(read->StartTime()).time(), QTime(23, 59));
    EXPECT_EQ(SerialToDateTime(read->EndDate()).date(), QDate(2023, 6, 30));
    EXPECT_TRUE(read->HasEndDate());
    EXPECT_EQ(read->Interval(), 15u);
    EXPECT_EQ(read->Duration(), 60u);
    EXPECT_TRUE(read->KillAtDurationEnd());
    EXPECT_FALSE(read->Enabled());
    EXPECT_EQ(read->Details().Weekly.WeeksInterval, 2);
    EXPECT_EQ(read->Details().Weekly.rgfDaysOfTheWeek, 0x22);
    EXPECT_EQ(read->AsString(), S("At 23:59:00 every Monday, Friday of every 2 weeks, starting 02/01/2023"));
}
