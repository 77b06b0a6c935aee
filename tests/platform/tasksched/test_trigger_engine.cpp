// The trigger engine in Berlin's wall time: calendars, changeovers,
// repetitions and boundaries, each as the runs that follow a moment.
#include "platform/tasksched/UTriggerEngine.h"

#include <gtest/gtest.h>
#include <functional>

using namespace tasksched;

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

const QTimeZone& Berlin()
{
    static const QTimeZone zone("Europe/Berlin");
    return zone;
}

// The first `count` runs after `from` (wall time in Berlin), each as ISO text
// with its offset.
QStringList Runs(const TTrigger& trigger, const char* from, int count)
{
    QDateTime after = TTriggerEngine::ParseBoundary(S(from), Berlin());
    QStringList runs;
    for (int i = 0; i < count; ++i) {
        after = TTriggerEngine::next(trigger, after, Berlin());
        if (!after.isValid())
            break;
        runs << after.toString(Qt::ISODate);
    }
    return runs;
}

struct TCase {
    const char* name;
    std::function<std::shared_ptr<TTrigger>(TTriggerCollection&)> make;
    const char* from;
    int count;
    QStringList expected;
};

template <class TKind>
TKind& Add(TTriggerCollection& triggers, const char* start)
{
    auto& trigger = As<TKind>(triggers.Create(TKind::Kind));
    trigger.StartBoundary = S(start);
    return trigger;
}

std::shared_ptr<TTrigger> Last(TTriggerCollection& triggers)
{
    return triggers.Item(triggers.Count());
}

constexpr int friday = 1 << 5;

}  // namespace

