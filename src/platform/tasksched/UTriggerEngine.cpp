#include "UTriggerEngine.h"

#include <QRegularExpression>
#include <limits>

namespace tasksched {

namespace {

// How far ahead a calendar trigger is searched: a 29th of February every
// fourth year, skipped in 2100, is found within it.
constexpr qint64 horizonDays = 366 * 12;

int SundayBasedDay(const QDate& date)
{
    return date.dayOfWeek() % 7;
}

bool Bit(qint64 mask, int bit)
{
    return bit >= 0 && bit < 63 && (mask >> bit) & 1;
}

// Whether a calendar trigger that started on `start` has a run on `day`.
bool RunsOn(const TTrigger& trigger, const QDate& start, const QDate& day)
{
    if (day < start)
        return false;
    switch (trigger.Type()) {
    case tkTime:
        return day == start;
    case tkDaily: {
        const auto& daily = static_cast<const TDailyTrigger&>(trigger);
        return start.daysTo(day) % qMax(1, daily.DaysInterval) == 0;
    }
    case tkWeekly: {
        const auto& weekly = static_cast<const TWeeklyTrigger&>(trigger);
        if (!Bit(weekly.DaysOfWeek, SundayBasedDay(day)))
            return false;
        const QDate firstSunday = start.addDays(-SundayBasedDay(start));
        const qint64 week = firstSunday.daysTo(day) / 7;
        return week % qMax(1, weekly.WeeksInterval) == 0;
    }
    case tkMonthly: {
        const auto& monthly = static_cast<const TMonthlyTrigger&>(trigger);
        if (!Bit(monthly.MonthsOfYear, day.month() - 1))
            return false;
        return Bit(monthly.DaysOfMonth, day.day() - 1)
               || (monthly.RunOnLastDayOfMonth && day.day() == day.daysInMonth());
    }
    case tkMonthlyDOW: {
        const auto& monthly = static_cast<const TMonthlyDOWTrigger&>(trigger);
        if (!Bit(monthly.MonthsOfYear, day.month() - 1) || !Bit(monthly.DaysOfWeek, SundayBasedDay(day)))
            return false;
        const int week = (day.day() - 1) / 7;   // 0 for days 1-7 .. 3 for days 22-28
        const bool inLastSeven = day.day() > day.daysInMonth() - 7;
        return (week < 4 && Bit(monthly.WeeksOfMonth, week))
               || (inLastSeven && (Bit(monthly.WeeksOfMonth, 4) || monthly.RunOnLastWeekOfMonth));
    }
    default:
        return false;
    }
}

bool IsCalendar(int kind)
{
    return kind == tkTime || kind == tkDaily || kind == tkWeekly || kind == tkMonthly || kind == tkMonthlyDOW;
}

const QRegularExpression& BoundaryPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(?:\\.\\d+)?(Z|[+-]\\d{2}:\\d{2})?$"));
    return pattern;
}

}  // namespace

qint64 TTriggerEngine::DeletionDelaySeconds(const QString& text)
{
    return text == QStringLiteral("Immediately") ? 0 : DurationSeconds(text);
}

qint64 TTriggerEngine::DurationSeconds(const QString& text)
{
    if (text.isEmpty())
        return 0;
    static const QRegularExpression pattern(QStringLiteral(
        "^P(?:(\\d+)Y)?(?:(\\d+)M)?(?:(\\d+)W)?(?:(\\d+)D)?(?:T(?=\\d)(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+)(?:\\.\\d+)?S)?)?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch() || text == QLatin1String("P"))
        return -1;
    static const qint64 unit[] = {0, 365 * 86400, 30 * 86400, 7 * 86400, 86400, 3600, 60, 1};
    qint64 seconds = 0;
    for (int i = 1; i <= 7; ++i) {
        bool ok = true;
        const qint64 n = match.captured(i).isEmpty() ? 0 : match.captured(i).toLongLong(&ok);
        if (!ok || n > std::numeric_limits<qint32>::max())
            return -1;
        seconds += n * unit[i];
    }
    return seconds;
}

QDateTime TTriggerEngine::WallTime(const QDate& date, const QTime& time, const QTimeZone& zone)
{
    const qint64 wall = QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
    // At most one change of offset lies within a day of any wall time.
    const int before = zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(wall - 86400, Qt::UTC));
    const int after = zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(wall + 86400, Qt::UTC));
    QDateTime best;
    for (const int offset : {before, after}) {
        const QDateTime utc = QDateTime::fromSecsSinceEpoch(wall - offset, Qt::UTC);
        if (zone.offsetFromUtc(utc) == offset && (!best.isValid() || utc < best))
            best = utc;
    }
    if (!best.isValid()) {
        // In the gap: the change itself is the gap's end.
        const QDateTime from = QDateTime::fromSecsSinceEpoch(wall - qMax(before, after), Qt::UTC);
        best = zone.nextTransition(from).atUtc;
    }
    return best.toTimeZone(zone);
}

