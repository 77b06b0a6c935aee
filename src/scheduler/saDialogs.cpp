#include "saDialogs.h"

#include "UTaskScheduler.h"

TTaskCommonDialog::~TTaskCommonDialog()
{
    SetTaskScheduler(nullptr);
}

void TTaskCommonDialog::SetTaskScheduler(TTaskScheduler* value)
{
    if (FTaskScheduler == value)
        return;
    if (FTaskScheduler)
        RemoveFreeNotification(FTaskScheduler);
    FTaskScheduler = value;
    if (FTaskScheduler)
        FreeNotification(FTaskScheduler);
}

void TTaskCommonDialog::Notification(TComponent* component)
{
    if (component == FTaskScheduler)
        FTaskScheduler = nullptr;
}

TTaskPropertiesDialog::TTaskPropertiesDialog(TComponent* owner) : TTaskCommonDialog(owner)
{
    FPages = {ptSchedule, ptSettings};
}

void TTaskPropertiesDialog::SetPages(TPageTypes value)
{
    if (value.IsEmpty())
        throw ETaskDialogError(QStringLiteral("At least one page must be specified."));
    FPages = value;
}

bool TTaskPropertiesDialog::Execute()
{
    if (!TaskScheduler())
        throw ETaskDialogError(QStringLiteral("Task Scheduler not found."));
    FTask = TaskScheduler()->ActivateTask(FTaskName);
    if (!FTask)
        throw ETaskDialogError(QStringLiteral("Could not activate the task \"%1\".").arg(FTaskName));
    // 2.0 has no property pages, and this platform's 1.0 work items give no
    // page provider either.
    return false;
}
