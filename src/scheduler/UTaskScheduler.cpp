#include "UTaskScheduler.h"

#include "saUtils.h"

#include <algorithm>

using namespace tasksched;

namespace {

const QString jobExtension = QStringLiteral(".job");

bool HasJobExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && CompareTextIgnoreCase(name.mid(dot), jobExtension) == 0;
}

}  // namespace

const QString TTaskScheduler::NotRunningMessage = QStringLiteral("Task Scheduler service is not running.");

TTaskScheduler::TTaskScheduler(TComponent* owner, TServiceContextPtr context) : TComponent(owner), FContext(std::move(context))
{
    if (!FContext)
        FContext = std::make_shared<TServiceContext>(TServiceContext{std::make_shared<TTaskStore>(), SchedulerPlatform()});
    Close();
    FVistaOrLater = FContext->Platform.Info->Is20();
}

TTaskScheduler::~TTaskScheduler()
{
    Clear();
}

QString TTaskScheduler::JobName(const QString& name)
{
    return HasJobExtension(name) ? name : name + jobExtension;
}

QString TTaskScheduler::PlainName(const QString& name)
{
    return HasJobExtension(name) ? name.left(name.size() - jobExtension.size()) : name;
}

QString TTaskScheduler::LookupName(const QString& name) const
{
    return RunningVistaOrLater() ? PlainName(name) : JobName(name);
}

bool TTaskScheduler::RunningVistaOrLater() const
{
    return FVistaOrLater && !FUseTaskScheduler1Only;
}

bool TTaskScheduler::Active() const
{
    return RunningVistaOrLater() ? FTaskService != nullptr : FITS != nullptr;
}

void TTaskScheduler::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

TTaskItem* TTaskScheduler::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw ESchedulerError(QStringLiteral("Task index out of bounds (%1)").arg(index));
    return FItems[size_t(index)].get();
}

void TTaskScheduler::Open()
{
    FITS.reset();
    FTaskService.reset();
    if (!StartScheduler())
        throw ESchedulerError(NotRunningMessage);
    if (!RunningVistaOrLater()) {
        FITS = std::make_shared<TJobScheduler>(FContext);
        return;
    }
    auto service = std::make_shared<TTaskService>(FContext);
    service->Connect();
    FTaskService = service;
}

void TTaskScheduler::Close()
{
    FITS.reset();
    FTaskService.reset();
}

bool TTaskScheduler::StartScheduler()
{
    // The runner answers, or was started and answers.
    TServiceControl& service = *FContext->Platform.Service;
    return service.IsRunning() || service.Start();
}

void TTaskScheduler::Clear()
{
    FItems.clear();
}

TTaskFolderPtr TTaskScheduler::Folder() const
{
    if (!FTaskService)
        throw ESchedulerError(NotRunningMessage);
    TTaskFolderPtr folder = FTaskService->GetFolder(CurrentFolderPath);
    if (!folder)
        throw ESchedulerError(NotRunningMessage);
    return folder;
}

void TTaskScheduler::Offer(std::unique_ptr<TTaskItem> item)
{
    bool canAdd = true;
    if (OnBeforeTaskAdded)
        OnBeforeTaskAdded(this, item.get(), canAdd);
    if (canAdd)
        FItems.push_back(std::move(item));
}

void TTaskScheduler::Refresh()
{
    Clear();
    if (RunningVistaOrLater()) {
        const TTaskFolderPtr folder = Folder();
        FTaskCollection = folder->GetTasks(FShowHidden ? TTaskFolder::TASK_ENUM_HIDDEN : 0);
        for (const TRegisteredTaskPtr& task : FTaskCollection) {
            auto item = std::make_unique<TTaskItem>(this);
            item->FTaskName = task->Name();
            item->FRegisteredTask = task;
            item->FTaskDefinition = task->Definition();
            Offer(std::move(item));
        }
    } else {
        if (!FITS)
            throw ESchedulerError(NotRunningMessage);
        for (const QString& name : FITS->Enum()) {
            try {
                FITS->Activate(name);   // released at once: the item is not active
            } catch (const Exception&) {
                continue;
            }
            auto item = std::make_unique<TTaskItem>(this);
            item->FTaskName = name;
            Offer(std::move(item));
        }
    }
    std::stable_sort(FItems.begin(), FItems.end(), [](const auto& a, const auto& b) {
        return CompareTextIgnoreCase(a->FTaskName, b->FTaskName) < 0;
    });
}

