#include "UPropsRules.h"

#include <QLocale>

namespace {

QStringList RestartItems()
{
    return {QStringLiteral("1 minute"), QStringLiteral("5 minutes"), QStringLiteral("10 minutes"),
            QStringLiteral("15 minutes"), QStringLiteral("30 minutes"), QStringLiteral("1 hour")};
}

}  // namespace

const TDurationBox& StopRuningBox()
{
    static const TDurationBox box{{QStringLiteral("1 hour"), QStringLiteral("2 hours"), QStringLiteral("4 hours"),
                                   QStringLiteral("8 hours"), QStringLiteral("12 hours"), QStringLiteral("1 day"),
                                   QStringLiteral("3 days")},
                                  4, 3};
    return box;
}

const TDurationBox& RestartTimeBox()
{
    static const TDurationBox box{RestartItems(), 3, 3};
    return box;
}

const TDurationBox& DeleteAfterBox()
{
    static const TDurationBox box{{QStringLiteral("Immediately"), QStringLiteral("30 days"), QStringLiteral("90 days"),
                                   QStringLiteral("180 days"), QStringLiteral("365 days")},
                                  2, 3};
    return box;
}

const TDurationBox& IdleBox()
{
    static const TDurationBox box{RestartItems(), 3, -1};
    return box;
}

const TDurationBox& IdleWaitBox()
{
    static const TDurationBox box{QStringList{QStringLiteral("0 minutes")} + RestartItems()
                                      + QStringList{QStringLiteral("2 hours")},
                                  4, -1};
    return box;
}

QString TextToDuration(const QString& text)
{
    const int blank = text.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return text;
    const QString n = text.left(blank);
    const QChar unit = blank + 1 < text.size() ? text.at(blank + 1) : QChar();
    if (unit == QLatin1Char('d'))
        return QStringLiteral("P") + n + QStringLiteral("D");
    if (unit == QLatin1Char('h'))
        return QStringLiteral("PT") + n + QStringLiteral("H");
    return QStringLiteral("PT") + n + QStringLiteral("M");
}

int GetTimeIndex(const QStringList& items, const QString& text)
{
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < items.size(); ++i) {
        if (TextToDuration(items.at(i)) == text)
            return i;
    }
    return -1;
}

QString PropsRunTimeText(TDateTime time)
{
    if (time <= 1.0)
        return QStringLiteral("Never");
    const QDateTime local = SerialToDateTime(time);
    const QLocale locale;
    return locale.toString(local.time(), QLocale::LongFormat) + QStringLiteral(", ")
           + locale.toString(local.date(), QLocale::LongFormat);
}

TRepeatInterval TRepeatInterval::FromMinutes(quint32 minutes)
{
    if (minutes % 60 == 0)
        return {int(minutes / 60), true};
    return {int(minutes), false};
}
