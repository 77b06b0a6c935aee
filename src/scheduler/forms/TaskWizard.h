#pragma once

#include <QString>

class TTaskItem;
class TTaskScheduler;

// Runs the new-task wizard on scheduler, the program box preset to
// programPath when it is not empty. True on Finish; task is the item made
// (none after Cancel).
bool ExecuteNewTaskWizard(TTaskScheduler* scheduler, const QString& programPath, TTaskItem*& task);