bool TTaskScheduler::Lookup(const QString& name, int& index) const
{
    int low = 0;
    int high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int compared = CompareTextCaseSensitive(FItems[size_t(middle)]->FTaskName, name);
        if (compared < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (compared == 0)
                found = true;
        }
    }
    index = low;
    return found;
}

TTaskItem* TTaskScheduler::Insert(int index, const QString& name)
{
    auto item = std::make_unique<TTaskItem>(this);
    item->FTaskName = name;
    TTaskItem* result = item.get();
    FItems.insert(FItems.begin() + index, std::move(item));
    return result;
}

TTaskItem* TTaskScheduler::ActivateTask(const QString& taskName)
{
    if (FAutoRefresh)
        Refresh();
    const QString name = LookupName(taskName);
    int index = 0;
    if (Lookup(name, index))
        return FItems[size_t(index)].get();
    if (RunningVistaOrLater()) {
        try {
            const TRegisteredTaskPtr task = Folder()->GetTask(taskName);
            const TTaskDefinitionPtr definition = task->Definition();
            TTaskItem* item = Insert(index, name);
            item->FTaskDefinition = definition;
            item->FRegisteredTask = task;
            return item;
        } catch (const std::exception&) {
            return nullptr;
        }
    }
    if (!FITS)
        throw ESchedulerError(NotRunningMessage);
    try {
        FITS->Activate(name);
    } catch (const Exception&) {
        return nullptr;
    }
    return Insert(index, name);
}

TTaskItem* TTaskScheduler::CreateNewItem(const QString& taskName)
{
    if (FAutoRefresh)
        Refresh();
    const QString name = LookupName(taskName);
    const QString exists = QStringLiteral("Task with the name \"%1\" already exists.").arg(taskName);
    int index = 0;
    if (Lookup(name, index)) {
        if (FDuplicate == tdError)
            throw ETaskError(exists);
        return FItems[size_t(index)].get();
    }
    if (RunningVistaOrLater()) {
        Folder();   // fails early when the folder cannot be opened
        const TTaskDefinitionPtr definition = FTaskService->NewTask(0);
        definition->Settings().Enabled = true;
        definition->Settings().Hidden = false;
        definition->Principal().LogonType = ltInteractiveToken;
        TTaskItem* item = Insert(index, name);
        item->FTaskDefinition = definition;
        return item;
    }
    if (!FITS)
        throw ESchedulerError(NotRunningMessage);
    TWorkItemPtr existing;
    try {
        existing = FITS->Activate(name);
    } catch (const Exception&) {
    }
    if (existing) {
        if (FDuplicate == tdError)
            throw ETaskError(exists);
        TTaskItem* item = Insert(index, name);
        item->FWorkItem = existing;
        return item;
    }
    const TWorkItemPtr workItem = FITS->NewWorkItem(name);
    TTaskItem* item = Insert(index, name);
    item->FWorkItem = workItem;
    workItem->SetFlags(jfDontStartIfOnBatteries | jfKillIfGoingOnBatteries);
    return item;
}

void TTaskScheduler::DeleteTask(const QString& taskName)
{
    const QString name = LookupName(taskName);
    if (RunningVistaOrLater()) {
        Folder()->DeleteTask(PlainName(taskName), 0);
    } else {
        if (!FITS)
            throw ESchedulerError(NotRunningMessage);
        FITS->Delete(name);
    }
    // Only now: a failed delete leaves the list and its items as they were.
    int index = 0;
    if (Lookup(name, index))
        FItems.erase(FItems.begin() + index);
}

QString TTaskScheduler::TargetComputer() const
{
    if (RunningVistaOrLater()) {
        if (!FTaskService)
            throw ESchedulerError(NotRunningMessage);
        return FTaskService->TargetServer();
    }
    return FITS ? FITS->GetTargetComputer() : QString();
}

void TTaskScheduler::SetTargetComputer(const QString& name)
{
    if (RunningVistaOrLater()) {
        if (!FTaskService)
            throw ESchedulerError(NotRunningMessage);
        FTaskService->Connect(name);
        FTargetPC = name;
        return;
    }
    if (!FITS)
        throw ESchedulerError(NotRunningMessage);
    FITS->SetTargetComputer(name);
}

void TTaskScheduler::SetVistaSelectedFolder(const TTaskFolderPtr& folder)
{
    CurrentFolderPath = folder->Path();
}
