#pragma once

#include "UTaskDefinition.h"

#include <QDateTime>
#include <QLocale>

namespace tasksched {

// The one-line texts of triggers, in the locale's names and formats; the
// same texts serve the 2.0 triggers and the 1.0 work-item triggers.
class TTriggerText {
public:
    static QString Text(const TTrigger& trigger, const QLocale& locale = QLocale());

    // The month numbers of the mask's bits 0 to 11, joined by ", ".
    static QString Months(int mask);
    // The locale's long weekday names of bits 0 (Sunday) to 6, joined by ", ".
    static QString DaysOfWeek(int mask, const QLocale& locale = QLocale());
    // "yyyy-mm-ddThh:mm:ss" read by fixed positions as wall time (a UTC
    // date-time, so that no zone moves it); anything after the seconds is
    // ignored. Empty gives an invalid date-time; a text that does
    // not read raises EConvertError "'%s' is not a valid date and time".
    static QDateTime IsoToDateTime(const QString& text);
    // The locale's long time format without its zone.
    static QString LongTime(const QTime& time, const QLocale& locale = QLocale());
};

}  // namespace tasksched
