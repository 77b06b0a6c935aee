#pragma once

#include "platform/tasksched/UTaskService.h"

#include <QDateTime>
#include <QString>

// The routines of the scheduler wrapper: mask texts, ISO-8601 date-times and
// durations, serial dates, the version and administrator tests, and the two
// locale comparisons that sort and search the task list.

// A date-time as a serial day count: 1899-12-30 00:00 is 0, the fraction is
// the time of day, in local wall time.
using TDateTime = double;

// The platform's broken-down time.
struct TSystemTime {
    quint16 wYear = 0;
    quint16 wMonth = 0;
    quint16 wDayOfWeek = 0;
    quint16 wDay = 0;
    quint16 wHour = 0;
    quint16 wMinute = 0;
    quint16 wSecond = 0;
    quint16 wMilliseconds = 0;
};

// "1, 12" for the bits 0 (January) to 11 (December); other bits are ignored.
QString MonthsToStr(int mask);
// The long names of QLocale() for the bits 0 (Sunday) to 6, joined by ", ".
QString DaysOfWeekToStr(int mask);
// "yyyy-mm-ddThh:mm:ss" read by fixed positions, anything after ignored; ""
// gives 0; a text that does not read raises EConvertError
// "'%s' is not a valid date and time".
TDateTime IsoToDateTime(const QString& text);
// The record's values as they are, unchecked: an all-zero record gives a
// large negative value.
TDateTime SystemTimeToDateTime(const TSystemTime& time);
// "P%dDT%dH%dM", "PT%dH%dM" or "PT%dM".
QString MinutesToDuration(quint32 minutes);
// The days, hours and minutes of an ISO-8601 duration; other designators add
// nothing.
int DurationToMinutes(const QString& text);
// Whether the 2.0 operations exist.
bool IsVistaOrLater();
bool IsUserAdmin();
// Locale comparisons, -1, 0 or 1: QCollator of QLocale(), English under the C
// locale.
int CompareTextIgnoreCase(const QString& a, const QString& b);
int CompareTextCaseSensitive(const QString& a, const QString& b);

// Between serial days and local date-times; an invalid date-time is 0.
TDateTime DateTimeToSerial(const QDateTime& time);
QDateTime SerialToDateTime(TDateTime serial);
// Today at midnight, and today at time.
TDateTime SerialToday();
TDateTime SerialAtTime(const QTime& time);

// The platform that the scheduler wrapper uses; tests put fakes in.
tasksched::TPlatform& SchedulerPlatform();
void SetSchedulerPlatform(const tasksched::TPlatform& platform);
