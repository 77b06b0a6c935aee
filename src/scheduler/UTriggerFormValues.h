#pragma once

#include "UPropsRules.h"
#include "UTriggers.h"

#include <QDate>
#include <QTime>
#include <optional>

// What a repeating daily trigger keeps as its duration when it is written:
// the duration it already has, or a whole day.
enum class TRepeatDuration { Kept, WholeDay };

// The values of the trigger panels without the panels: what a dialog shows of
// one trigger and writes back into it. Masks are those of the trigger's
// details (week days Sunday 1 to Saturday 64, months January 1 to December
// 2048, month days bit n for day n + 1).
class TTriggerFormValues {
public:
    TTriggerType Kind = ttOnce;
    QDate StartDate;
    QTime StartTime;
    // Daily: every day, repeated or not, or every DaysInterval days.
    bool EveryDay = true;
    bool Repeat = false;
    TRepeatInterval RepeatEvery{5, false};
    int DaysInterval = 2;
    // Weekly.
    int WeeksInterval = 1;
    // The week days of a weekly trigger and of a monthly one by week day.
    int WeekDays = 0;
    // Monthly.
    quint32 MonthDays = 0;
    int WhichWeek = 0;   // 0 "First" to 4 "Last"
    int Months = 0;
    // The week read from the trigger: another chosen week replaces the weeks
    // the trigger was read with; none read, none replaced.
    std::optional<int> LoadedWhichWeek;

    static TTriggerFormValues FromTrigger(const TTrigger& trigger);
    // Writes the values of Kind into the trigger, which is of that kind; kinds
    // without a panel leave it as it is.
    void ToTrigger(TTrigger& trigger, TRepeatDuration duration) const;

private:
    void WriteDaily(TTrigger& trigger, TTriggerTypeUnion& details, TRepeatDuration duration) const;
    void WriteMonthly(TTrigger& trigger, TTriggerTypeUnion& details) const;
};
