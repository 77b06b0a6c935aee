#pragma once

#include "UTriggers.h"
#include "platform/tasksched/UWorkItem.h"

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <memory>
#include <variant>

class QObject;
class TTaskScheduler;

enum TTaskStatus {
    tsReady, tsRunning, tsDisabled, tsHasNotRun, tsNoMoreRuns, tsNotScheduled, tsTerminated, tsNoValidTriggers,
    ts2Unknown, ts2Disabled, ts2Queued, ts2Ready, ts2Running
};
enum TTaskPriority { tpIdle, tpNormal, tpHigh, tpRealTime };
enum TTaskInstancesPolicy { tipParallel, tipQueue, tipIgnoreNew, tipStopExisting };
enum TPageType { ptTask, ptSchedule, ptSettings };
using TPageTypes = TSet<TPageType>;
enum TTaskFlag {
    tfInteractive, tfDeleteWhenDone, tfDisabled, tfHidden, tfRunOnlyIfLoggedOn, tfStartOnlyIfIdle, tfSystemRequired,
    tfKillOnIdleEnd, tfRestartOnIdleResume, tfDontStartIfOnBatteries, tfKillIfGoingOnBatteries,
    tfRunIfConnectedToInternet
};
using TTaskFlags = TSet<TTaskFlag>;
enum TTaskVistaFlag {
    tfvAllowDemandStart, tfvAllowHardTerminate, tfvDisallowStartIfOnBatteries, tfvStopIfGoingOnBatteries, tfvEnabled,
    tfvHidden, tfvRunOnlyIfIdle, tfvStopOnIdleEnd, tfvRestartOnIdle, tfvRunOnlyIfNetworkAvailable,
    tfvStartWhenAvailable, tfvWakeToRun, tfvNeedLogon
};
using TTaskVistaFlags = TSet<TTaskVistaFlag>;

struct TIdleTime {
    quint16 wIdleMinutes = 0;
    quint16 wDeadlineMinutes = 0;
};

// The 2.0 time settings; all but RestartCount are ISO-8601 durations.
struct TTaskTimeProperties {
    QString ExecutionTimeLimit;
    QString RestartInterval;
    QString RestartCount;   // decimal
    QString DeleteExpiredTaskAfter;
    QString IdleWaitTimeout;
    QString IdleDuration;
};

// One scheduled task of the scheduler's list, its settings as plain
// properties. Under 1.0 it works on an activated work item whose changes
// reach the store when the item is deactivated with saving; under 2.0 on a
// definition in memory that reaches the store when it is registered.
class TTaskItem {
public:
    explicit TTaskItem(TTaskScheduler* taskManager);
    virtual ~TTaskItem();
    TTaskItem(const TTaskItem&) = delete;
    TTaskItem& operator=(const TTaskItem&) = delete;

    static const quint32 MaxBinaryDataSize = 65535;   // what a 1.0 work item holds

    QString Name() const;
    TTaskScheduler* TaskScheduler() const { return FTaskManager; }
    tasksched::TTaskDefinitionPtr TaskDefinition() const { return FTaskDefinition; }
    tasksched::TRegisteredTaskPtr RegisteredTask() const { return FRegisteredTask; }
    tasksched::TWorkItemPtr WorkItem() const { return FWorkItem; }
    // The handle the item works on: the work item (1.0) or the registered task (2.0).
    using TTaskInterface = std::variant<tasksched::TWorkItemPtr, tasksched::TRegisteredTaskPtr>;
    TTaskInterface TaskInterface() const;

    QString ApplicationName() const;
    void SetApplicationName(const QString& value);
    QString Parameters();   // 2.0: chooses the first action when none is chosen
    void SetParameters(const QString& value);
    QString WorkingDirectory() const;
    void SetWorkingDirectory(const QString& value);
    QString Comment() const;
    void SetComment(const QString& value);
    QString Creator() const;
    void SetCreator(const QString& value);
    QString AccountName() const;
    TTaskFlags Flags() const;
    void SetFlags(TTaskFlags value);
    TTaskVistaFlags VistaFlags() const;
    void SetVistaFlags(TTaskVistaFlags value);
    TTaskPriority Priority() const;
    void SetPriority(TTaskPriority value);
    quint32 MaxRunTime() const;   // milliseconds
    void SetMaxRunTime(quint32 milliseconds);
    TIdleTime IdleTime() const;
    void SetIdleTime(const TIdleTime& value);
    TTaskInstancesPolicy TaskInstancesPolicy() const;
    void SetTaskInstancesPolicy(TTaskInstancesPolicy value);
    bool IsDirty() const;
    QString CurFile() const;
    quint32 ExitCode() const;
    TTaskStatus Status() const;
    TDateTime NextRunTime() const;
    TDateTime MostRecentRunTime() const;
    TTriggers& Triggers();
    QString TriggerString();
    int CurrentAction() const { return CurrentTask; }
    void SetCurrentAction(int value) { CurrentTask = value; }
    int ActionsCount() const;