TEST(TriggerEngine, RunsInBerlinWallTime)
{
    const QList<TCase> cases = {
        {"once, then never again",
         [](TTriggerCollection& t) { Add<TTimeTrigger>(t, "2024-05-10T08:00:00"); return Last(t); },
         "2024-05-01T00:00:00", 3, {S("2024-05-10T08:00:00+02:00")}},
        {"every 3 days from the start date across a year end",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-12-30T09:00:00").DaysInterval = 3; return Last(t); },
         "2024-12-29T00:00:00", 3,
         {S("2024-12-30T09:00:00+01:00"), S("2025-01-02T09:00:00+01:00"), S("2025-01-05T09:00:00+01:00")}},
        {"every 3 days, asked between two runs",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-12-30T09:00:00").DaysInterval = 3; return Last(t); },
         "2024-12-31T10:00:00", 1, {S("2025-01-02T09:00:00+01:00")}},
        {"Monday and Friday every 2 weeks, weeks starting on Sunday, across a year end",
         [](TTriggerCollection& t) {
             auto& weekly = Add<TWeeklyTrigger>(t, "2024-12-20T10:00:00");
             weekly.DaysOfWeek = (1 << 1) | friday;
             weekly.WeeksInterval = 2;
             return Last(t);
         },
         "2024-12-01T00:00:00", 4,
         {S("2024-12-20T10:00:00+01:00"), S("2024-12-30T10:00:00+01:00"), S("2025-01-03T10:00:00+01:00"),
          S("2025-01-13T10:00:00+01:00")}},
        {"day 31 skips the months without one",
         [](TTriggerCollection& t) {
             auto& monthly = Add<TMonthlyTrigger>(t, "2024-01-01T12:00:00");
             monthly.DaysOfMonth = 1u << 30;
             monthly.MonthsOfYear = 0xFFF;
             return Last(t);
         },
         "2024-01-01T00:00:00", 4,
         {S("2024-01-31T12:00:00+01:00"), S("2024-03-31T12:00:00+02:00"), S("2024-05-31T12:00:00+02:00"),
          S("2024-07-31T12:00:00+02:00")}},
        {"29 to 31 February run only on leap days",
         [](TTriggerCollection& t) {
             auto& monthly = Add<TMonthlyTrigger>(t, "2023-01-01T12:00:00");
             monthly.DaysOfMonth = (1u << 28) | (1u << 29) | (1u << 30);
             monthly.MonthsOfYear = 1 << 1;
             return Last(t);
         },
         "2023-01-01T00:00:00", 2, {S("2024-02-29T12:00:00+01:00"), S("2028-02-29T12:00:00+01:00")}},
        {"First Friday is among days 1 to 7",
         [](TTriggerCollection& t) {
             auto& dow = Add<TMonthlyDOWTrigger>(t, "2024-01-01T07:00:00");
             dow.DaysOfWeek = friday;
             dow.WeeksOfMonth = 1;
             dow.MonthsOfYear = 0xFFF;
             return Last(t);
         },
         "2024-01-01T00:00:00", 3,
         {S("2024-01-05T07:00:00+01:00"), S("2024-02-02T07:00:00+01:00"), S("2024-03-01T07:00:00+01:00")}},
        {"Fourth and Last Friday run once where the fourth is the last",
         [](TTriggerCollection& t) {
             auto& dow = Add<TMonthlyDOWTrigger>(t, "2024-02-01T07:00:00");
             dow.DaysOfWeek = friday;
             dow.WeeksOfMonth = (1 << 3) | (1 << 4);
             dow.MonthsOfYear = 0xFFF;
             return Last(t);
         },
         "2024-02-01T00:00:00", 3,
         {S("2024-02-23T07:00:00+01:00"), S("2024-03-22T07:00:00+01:00"), S("2024-03-29T07:00:00+01:00")}},
        {"Last Friday through the run-on-last-week flag",
         [](TTriggerCollection& t) {
             auto& dow = Add<TMonthlyDOWTrigger>(t, "2024-01-01T07:00:00");
             dow.DaysOfWeek = friday;
             dow.RunOnLastWeekOfMonth = true;
             dow.MonthsOfYear = 0xFFF;
             return Last(t);
         },
         "2024-01-01T00:00:00", 3,
         {S("2024-01-26T07:00:00+01:00"), S("2024-02-23T07:00:00+01:00"), S("2024-03-29T07:00:00+01:00")}},
        {"02:30 in the spring gap runs at its end, and at 02:30 again the next day",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-03-30T02:30:00"); return Last(t); },
         "2024-03-30T00:00:00", 3,
         {S("2024-03-30T02:30:00+01:00"), S("2024-03-31T03:00:00+02:00"), S("2024-04-01T02:30:00+02:00")}},
        {"02:30 twice in autumn runs once, at the first",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-10-26T02:30:00"); return Last(t); },
         "2024-10-26T00:00:00", 3,
         {S("2024-10-26T02:30:00+02:00"), S("2024-10-27T02:30:00+02:00"), S("2024-10-28T02:30:00+01:00")}},
        {"after the first 02:30 of autumn the second is not a run",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-10-26T02:30:00"); return Last(t); },
         "2024-10-27T02:45:00", 1, {S("2024-10-28T02:30:00+01:00")}},
        {"08:30 on the spring changeover day",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-03-30T08:30:00"); return Last(t); },
         "2024-03-30T00:00:00", 2, {S("2024-03-30T08:30:00+01:00"), S("2024-03-31T08:30:00+02:00")}},
        {"08:30 on the autumn changeover day",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-10-26T08:30:00"); return Last(t); },
         "2024-10-26T00:00:00", 2, {S("2024-10-26T08:30:00+02:00"), S("2024-10-27T08:30:00+01:00")}},
        {"every 30 minutes for 2 hours across midnight",
         [](TTriggerCollection& t) {
             auto& daily = Add<TDailyTrigger>(t, "2024-05-10T23:00:00");
             daily.Repetition = {S("PT30M"), S("PT2H"), false};
             return Last(t);
         },
         "2024-05-10T22:00:00", 5,
         {S("2024-05-10T23:00:00+02:00"), S("2024-05-10T23:30:00+02:00"), S("2024-05-11T00:00:00+02:00"),
          S("2024-05-11T00:30:00+02:00"), S("2024-05-11T23:00:00+02:00")}},
        {"every 60 minutes for 3 hours across midnight",
         [](TTriggerCollection& t) {
             auto& daily = Add<TDailyTrigger>(t, "2024-05-10T23:00:00");
             daily.Repetition = {S("PT60M"), S("PT3H"), false};
             return Last(t);
         },
         "2024-05-11T00:10:00", 3,
         {S("2024-05-11T01:00:00+02:00"), S("2024-05-11T23:00:00+02:00"), S("2024-05-12T00:00:00+02:00")}},
        {"1440 minutes every 1440 minutes is the day's run alone",
         [](TTriggerCollection& t) {
             auto& daily = Add<TDailyTrigger>(t, "2024-05-10T10:00:00");
             daily.Repetition = {S("PT1440M"), S("PT1440M"), false};
             return Last(t);
         },
         "2024-05-10T09:00:00", 3,
         {S("2024-05-10T10:00:00+02:00"), S("2024-05-11T10:00:00+02:00"), S("2024-05-12T10:00:00+02:00")}},
        {"repetition in elapsed time across the spring gap",
         [](TTriggerCollection& t) {
             auto& once = Add<TTimeTrigger>(t, "2024-03-31T01:30:00");
             once.Repetition = {S("PT30M"), S("PT1H30M"), false};
             return Last(t);
         },
         "2024-03-31T00:00:00", 4,
         {S("2024-03-31T01:30:00+01:00"), S("2024-03-31T03:00:00+02:00"), S("2024-03-31T03:30:00+02:00")}},
        {"an empty duration repeats up to the end boundary",
         [](TTriggerCollection& t) {
             auto& once = Add<TTimeTrigger>(t, "2024-05-10T10:00:00");
             once.Repetition = {S("PT1H"), QString(), false};
             once.EndBoundary = S("2024-05-10T13:00:00");
             return Last(t);
         },
         "2024-05-10T00:00:00", 5,
         {S("2024-05-10T10:00:00+02:00"), S("2024-05-10T11:00:00+02:00"), S("2024-05-10T12:00:00+02:00")}},
        {"nothing at or after the end boundary",
         [](TTriggerCollection& t) {
             Add<TDailyTrigger>(t, "2024-05-10T10:00:00").EndBoundary = S("2024-05-12T10:00:00");
             return Last(t);
         },
         "2024-05-01T00:00:00", 5, {S("2024-05-10T10:00:00+02:00"), S("2024-05-11T10:00:00+02:00")}},
        {"a disabled trigger",
         [](TTriggerCollection& t) { Add<TDailyTrigger>(t, "2024-05-10T10:00:00").Enabled = false; return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
        {"a boundary with its own offset",
         [](TTriggerCollection& t) { Add<TTimeTrigger>(t, "2024-05-10T08:00:00Z"); return Last(t); },
         "2024-05-01T00:00:00", 1, {S("2024-05-10T10:00:00+02:00")}},
        {"no start boundary", [](TTriggerCollection& t) { Add<TDailyTrigger>(t, ""); return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
        {"idle", [](TTriggerCollection& t) { Add<TIdleTrigger>(t, "2024-05-10T10:00:00"); return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
        {"boot", [](TTriggerCollection& t) { Add<TBootTrigger>(t, "2024-05-10T10:00:00"); return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
        {"logon", [](TTriggerCollection& t) { Add<TLogonTrigger>(t, "2024-05-10T10:00:00"); return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
        {"session", [](TTriggerCollection& t) { Add<TSessionStateChangeTrigger>(t, "2024-05-10T10:00:00"); return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
        {"event", [](TTriggerCollection& t) { Add<TEventTrigger>(t, "2024-05-10T10:00:00"); return Last(t); },
         "2024-05-01T00:00:00", 1, {}},
    };
    for (const TCase& c : cases) {
        TTriggerCollection triggers;
        const std::shared_ptr<TTrigger> trigger = c.make(triggers);
        EXPECT_EQ(Runs(*trigger, c.from, c.count), c.expected) << c.name;
    }
}

TEST(TriggerEngine, TheTaskRunsAtItsEarliestTriggerUnlessDisabled)
{
    TTaskDefinition definition;
    As<TDailyTrigger>(definition.Triggers().Create(tkDaily)).StartBoundary = S("2024-05-10T10:00:00");
    As<TTimeTrigger>(definition.Triggers().Create(tkTime)).StartBoundary = S("2024-05-10T09:00:00");
    const QDateTime from = TTriggerEngine::ParseBoundary(S("2024-05-10T00:00:00"), Berlin());
    EXPECT_EQ(TTriggerEngine::next(definition, from, Berlin()).toString(Qt::ISODate), S("2024-05-10T09:00:00+02:00"));
    definition.Settings().Enabled = false;
    EXPECT_FALSE(TTriggerEngine::next(definition, from, Berlin()).isValid());
}

TEST(TriggerEngine, ReadsDurationsAndBoundaries)
{
    const QList<std::pair<const char*, qint64>> durations = {
        {"", 0}, {"PT0S", 0}, {"PT45M", 2700}, {"PT1H30M", 5400}, {"P1DT2H", 93600}, {"P2W", 1209600},
        {"PT1.5S", 1}, {"P", -1}, {"PT", -1}, {"1H", -1}, {"PT-5M", -1}, {"PT5X", -1}};
    for (const auto& [text, seconds] : durations)
        EXPECT_EQ(TTriggerEngine::DurationSeconds(S(text)), seconds) << text;

    const QList<std::pair<const char*, bool>> boundaries = {
        {"", true}, {"2024-05-10T10:00:00", true}, {"2024-05-10T10:00:00.123+05:30", true},
        {"2024-02-30T10:00:00", false}, {"2024-05-10 10:00:00", false}, {"2024-05-10T25:00:00", false}};
    for (const auto& [text, valid] : boundaries)
        EXPECT_EQ(TTriggerEngine::BoundaryValid(S(text)), valid) << text;
}
