#include "UTriggerFormValues.h"

namespace {

const quint32 MinutesPerDay = 1440;

TDateTime OnDate(const QDate& date)
{
    return DateTimeToSerial(QDateTime(date, QTime(0, 0)));
}

}  // namespace

TTriggerFormValues TTriggerFormValues::FromTrigger(const TTrigger& trigger)
{
    TTriggerFormValues values;
    values.Kind = trigger.TriggerType();
    // The 1.0 start is a date alone; the record holds the time for both.
    values.StartDate = SerialToDateTime(trigger.GetStartVistaDateTime()).date();
    values.StartTime = SerialToDateTime(trigger.StartTime()).time();
    const TTriggerTypeUnion details = trigger.Details();
    switch (values.Kind) {
    case ttDaily:
        values.EveryDay = details.Daily.DaysInterval == 1;
        if (!values.EveryDay)
            values.DaysInterval = details.Daily.DaysInterval;
        else if (trigger.Interval() > 0) {
            values.Repeat = true;
            values.RepeatEvery = TRepeatInterval::FromMinutes(trigger.Interval());
        }
        break;
    case ttWeekly:
        values.WeeksInterval = details.Weekly.WeeksInterval;
        values.WeekDays = details.Weekly.rgfDaysOfTheWeek;
        break;
    case ttMonthlyDate:
        values.MonthDays = details.MonthlyDate.rgfDays;
        values.Months = details.MonthlyDate.rgfMonths;
        break;
    case ttMonthlyDow:
        values.WhichWeek = details.MonthlyDOW.wWhichWeek - 1;
        values.LoadedWhichWeek = values.WhichWeek;
        values.WeekDays = details.MonthlyDOW.rgfDaysOfTheWeek;
        values.Months = details.MonthlyDOW.rgfMonths;
        break;
    default:
        break;
    }
    return values;
}

void TTriggerFormValues::ToTrigger(TTrigger& trigger, TRepeatDuration duration) const
{
    TTriggerTypeUnion details = trigger.Details();
    switch (Kind) {
    case ttOnce:
        trigger.SetStartTime(SerialAtTime(StartTime));
        trigger.SetBeginDate(OnDate(StartDate));
        return;
    case ttDaily:
        WriteDaily(trigger, details, duration);
        break;
    case ttWeekly:
        trigger.SetStartTime(SerialAtTime(StartTime));
        trigger.SetBeginDate(SerialToday());
        details.Weekly.WeeksInterval = quint16(WeeksInterval);
        details.Weekly.rgfDaysOfTheWeek = quint16(WeekDays);
        break;
    case ttMonthlyDate:
    case ttMonthlyDow:
        WriteMonthly(trigger, details);
        break;
    default:
        return;
    }
    trigger.SetDetails(details);
}

void TTriggerFormValues::WriteDaily(TTrigger& trigger, TTriggerTypeUnion& details, TRepeatDuration duration) const
{
    trigger.SetStartTime(SerialAtTime(StartTime));
    trigger.SetBeginDate(OnDate(StartDate));
    if (!EveryDay) {
        details.Daily.DaysInterval = quint16(DaysInterval);
        return;
    }
    details.Daily.DaysInterval = 1;
    // Without a repeat the trigger fires once a day: 1440, not 0.
    trigger.SetInterval(Repeat ? RepeatEvery.Minutes() : MinutesPerDay);
    if (!Repeat || duration == TRepeatDuration::WholeDay)
        trigger.SetDuration(MinutesPerDay);
}

void TTriggerFormValues::WriteMonthly(TTrigger& trigger, TTriggerTypeUnion& details) const
{
    trigger.SetStartTime(SerialAtTime(StartTime));
    if (Kind == ttMonthlyDate) {
        trigger.SetBeginDate(SerialToday());
        details.MonthlyDate.rgfDays = MonthDays;
        details.MonthlyDate.rgfMonths = quint16(Months);
        return;
    }
    details.MonthlyDOW.rgfMonths = quint16(Months);
    details.MonthlyDOW.wWhichWeek = quint16(WhichWeek + 1);
    details.MonthlyDOW.rgfDaysOfTheWeek = quint16(WeekDays);
    // The writer prefers the weeks read from the task: a chosen week replaces
    // them, an unchanged one keeps them.
    if (LoadedWhichWeek && WhichWeek != *LoadedWhichWeek)
        trigger.SetVistaMonthlyDOWWeeks(TVistaMDOWWeeks{TVistaMDOWWeek(WhichWeek)});
}