namespace {

// A boundary as wall date and time in zone, kept as written when it names no
// zone (so that a start inside a gap keeps its time on the other days).
bool ParseWall(const QString& text, const QTimeZone& zone, QDate& date, QTime& time)
{
    const QRegularExpressionMatch match = BoundaryPattern().match(text);
    if (!match.hasMatch())
        return false;
    date = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    time = QTime(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return false;
    const QString offset = match.captured(7);
    if (offset.isEmpty())
        return true;
    int seconds = 0;
    if (offset != QLatin1String("Z")) {
        seconds = (offset.mid(1, 2).toInt() * 60 + offset.mid(4, 2).toInt()) * 60;
        if (offset.startsWith(QLatin1Char('-')))
            seconds = -seconds;
    }
    const QDateTime local = QDateTime(date, time, QTimeZone(seconds)).toTimeZone(zone);
    date = local.date();
    time = local.time();
    return true;
}

}  // namespace

QDateTime TTriggerEngine::ParseBoundary(const QString& text, const QTimeZone& zone)
{
    QDate date;
    QTime time;
    if (!ParseWall(text, zone, date, time))
        return {};
    return WallTime(date, time, zone);
}

bool TTriggerEngine::BoundaryValid(const QString& text)
{
    return text.isEmpty() || ParseBoundary(text, QTimeZone(0)).isValid();
}

QDateTime TTriggerEngine::next(const TTrigger& trigger, const QDateTime& after, const QTimeZone& zone)
{
    if (!trigger.Enabled || !IsCalendar(trigger.Type()))
        return {};
    QDate startDay;
    QTime startTime;
    if (!ParseWall(trigger.StartBoundary, zone, startDay, startTime))
        return {};
    const QDateTime end = ParseBoundary(trigger.EndBoundary, zone);
    const qint64 interval = qMax<qint64>(0, DurationSeconds(trigger.Repetition.Interval));
    const qint64 duration = qMax<qint64>(0, DurationSeconds(trigger.Repetition.Duration));

    // The run of one base time after `after`, or none.
    auto runFrom = [&](const QDateTime& base) -> QDateTime {
        QDateTime run = base;
        if (base <= after) {
            if (interval == 0)
                return {};
            const qint64 k = base.secsTo(after) / interval + 1;
            if (duration > 0 && k * interval >= duration)
                return {};
            run = base.addSecs(k * interval);
        }
        if (end.isValid() && run >= end)
            return {};
        return run;
    };

    const QDate afterDay = after.toTimeZone(zone).date();
    // Repetitions of earlier days may still run after `after`.
    QDate day = startDay;
    if (interval == 0 || duration > 0) {
        const qint64 lookBack = interval == 0 ? 2 : duration / 86400 + 2;
        day = qMax(startDay, afterDay.addDays(-lookBack));
    }
    const QDate lastDay = afterDay.addDays(horizonDays);
    QDateTime best;
    for (; day <= lastDay; day = day.addDays(1)) {
        if (end.isValid() && QDateTime(day, QTime(0, 0), zone) >= end.addDays(1))
            break;
        if (!RunsOn(trigger, startDay, day))
            continue;
        const QDateTime base = WallTime(day, startTime, zone);
        const QDateTime run = runFrom(base);
        if (run.isValid() && (!best.isValid() || run < best))
            best = run;
        if (base > after || trigger.Type() == tkTime)
            break;   // later days only run later
    }
    return best;
}

QDateTime TTriggerEngine::RepetitionEnd(const TTrigger& trigger, const QDateTime& run, const QTimeZone& zone)
{
    const qint64 duration = DurationSeconds(trigger.Repetition.Duration);
    if (!trigger.Repetition.StopAtDurationEnd || duration <= 0 || DurationSeconds(trigger.Repetition.Interval) <= 0)
        return {};
    // The window's base is the calendar run in (run - duration, run].
    const std::shared_ptr<TTrigger> calendar = trigger.Clone();
    calendar->Repetition = TRepetitionPattern();
    calendar->EndBoundary.clear();
    const QDateTime base = next(*calendar, run.addSecs(-duration), zone);
    if (!base.isValid() || base > run)
        return {};
    return base.addSecs(duration);
}

QDateTime TTriggerEngine::next(const TTaskDefinition& definition, const QDateTime& after, const QTimeZone& zone)
{
    if (!definition.Settings().Enabled)
        return {};
    QDateTime best;
    for (const auto& trigger : definition.Triggers().All()) {
        const QDateTime run = next(*trigger, after, zone);
        if (run.isValid() && (!best.isValid() || run < best))
            best = run;
    }
    return best;
}

}  // namespace tasksched
