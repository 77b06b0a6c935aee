#include "TaskWizard.h"

bool ExecuteNewTaskWizard(TTaskScheduler*, const QString&, TTaskItem*& task)
{
    task = nullptr;
    return false;
}
