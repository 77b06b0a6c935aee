#pragma once

#include "USet.h"
#include "saUtils.h"
#include "platform/tasksched/UWorkItem.h"

#include <QStringList>
#include <memory>
#include <vector>

class TTaskItem;
class TTriggers;

// The first eight have the values of the 1.0 trigger types and are stored in
// the record as they are.
enum TTriggerType {
    ttOnce, ttDaily, ttWeekly, ttMonthlyDate, ttMonthlyDow, ttOnIdle, ttAtStartup, ttAtLogon, ttOnConnect,
    ttOnDisconnect, ttOnLock, ttOnUnlock, ttUnknown
};
enum TVistaMDOWWeek { tvmdowFirst, tvmdowSecond, tvmdowThird, tvmdowFourth, tvmdowLast };
using TVistaMDOWWeeks = TSet<TVistaMDOWWeek>;

// The 1.0 trigger record and its type union.
using TTaskTriggerRecord = tasksched::TJobTriggerRecord;
using TTriggerTypeUnion = tasksched::TTriggerTypeUnion;

// One trigger of a task: the 1.0 record in memory, and the 1.0 trigger of the
// work item or the 2.0 trigger of the definition. Changes that name the 2.0
// trigger reach the definition at once; the rest go with UpdateTriggers.
class TTrigger {
public:
    explicit TTrigger(TTriggers* collection);
    TTrigger(const TTrigger&) = delete;
    TTrigger& operator=(const TTrigger&) = delete;

    TTriggerType TriggerType() const { return TTriggerType(FTaskTrigger.TriggerType); }
    void SetTriggerType(TTriggerType value) { FTaskTrigger.TriggerType = value; }
    TDateTime BeginDate() const;
    void SetBeginDate(TDateTime value);
    TDateTime EndDate() const;
    void SetEndDate(TDateTime value);
    TDateTime StartTime() const;
    void SetStartTime(TDateTime value);
    quint32 Duration() const;   // minutes
    void SetDuration(quint32 minutes);
    quint32 Interval() const;   // minutes
    void SetInterval(quint32 minutes);
    bool KillAtDurationEnd() const;
    void SetKillAtDurationEnd(bool value);
    bool HasEndDate() const { return FTaskTrigger.rgFlags & tasksched::jtfHasEndDate; }
    void SetHasEndDate(bool value) { SetFlag(tasksched::jtfHasEndDate, value); }
    bool Enabled() const;
    void SetEnabled(bool value);
    TTriggerTypeUnion Details() const { return FTaskTrigger.Type; }
    void SetDetails(const TTriggerTypeUnion& value) { FTaskTrigger.Type = value; }
    QString UserName() const { return FUserName; }
    void SetUserName(const QString& value) { FUserName = value; }
    quint32 ConnectionType() const { return FConnectionType; }
    void SetConnectionType(quint32 value) { FConnectionType = value; }
    TVistaMDOWWeeks VistaMonthlyDOWWeeks() const { return FVistaMDOWWeeks; }
    void SetVistaMonthlyDOWWeeks(TVistaMDOWWeeks value);
    QString AsString() const;

    const TTaskTriggerRecord& Record() const { return FTaskTrigger; }
    TTriggers* Collection() const { return FTaskTriggers; }
    bool IsVista() const { return FInterfaceVista != nullptr; }
    std::shared_ptr<tasksched::TTrigger> VistaTrigger() const { return FInterfaceVista; }
    tasksched::TJobTriggerPtr JobTrigger() const { return FInterface; }

    TDateTime GetStartVistaDateTime() const;

    // The 2.0 writers: each takes the trigger as its kind and raises "not
    // supported" for another.
    void SetTimeTrigger();
    void SetDailyTrigger();
    void SetWeeklyTrigger();
    void SetMonthlyTrigger();
    void SetMonthlyDOWTrigger();
    void SetIdleTrigger();
    void SetBootTrigger();
    void SetLogonTrigger();
    void SetSessionTrigger();
    // The 2.0 readers: each fills the record and returns a copy.
    TTaskTriggerRecord GetDailyTrigger();
    TTaskTriggerRecord GetWeeklyTrigger();
    TTaskTriggerRecord GetMonthlyTrigger();
    TTaskTriggerRecord GetMonthlyDOWTrigger();

    // "yyyy-mm-ddThh:mm:00" of the begin date and start time, and
    // "yyyy-mm-ddT00:00:00" of the end date.
    QString StartBoundaryText() const;
    QString EndBoundaryText() const;

private:
    friend class TTriggers;
    void SetFlag(quint32 flag, bool value);
    // Start boundary, and the end boundary when the record has an end date.
    void WriteBoundaries(tasksched::TTrigger& trigger, bool withEnd) const;
    // StartWhenAvailable of the task, which event triggers want.
    void StartWhenAvailable() const;
    tasksched::TTaskDefinition& Definition() const;

    tasksched::TJobTriggerPtr FInterface;
    std::shared_ptr<tasksched::TTrigger> FInterfaceVista;
    TTaskTriggerRecord FTaskTrigger;
    TTriggers* FTaskTriggers;
    quint32 FConnectionType = 0;
    QString FUserName;
    TVistaMDOWWeeks FVistaMDOWWeeks;
};

// The triggers of one task.
class TTriggers {
public:
    explicit TTriggers(TTaskItem* owner) : FTaskItem(owner) {}
    TTriggers(const TTriggers&) = delete;
    TTriggers& operator=(const TTriggers&) = delete;

    int Count() const { return int(FItems.size()); }
    // Raises ETriggerError "Trigger index out of bounds (%d)".
    TTrigger* GetItem(int index) const;
    TTrigger* Items(int index) const { return GetItem(index); }
    TTrigger* operator[](int index) const { return GetItem(index); }
    TTaskItem* TaskItem() const { return FTaskItem; }

    // A new trigger of the task; nullptr for ttUnknown under 2.0.
    TTrigger* Add(TTriggerType type);
    // Removes every trigger from the task and from the list.
    void Clear();
    // Reloads the list from the task.
    void InitTriggers();
    // Writes every trigger back to the task.
    void UpdateTriggers();
    // "<Task not scheduled>", the one text, or "%d. %s" for each.
    void GetTriggerStrings(QStringList& strings) const;

private:
    bool Vista() const;
    TTrigger* Append();
    TTaskItem* FTaskItem;
    std::vector<std::unique_ptr<TTrigger>> FItems;
};
