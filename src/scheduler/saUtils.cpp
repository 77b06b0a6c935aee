#include "saUtils.h"

#include "platform/tasksched/UTriggerText.h"

#include <QCollator>
#include <QLocale>
#include <cmath>

namespace {

const QDate serialZero(1899, 12, 30);
constexpr double msPerDay = 86400000.0;

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

QCollator Collator(Qt::CaseSensitivity sensitivity)
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(sensitivity);
    return collator;
}

// The number written just before position end (exclusive), 0 without digits.
int NumberBefore(const QString& text, qsizetype end)
{
    qsizetype start = end;
    while (start > 0 && text.at(start - 1).isDigit())
        --start;
    return text.mid(start, end - start).toInt();
}

int AddDesignators(const QString& part, QChar designator, int factor)
{
    int total = 0;
    for (qsizetype i = 1; i < part.size(); ++i) {
        if (part.at(i) == designator)
            total += factor * NumberBefore(part, i);
    }
    return total;
}

}  // namespace

QString MonthsToStr(int mask)
{
    return tasksched::TTriggerText::Months(mask);
}

QString DaysOfWeekToStr(int mask)
{
    return tasksched::TTriggerText::DaysOfWeek(mask, QLocale());
}

TDateTime IsoToDateTime(const QString& text)
{
    if (text.isEmpty())
        return 0;
    const QDateTime wall = tasksched::TTriggerText::IsoToDateTime(text);
    return double(serialZero.daysTo(wall.date())) + wall.time().msecsSinceStartOfDay() / msPerDay;
}

TDateTime SystemTimeToDateTime(const TSystemTime& time)
{
    static const int daysBefore[2][13] = {{0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                          {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
    const int year = time.wYear;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int month = qMin<int>(time.wMonth, 12);
    const qint64 before = qint64(year - 1);
    // Days from 0001-01-01 to the day, less those to 1899-12-30.
    const qint64 days = before * 365 + before / 4 - before / 100 + before / 400 + daysBefore[leap][month] + time.wDay
                        - 693594;
    const double fraction = (time.wHour * 3600000.0 + time.wMinute * 60000.0 + time.wSecond * 1000.0 + time.wMilliseconds)
                            / msPerDay;
    return double(days) + fraction;
}

QString MinutesToDuration(quint32 minutes)
{
    const quint32 days = minutes / 1440;
    const quint32 hours = (minutes % 1440) / 60;
    const quint32 rest = minutes % 60;
    if (days > 0)
        return QStringLiteral("P%1DT%2H%3M").arg(days).arg(hours).arg(rest);
    if (hours > 0)
        return QStringLiteral("PT%1H%2M").arg(hours).arg(rest);
    return QStringLiteral("PT%1M").arg(rest);
}

int DurationToMinutes(const QString& text)
{
    const qsizetype t = text.indexOf(QLatin1Char('T'));
    const QString datePart = t < 0 ? text.mid(1) : text.mid(1, t - 1);
    const QString timePart = t < 0 ? QString() : text.mid(t + 1);
    return AddDesignators(datePart, QLatin1Char('D'), 1440) + AddDesignators(timePart, QLatin1Char('H'), 60)
           + AddDesignators(timePart, QLatin1Char('M'), 1);
}

bool IsVistaOrLater()
{
    return SchedulerPlatform().Info->Is20();
}

bool IsUserAdmin()
{
    return SchedulerPlatform().Info->IsAdmin();
}

int CompareTextIgnoreCase(const QString& a, const QString& b)
{
    return Sign(Collator(Qt::CaseInsensitive).compare(a, b));
}

int CompareTextCaseSensitive(const QString& a, const QString& b)
{
    return Sign(Collator(Qt::CaseSensitive).compare(a, b));
}

TDateTime DateTimeToSerial(const QDateTime& time)
{
    if (!time.isValid())
        return 0;
    const QDateTime local = time.toLocalTime();
    return double(serialZero.daysTo(local.date())) + local.time().msecsSinceStartOfDay() / msPerDay;
}

TDateTime SerialToday()
{
    return SerialAtTime(QTime(0, 0));
}

TDateTime SerialAtTime(const QTime& time)
{
    return DateTimeToSerial(QDateTime(QDate::currentDate(), time));
}

QDateTime SerialToDateTime(TDateTime serial)
{
    const double days = std::floor(serial);
    const int ms = int(std::lround((serial - days) * msPerDay));
    return QDateTime(serialZero.addDays(qint64(days)), QTime(0, 0)).addMSecs(ms);
}

tasksched::TPlatform& SchedulerPlatform()
{
    static tasksched::TPlatform platform = tasksched::TPlatform::Default();
    return platform;
}

void SetSchedulerPlatform(const tasksched::TPlatform& platform)
{
    SchedulerPlatform() = platform;
}
