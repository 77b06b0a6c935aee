#pragma once

#include "UTaskDefinition.h"

#include <QDateTime>
#include <QTimeZone>

namespace tasksched {

// When a trigger fires, as pure logic over local wall time: the runner and
// the Next Run Time of the task list both ask it.
class TTriggerEngine {
public:
    // The first run of trigger strictly after `after`, or an invalid date-time
    // when there is none. Calendar triggers run at their start time in zone's
    // wall time: a time in a daylight-saving gap runs at the gap's end, an
    // ambiguous time once (its first occurrence). Repetitions run at
    // base + k * interval (elapsed time) while k * interval < duration; an
    // empty duration lasts to the end boundary. Nothing runs at or after the
    // end boundary, nor from a disabled trigger. Idle, session, event, boot,
    // logon and registration triggers have no next run here.
    static QDateTime next(const TTrigger& trigger, const QDateTime& after, const QTimeZone& zone);
    // The first run of any trigger of the definition; none when it is disabled.
    static QDateTime next(const TTaskDefinition& definition, const QDateTime& after, const QTimeZone& zone);

    // The end of the repetition window that holds run, for a trigger that
    // stops its runs at the duration's end; invalid when there is none.
    static QDateTime RepetitionEnd(const TTrigger& trigger, const QDateTime& run, const QTimeZone& zone);

    // An ISO-8601 duration ("P1DT2H30M", "PT45S", "P2W") in seconds; an empty
    // text gives 0; a text that is no duration gives -1.
    static qint64 DurationSeconds(const QString& text);
    // The delay before an expired task is deleted: a duration, or
    // "Immediately", which is no delay.
    static qint64 DeletionDelaySeconds(const QString& text);
    // A boundary "yyyy-MM-ddThh:mm:ss[.fff][Z|±hh:mm]": without a zone it is
    // wall time in zone. An empty or bad text gives an invalid date-time.
    static QDateTime ParseBoundary(const QString& text, const QTimeZone& zone);
    // Whether text is empty or a boundary that parses.
    static bool BoundaryValid(const QString& text);
    // Wall time on date in zone: the gap's end for a time that does not exist,
    // the first of two for a time that exists twice.
    static QDateTime WallTime(const QDate& date, const QTime& time, const QTimeZone& zone);
};

}  // namespace tasksched
