#pragma once

#include "UTaskItem.h"

#include <QString>
#include <QStringList>

// The schedule texts of a task with the repeat interval appended, shared by
// the task list, the new-task wizard and the properties dialog.

// " every n hour(s)" or " every n minute(s)" of a daily trigger that repeats;
// empty for every other trigger.
QString GetRepeatIntervalText(const TTrigger& trigger);
// The task's trigger text followed by the repeat text of its first trigger.
QString GetTaskScheduleText(TTaskItem& task);
// One line per trigger, each with its repeat text; the placeholder line of a
// task without triggers gets none.
void GetTriggerStringsWithInterval(TTaskItem& task, QStringList& strings);

// A run time as the list shows it: "Never" at or below 1.0, else the short
// date, a blank and the long time, the time left out at exactly midnight.
QString RunTimeText(TDateTime value);
// The list's text of a task status.
QString TaskStatusText(TTaskStatus status);
