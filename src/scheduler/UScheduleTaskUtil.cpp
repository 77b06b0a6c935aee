#include "UScheduleTaskUtil.h"

#include "platform/tasksched/UTriggerText.h"

#include <QLocale>

QString GetRepeatIntervalText(const TTrigger& trigger)
{
    const quint32 interval = trigger.Interval();
    if (trigger.TriggerType() != ttDaily || interval == 0)
        return QString();
    if (interval % 60 == 0) {
        const quint32 hours = interval / 60;
        return QStringLiteral(" every %1 hour").arg(hours) + (hours > 1 ? QStringLiteral("s") : QString());
    }
    return QStringLiteral(" every %1 minute").arg(interval) + (interval > 1 ? QStringLiteral("s") : QString());
}

QString GetTaskScheduleText(TTaskItem& task)
{
    QString text = task.TriggerString();
    if (task.Triggers().Count() > 0)
        text += GetRepeatIntervalText(*task.Triggers().GetItem(0));
    return text;
}

void GetTriggerStringsWithInterval(TTaskItem& task, QStringList& strings)
{
    TTriggers& triggers = task.Triggers();
    triggers.GetTriggerStrings(strings);
    // Without triggers the one line is the placeholder, not a trigger's.
    for (int i = 0; i < triggers.Count() && i < strings.size(); ++i)
        strings[i] += GetRepeatIntervalText(*triggers.GetItem(i));
}

QString RunTimeText(TDateTime value)
{
    if (!(value > 1.0))
        return QStringLiteral("Never");
    const QDateTime time = SerialToDateTime(value);
    const QLocale locale;
    QString text = locale.toString(time.date(), QLocale::ShortFormat);
    if (time.time() != QTime(0, 0))
        text += QLatin1Char(' ') + tasksched::TTriggerText::LongTime(time.time(), locale);
    return text;
}

QString TaskStatusText(TTaskStatus status)
{
    static const char* const texts[] = {"Ready",       "Running",      "Disabled",     "Has not run", "No more runs",
                                        "Not scheduled", "Terminated", "No valid triggers", "Unknown",
                                        "Disabled",    "Queued",       "Ready",        "Running"};
    const int index = int(status);
    return index >= 0 && index < int(std::size(texts)) ? QString::fromLatin1(texts[index]) : QString();
}
