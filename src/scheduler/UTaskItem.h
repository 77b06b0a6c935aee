#pragma once

#include "platform/tasksched/UWorkItem.h"

#include <QString>

class TTaskScheduler;

// One scheduled task of the scheduler's list: its name as the list holds it
// (with ".job" under 1.0) and the service's handles. The properties that the
// forms edit build on these handles.
class TTaskItem {
public:
    explicit TTaskItem(TTaskScheduler* taskManager) : FTaskManager(taskManager) {}
    virtual ~TTaskItem() = default;
    TTaskItem(const TTaskItem&) = delete;
    TTaskItem& operator=(const TTaskItem&) = delete;

    QString Name() const;
    TTaskScheduler* TaskScheduler() const { return FTaskManager; }
    tasksched::TTaskDefinitionPtr TaskDefinition() const { return FTaskDefinition; }
    tasksched::TRegisteredTaskPtr RegisteredTask() const { return FRegisteredTask; }
    tasksched::TWorkItemPtr WorkItem() const { return FWorkItem; }

    // Set by the scheduler when it lists, finds or creates the task.
    QString FTaskName;
    tasksched::TTaskDefinitionPtr FTaskDefinition;   // 2.0
    tasksched::TRegisteredTaskPtr FRegisteredTask;   // 2.0, empty until registered
    tasksched::TWorkItemPtr FWorkItem;               // 1.0, empty while inactive

private:
    TTaskScheduler* FTaskManager;
};