    QString MailSendTo() const;
    void SetMailSendTo(const QString& value);
    QString MailSendFrom() const;
    void SetMailSendFrom(const QString& value);
    QString MailSubject() const;
    void SetMailSubject(const QString& value);
    QString MailContent() const;
    void SetMailContent(const QString& value);
    QString MailServer() const;
    void SetMailServer(const QString& value);
    QString MessTitle() const;
    void SetMessTitle(const QString& value);
    QString MessText() const;
    void SetMessText(const QString& value);

    // 1.0: loads the work item; both: reloads the triggers.
    void Activate();
    // Saves (1.0: when dirty, then releases the work item; 2.0: registers).
    void Deactivate(bool saveChanges);
    void Run();
    void SetAccountInformation(const QString& accountName, const QString& password);
    void GetBinaryData(QIODevice& stream) const;
    // 1.0 refuses more than MaxBinaryDataSize bytes and stores nothing then.
    void SetBinaryData(QIODevice& stream);
    // The work item offers no property pages here, so nothing is shown.
    void DisplayTaskPages(QObject* parent, TPageTypes pages, const QString& caption);
    // The item's handle of the kind (tasksched::TWorkItem under 1.0,
    // tasksched::TRegisteredTask under 2.0), activating the item first when
    // it holds none; another kind raises "not supported".
    template <class TKind>
    std::shared_ptr<TKind> GetInterface();
    void InsertAction(int type);
    void RemoveAction(int index);
    // Parallel lists: what each action does (list2) and its target (list1).
    void GetTasksLists(QStringList& list1, QStringList& list2) const;
    void GetTimeProperties(TTaskTimeProperties& properties) const;
    void SetTimeProperties(const TTaskTimeProperties& properties);

    // Set by the scheduler when it lists, finds or creates the task.
    QString FTaskName;
    tasksched::TTaskDefinitionPtr FTaskDefinition;   // 2.0
    tasksched::TRegisteredTaskPtr FRegisteredTask;   // 2.0, empty until registered
    tasksched::TWorkItemPtr FWorkItem;               // 1.0, empty while inactive

protected:
    QString FTaskSched2UserID;
    QString FTaskSched2Pw;

private:
    friend class TTriggers;
    bool Vista() const;
    // The three checks: they raise "Task "%s" is not activated.".
    tasksched::TWorkItem& Check10() const;
    tasksched::TTaskDefinition& Check20() const;
    tasksched::TRegisteredTask& CheckRegistered() const;
    [[noreturn]] void NotActivated() const;
    // What a 1.0-only property does on a 2.0 item.
    [[noreturn]] void Only10() const;
    // The definition with a program action made when it has none.
    tasksched::TTaskDefinition& ExecDefinition();
    template <class TKind>
    TKind& Current(tasksched::TTaskDefinition& definition) const;
    // The e-mail and message properties: empty or untouched with no action chosen.
    template <class TKind>
    QString ActionText(QString TKind::*field) const;
    template <class TKind>
    void SetActionText(QString TKind::*field, const QString& value);
    tasksched::TRegisteredTaskPtr Register(const QString& user, const QString& password, int logonType);

    std::unique_ptr<TTriggers> FTriggers;
    int CurrentTask = 0;
    TTaskScheduler* FTaskManager;
};

template <>
std::shared_ptr<tasksched::TWorkItem> TTaskItem::GetInterface<tasksched::TWorkItem>();
template <>
std::shared_ptr<tasksched::TRegisteredTask> TTaskItem::GetInterface<tasksched::TRegisteredTask>();
