#pragma once

#include "UTaskService.h"

#include <QByteArray>
#include <QLocale>
#include <QObject>
#include <QStringList>

// The 1.0 operations: work items named "<name>.job", each kept in the store as
// a definition, with the 1.0 values that a definition lacks as extras.
namespace tasksched {

// 1.0 trigger types of the record.
enum TJobTriggerType {
    jtOnce = 0, jtDaily = 1, jtWeekly = 2, jtMonthlyDate = 3, jtMonthlyDow = 4, jtOnIdle = 5, jtAtStartup = 6, jtAtLogon = 7
};
// Record flags.
enum { jtfHasEndDate = 0x1, jtfKillAtDurationEnd = 0x2, jtfDisabled = 0x4 };
// Work-item flags.
enum {
    jfInteractive = 0x1, jfDeleteWhenDone = 0x2, jfDisabled = 0x4, jfStartOnlyIfIdle = 0x10, jfKillOnIdleEnd = 0x20,
    jfDontStartIfOnBatteries = 0x40, jfKillIfGoingOnBatteries = 0x80, jfHidden = 0x200, jfRunIfConnectedToInternet = 0x400,
    jfRestartOnIdleResume = 0x800, jfSystemRequired = 0x1000, jfRunOnlyIfLoggedOn = 0x2000
};
// Priority classes.
enum { jpNormal = 0x20, jpIdle = 0x40, jpHigh = 0x80, jpRealTime = 0x100 };
// Status codes; their low byte counts from "ready".
enum : quint32 {
    jsReady = 0x41300, jsRunning = 0x41301, jsDisabled = 0x41302, jsHasNotRun = 0x41303, jsNoMoreRuns = 0x41304,
    jsNotScheduled = 0x41305, jsTerminated = 0x41306, jsNoValidTriggers = 0x41307
};
constexpr quint32 jobInfiniteRunTime = 0xFFFFFFFF;

struct TDailyDetails {
    quint16 DaysInterval;
};
struct TWeeklyDetails {
    quint16 WeeksInterval;
    quint16 rgfDaysOfTheWeek;
};
struct TMonthlyDateDetails {
    quint32 rgfDays;
    quint16 rgfMonths;
};
struct TMonthlyDOWDetails {
    quint16 wWhichWeek;
    quint16 rgfDaysOfTheWeek;
    quint16 rgfMonths;
};
union TTriggerTypeUnion {
    TDailyDetails Daily;
    TWeeklyDetails Weekly;
    TMonthlyDateDetails MonthlyDate;
    TMonthlyDOWDetails MonthlyDOW;
};

// The 1.0 trigger record.
struct TJobTriggerRecord {
    quint16 cbTriggerSize = 48;
    quint16 Reserved1 = 0;
    quint16 wBeginYear = 0;
    quint16 wBeginMonth = 0;
    quint16 wBeginDay = 0;
    quint16 wEndYear = 0;
    quint16 wEndMonth = 0;
    quint16 wEndDay = 0;
    quint16 wStartHour = 0;
    quint16 wStartMinute = 0;
    quint32 MinutesDuration = 0;
    quint32 MinutesInterval = 0;
    quint32 rgFlags = 0;
    int TriggerType = jtOnce;
    TTriggerTypeUnion Type{};
    quint16 Reserved2 = 0;
    quint16 wRandomMinutesInterval = 0;
};

// The record as a trigger of a definition, and back.
std::shared_ptr<TTrigger> RecordToTrigger(const TJobTriggerRecord& record);
TJobTriggerRecord TriggerToRecord(const TTrigger& trigger);

class TWorkItem;

// One trigger of a work item.
class TJobTrigger {
public:
    TJobTrigger(std::shared_ptr<TWorkItem> item, std::shared_ptr<TTrigger> trigger);
    TJobTriggerRecord GetTrigger() const;
    void SetTrigger(const TJobTriggerRecord& record);
    QString GetTriggerString(const QLocale& locale = QLocale()) const;

private:
    std::shared_ptr<TWorkItem> FItem;
    std::shared_ptr<TTrigger> FTrigger;
};
using TJobTriggerPtr = std::shared_ptr<TJobTrigger>;

class TWorkItem : public std::enable_shared_from_this<TWorkItem> {
public:
    TWorkItem(TServiceContextPtr context, TStoredTask task, bool stored);

    QString Name() const { return FTask.Name; }
    TTaskDefinition& Definition() { return *FTask.Definition; }

    QString GetApplicationName() const;
    void SetApplicationName(const QString& value);
    QString GetParameters() const;
    void SetParameters(const QString& value);
    QString GetWorkingDirectory() const;
    void SetWorkingDirectory(const QString& value);
    QString GetComment() const;
    void SetComment(const QString& value);
    QString GetCreator() const;
    void SetCreator(const QString& value);
    QString GetAccountInformation() const;
    // An empty name names the system account; the password is never kept.
    void SetAccountInformation(const QString& account, const QString& password);
    quint32 GetFlags() const;
    void SetFlags(quint32 flags);
    quint32 GetPriority() const;
    void SetPriority(quint32 priority);
    quint32 GetMaxRunTime() const;   // milliseconds
    void SetMaxRunTime(quint32 milliseconds);
    void GetIdleWait(quint16& idleMinutes, quint16& deadlineMinutes) const;
    void SetIdleWait(quint16 idleMinutes, quint16 deadlineMinutes);
    QByteArray GetWorkItemData() const;
    void SetWorkItemData(const QByteArray& data);

    bool IsDirty() const { return FDirty; }
    QString GetCurFile() const;
    quint32 GetExitCode() const;
    quint32 GetStatus() const;
    QDateTime GetNextRunTime() const;
    QDateTime GetMostRecentRunTime() const;

    int GetTriggerCount() const { return FTask.Definition->Triggers().Count(); }
    // A new trigger (once, now) appended; its index through index.
    TJobTriggerPtr CreateTrigger(int* index = nullptr);
    TJobTriggerPtr GetTrigger(int index);   // from 0
    void DeleteTrigger(int index);

    // The property page of a page type (task 0, schedule 1, settings 2):
    // there are none here, so that no page comes back.
    std::shared_ptr<QObject> GetPage(int /*pageType*/, bool /*persistChanges*/) const { return nullptr; }

    void Run();
    // Checks and writes the work item to the store.
    void Save();

private:
    friend class TJobTrigger;
    TExecAction& Exec() const;
    void Touch() { FDirty = true; }
    TServiceContextPtr FContext;
    TStoredTask FTask;
    bool FDirty;
};
using TWorkItemPtr = std::shared_ptr<TWorkItem>;

// The 1.0 entry.
class TJobScheduler {
public:
    explicit TJobScheduler(TServiceContextPtr context) : FContext(std::move(context)) {}

    void SetTargetComputer(const QString& name);
    QString GetTargetComputer() const;
    // The work items' names, each with ".job".
    QStringList Enum() const;
    // Raises when there is no such work item.
    TWorkItemPtr Activate(const QString& name) const;
    void Delete(const QString& name);
    // A new work item in memory; raises when the name exists.
    TWorkItemPtr NewWorkItem(const QString& name) const;

private:
    TServiceContextPtr FContext;
};

}  // namespace tasksched
