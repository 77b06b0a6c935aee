#include "UTriggerText.h"

#include <QStringList>

namespace tasksched {

namespace {

QStringList SetBits(qint64 mask, int count, const std::function<QString(int)>& text)
{
    QStringList items;
    for (int bit = 0; bit < count; ++bit) {
        if ((mask >> bit) & 1)
            items << text(bit);
    }
    return items;
}

QString Joined(const QStringList& items)
{
    return items.join(QStringLiteral(", "));
}

QString WeekList(int weeksOfMonth, bool runOnLastWeek)
{
    static const char* const names[] = {"First", "Second", "Third", "Fourth", "Last"};
    QStringList items = SetBits(weeksOfMonth, 5, [](int bit) { return QString::fromLatin1(names[bit]); });
    if (!(weeksOfMonth & 0x10) && runOnLastWeek)
        items << QStringLiteral("Last");
    return Joined(items);
}

const char* SessionText(int stateChange)
{
    switch (stateChange) {
    case 3: return "At connect to user session";
    case 4: return "At disconnect from user session";
    case 7: return "At session lock";
    default: return "At session unlock";
    }
}

}  // namespace

QString TTriggerText::Months(int mask)
{
    return Joined(SetBits(mask, 12, [](int bit) { return QString::number(bit + 1); }));
}

QString TTriggerText::DaysOfWeek(int mask, const QLocale& locale)
{
    // Bit 0 is Sunday, the locale's day 7.
    return Joined(SetBits(mask, 7, [&](int bit) { return locale.dayName(bit == 0 ? 7 : bit, QLocale::LongFormat); }));
}

QDateTime TTriggerText::IsoToDateTime(const QString& text)
{
    if (text.isEmpty())
        return {};
    // Positions as written: year 1-4, month 6-7, day 9-10, time 12-19.
    const QDate date = QDate::fromString(text.mid(0, 4) + text.mid(5, 2) + text.mid(8, 2), QStringLiteral("yyyyMMdd"));
    const QTime time = QTime::fromString(text.mid(11, 8), QStringLiteral("HH:mm:ss"));
    if (text.size() < 19 || !date.isValid() || !time.isValid())
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    // Wall time as written: no zone may move it.
    return QDateTime(date, time, Qt::UTC);
}

QString TTriggerText::LongTime(const QTime& time, const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return locale.toString(time, format.trimmed());
}

QString TTriggerText::Text(const TTrigger& trigger, const QLocale& locale)
{
    const QDateTime parsed = IsoToDateTime(trigger.StartBoundary);
    // An empty boundary reads as day 0, 1899-12-30 at midnight.
    const QDateTime start = parsed.isValid() ? parsed : QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const QString time = LongTime(start.time(), locale);
    const QString date = locale.toString(start.date(), QLocale::ShortFormat);
    switch (trigger.Type()) {
    case tkEvent:
        return QStringLiteral("At event");
    case tkTime:
        return QStringLiteral("At %1 on %2").arg(time, date);
    case tkDaily: {
        const int interval = static_cast<const TDailyTrigger&>(trigger).DaysInterval;
        if (interval < 2)
            return QStringLiteral("At %1 every day").arg(time);
        return QStringLiteral("At %1 every %2 days").arg(time).arg(interval);
    }
    case tkWeekly: {
        const auto& weekly = static_cast<const TWeeklyTrigger&>(trigger);
        const QString days = DaysOfWeek(weekly.DaysOfWeek, locale);
        if (weekly.WeeksInterval < 2)
            return QStringLiteral("At %1 every %2 of every week, starting %3").arg(time, days, date);
        return QStringLiteral("At %1 every %2 of every %3 weeks, starting %4")
            .arg(time, days, QString::number(weekly.WeeksInterval), date);
    }
    case tkMonthly: {
        const auto& monthly = static_cast<const TMonthlyTrigger&>(trigger);
        const QString days = Joined(SetBits(monthly.DaysOfMonth, 31, [](int bit) { return QString::number(bit + 1); }));
        return QStringLiteral("At %1 on day %2 of month %3, starting %4").arg(time, days, Months(monthly.MonthsOfYear), date);
    }
    case tkMonthlyDOW: {
        const auto& monthly = static_cast<const TMonthlyDOWTrigger&>(trigger);
        return QStringLiteral("Runs at %1 on the %2 %3 of month %4, starting %5")
            .arg(time, WeekList(monthly.WeeksOfMonth, monthly.RunOnLastWeekOfMonth),
                 DaysOfWeek(monthly.DaysOfWeek, locale), Months(monthly.MonthsOfYear), date);
    }
    case tkIdle:
        return QStringLiteral("When computer is idle");
    case tkRegistration:
        return QStringLiteral("At task creation/modification");
    case tkBoot:
        return QStringLiteral("On system startup");
    case tkLogon:
        return QStringLiteral("At logon");
    case tkSessionStateChange:
        return QString::fromLatin1(SessionText(static_cast<const TSessionStateChangeTrigger&>(trigger).StateChange));
    default:
        return QStringLiteral("Trigger %1").arg(trigger.Type());
    }
}

}  // namespace tasksched
