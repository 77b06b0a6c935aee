#pragma once

#include "UTaskItem.h"
#include "base/UComponent.h"
#include "platform/tasksched/UWorkItem.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class ESchedulerError : public Exception {
public:
    using Exception::Exception;
};
class ETaskError : public Exception {
public:
    using Exception::Exception;
};
class ETriggerError : public Exception {
public:
    using Exception::Exception;
};

enum TTaskDuplicate { tdError, tdActivateFirst };

// Sender, Task, CanAdd: the handler may veto a task while the list fills.
using TOnBeforeTaskAddedEvent = std::function<void(TObject* sender, TTaskItem* task, bool& canAdd)>;

// The scheduled tasks of the user, through the task service (2.0) or its work
// items (1.0), kept as a list sorted by name.
class TTaskScheduler : public TComponent {
public:
    static const QString NotRunningMessage;   // "Task Scheduler service is not running."

    // context empty: the user's own store and SchedulerPlatform().
    explicit TTaskScheduler(TComponent* owner = nullptr, tasksched::TServiceContextPtr context = nullptr);
    ~TTaskScheduler() override;

    bool Active() const;
    void SetActive(bool value);
    bool AutoRefresh() const { return FAutoRefresh; }
    void SetAutoRefresh(bool value) { FAutoRefresh = value; }
    TTaskDuplicate Duplicate() const { return FDuplicate; }
    void SetDuplicate(TTaskDuplicate value) { FDuplicate = value; }
    TOnBeforeTaskAddedEvent OnBeforeTaskAdded;
    bool UseTaskScheduler1Only() const { return FUseTaskScheduler1Only; }
    void SetUseTaskScheduler1Only(bool value) { FUseTaskScheduler1Only = value; }
    QString Version() const { return QStringLiteral("2.0.9"); }
    void SetVersion(const QString&) {}   // kept so that stored settings load
    bool ShowHidden() const { return FShowHidden; }
    void SetShowHidden(bool value) { FShowHidden = value; }

    int Count() const { return int(FItems.size()); }
    TTaskItem* GetItem(int index) const;
    TTaskItem* Items(int index) const { return GetItem(index); }
    QString TargetComputer() const;
    void SetTargetComputer(const QString& name);
    void SetVistaSelectedFolder(const tasksched::TTaskFolderPtr& folder);

    void Open();
    void Close();
    bool StartScheduler();
    void Refresh();
    void Clear();
    TTaskItem* ActivateTask(const QString& taskName);
    TTaskItem* CreateNewItem(const QString& taskName);
    // Deletes in the service first; the item leaves the list only on success.
    void DeleteTask(const QString& taskName);
    bool RunningVistaOrLater() const;

    // The 2.0 folder of every folder operation; empty is the root.
    QString CurrentFolderPath;
    QStringList ListFolders;

    // name + ".job" unless it ends in ".job" in any letter case.
    static QString JobName(const QString& name);
    // name without a final ".job" in any letter case.
    static QString PlainName(const QString& name);
    QString LookupName(const QString& name) const;

    // The connections, for the task item.
    std::shared_ptr<tasksched::TTaskService> TaskService() const { return FTaskService; }
    std::shared_ptr<tasksched::TJobScheduler> JobScheduler() const { return FITS; }
    tasksched::TServiceContextPtr Context() const { return FContext; }

protected:
    bool FVistaOrLater = false;

private:
    // found, and the index of the match or of the place that keeps the order.
    bool Lookup(const QString& name, int& index) const;
    TTaskItem* Insert(int index, const QString& name);
    void Offer(std::unique_ptr<TTaskItem> item);
    tasksched::TTaskFolderPtr Folder() const;

    tasksched::TServiceContextPtr FContext;
    std::shared_ptr<tasksched::TJobScheduler> FITS;
    std::shared_ptr<tasksched::TTaskService> FTaskService;
    QList<tasksched::TRegisteredTaskPtr> FTaskCollection;
    QString FTargetPC;
    std::vector<std::unique_ptr<TTaskItem>> FItems;
    bool FAutoRefresh = false;
    TTaskDuplicate FDuplicate = tdError;
    bool FUseTaskScheduler1Only = false;
    bool FShowHidden = false;
};
