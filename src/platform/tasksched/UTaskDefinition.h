#pragma once

#include "base/UException.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <memory>

// The definition of a scheduled task as a live graph: settings, principal,
// actions and triggers are objects owned by the definition, and a change made
// through any handle is a change of the definition. Clone gives an
// independent copy (a registered task hands out a fresh one each time).
namespace tasksched {

// A handle asked for a kind it is not.
class ENotSupported : public Exception {
public:
    ENotSupported() : Exception(QStringLiteral("No such interface supported")) {}
};

// A value the service cannot take (a bad index, an unknown kind).
class EInvalidArgument : public Exception {
public:
    EInvalidArgument() : Exception(QStringLiteral("The parameter is incorrect.")) {}
};

enum TLogonType { ltNone = 0, ltPassword = 1, ltS4U = 2, ltInteractiveToken = 3, ltGroup = 4, ltServiceAccount = 5 };
enum TRunLevel { rlLua = 0, rlHighest = 1 };
enum TInstancesPolicy { ipParallel = 0, ipQueue = 1, ipIgnoreNew = 2, ipStopExisting = 3 };
enum TActionType { atExec = 0, atComHandler = 5, atEmail = 6, atShowMessage = 7 };
enum TTriggerKind {
    tkEvent = 0, tkTime = 1, tkDaily = 2, tkWeekly = 3, tkMonthly = 4, tkMonthlyDOW = 5, tkIdle = 6,
    tkRegistration = 7, tkBoot = 8, tkLogon = 9, tkSessionStateChange = 11
};
enum TTaskState { tsUnknown = 0, tsDisabled = 1, tsQueued = 2, tsReady = 3, tsRunning = 4 };

struct TIdleSettings {
    QString IdleDuration = QStringLiteral("PT10M");
    QString WaitTimeout = QStringLiteral("PT1H");
    bool StopOnIdleEnd = true;
    bool RestartOnIdle = false;
};

struct TTaskSettings {
    bool AllowDemandStart = true;
    bool AllowHardTerminate = true;
    bool DisallowStartIfOnBatteries = true;
    bool StopIfGoingOnBatteries = true;
    bool Enabled = true;
    bool Hidden = false;
    bool RunOnlyIfIdle = false;
    bool RunOnlyIfNetworkAvailable = false;
    bool StartWhenAvailable = false;
    bool WakeToRun = false;
    QString ExecutionTimeLimit = QStringLiteral("PT72H");
    QString RestartInterval;
    int RestartCount = 0;
    QString DeleteExpiredTaskAfter;   // a duration, or "Immediately"
    int MultipleInstances = ipIgnoreNew;
    int Priority = 7;
    TIdleSettings IdleSettings;
};

struct TPrincipal {
    QString UserId;
    int LogonType = ltInteractiveToken;
    int RunLevel = rlLua;
};

struct TRegistrationInfo {
    QString Description;
    QString Author;
    QString Date;
};

// Repeats the runs of a trigger: Interval and Duration are ISO-8601 durations,
// empty for none.
struct TRepetitionPattern {
    QString Interval;
    QString Duration;
    bool StopAtDurationEnd = false;
};

class TAction {
public:
    virtual ~TAction() = default;
    virtual int Type() const = 0;
    virtual std::shared_ptr<TAction> Clone() const = 0;
    QString Id;
};

class TExecAction : public TAction {
public:
    int Type() const override { return atExec; }
    std::shared_ptr<TAction> Clone() const override { return std::make_shared<TExecAction>(*this); }
    QString Path;
    QString Arguments;
    QString WorkingDirectory;
};

class TComHandlerAction : public TAction {
public:
    int Type() const override { return atComHandler; }
    std::shared_ptr<TAction> Clone() const override { return std::make_shared<TComHandlerAction>(*this); }
    QString ClassId;
    QString Data;
};

class TEmailAction : public TAction {
public:
    int Type() const override { return atEmail; }
    std::shared_ptr<TAction> Clone() const override { return std::make_shared<TEmailAction>(*this); }
    QString To;
    QString From;
    QString Subject;
    QString Body;
    QString Server;
};

class TShowMessageAction : public TAction {
public:
    int Type() const override { return atShowMessage; }
    std::shared_ptr<TAction> Clone() const override { return std::make_shared<TShowMessageAction>(*this); }
    QString Title;
    QString MessageBody;
};

class TTrigger {
public:
    virtual ~TTrigger() = default;
    virtual int Type() const = 0;
    virtual std::shared_ptr<TTrigger> Clone() const = 0;
    QString Id;
    QString StartBoundary;   // "yyyy-MM-ddThh:mm:ss" local wall time, or with a zone
    QString EndBoundary;
    bool Enabled = true;
    QString ExecutionTimeLimit;
    TRepetitionPattern Repetition;
};

template <class TKind, int KindNumber>
class TTriggerOf : public TTrigger {
public:
    static constexpr int Kind = KindNumber;
    int Type() const override { return KindNumber; }
    std::shared_ptr<TTrigger> Clone() const override { return std::make_shared<TKind>(static_cast<const TKind&>(*this)); }
};

class TEventTrigger : public TTriggerOf<TEventTrigger, tkEvent> {
public:
    QString Subscription;
};
class TTimeTrigger : public TTriggerOf<TTimeTrigger, tkTime> {
public:
    QString RandomDelay;
};
class TDailyTrigger : public TTriggerOf<TDailyTrigger, tkDaily> {
public:
    int DaysInterval = 1;
    QString RandomDelay;
};
class TWeeklyTrigger : public TTriggerOf<TWeeklyTrigger, tkWeekly> {
public:
    int DaysOfWeek = 0;   // bit 0 Sunday
    int WeeksInterval = 1;
    QString RandomDelay;
};
class TMonthlyTrigger : public TTriggerOf<TMonthlyTrigger, tkMonthly> {
public:
    quint32 DaysOfMonth = 0;   // bit 0 day 1
    int MonthsOfYear = 0;      // bit 0 January
    bool RunOnLastDayOfMonth = false;
    QString RandomDelay;
};
class TMonthlyDOWTrigger : public TTriggerOf<TMonthlyDOWTrigger, tkMonthlyDOW> {
public:
    int DaysOfWeek = 0;
    int WeeksOfMonth = 0;   // bit 0 First .. bit 3 Fourth, bit 4 Last
    int MonthsOfYear = 0;
    bool RunOnLastWeekOfMonth = false;
    QString RandomDelay;
};
class TIdleTrigger : public TTriggerOf<TIdleTrigger, tkIdle> {};
class TRegistrationTrigger : public TTriggerOf<TRegistrationTrigger, tkRegistration> {
public:
    QString Delay;
};
class TBootTrigger : public TTriggerOf<TBootTrigger, tkBoot> {
public:
    QString Delay;
};
class TLogonTrigger : public TTriggerOf<TLogonTrigger, tkLogon> {
public:
    QString Delay;
    QString UserId;
};
class TSessionStateChangeTrigger : public TTriggerOf<TSessionStateChangeTrigger, tkSessionStateChange> {
public:
    QString Delay;
    QString UserId;
    int StateChange = 0;
};

// The handle taken as another kind; raises ENotSupported when it is not one.
template <class TKind, class TBase>
TKind& As(const std::shared_ptr<TBase>& handle)
{
    auto* kind = dynamic_cast<TKind*>(handle.get());
    if (kind == nullptr)
        throw ENotSupported();
    return *kind;
}

// A 1-based collection of shared handles, as the service numbers them.
template <class TItem>
class THandleCollection {
public:
    int Count() const { return int(FItems.size()); }
    // Index from 1 to Count; anything else raises EInvalidArgument.
    std::shared_ptr<TItem> Item(int index) const
    {
        if (index < 1 || index > Count())
            throw EInvalidArgument();
        return FItems[index - 1];
    }
    void Remove(int index)
    {
        if (index < 1 || index > Count())
            throw EInvalidArgument();
        FItems.removeAt(index - 1);
    }
    void Clear() { FItems.clear(); }
    void Append(std::shared_ptr<TItem> item) { FItems.append(std::move(item)); }
    const QList<std::shared_ptr<TItem>>& All() const { return FItems; }

protected:
    QList<std::shared_ptr<TItem>> FItems;
};

class TActionCollection : public THandleCollection<TAction> {
public:
    // A new action of the kind (0, 5, 6, 7) appended; other kinds raise.
    std::shared_ptr<TAction> Create(int type);
};

class TTriggerCollection : public THandleCollection<TTrigger> {
public:
    // A new trigger of the kind appended; an unknown kind raises.
    std::shared_ptr<TTrigger> Create(int type);
};

class TTaskDefinition {
public:
    TTaskDefinition() = default;
    TTaskDefinition(const TTaskDefinition&) = delete;
    TTaskDefinition& operator=(const TTaskDefinition&) = delete;

    TTaskSettings& Settings() { return FSettings; }
    const TTaskSettings& Settings() const { return FSettings; }
    TPrincipal& Principal() { return FPrincipal; }
    const TPrincipal& Principal() const { return FPrincipal; }
    TRegistrationInfo& RegistrationInfo() { return FRegistrationInfo; }
    const TRegistrationInfo& RegistrationInfo() const { return FRegistrationInfo; }
    TActionCollection& Actions() { return FActions; }
    const TActionCollection& Actions() const { return FActions; }
    TTriggerCollection& Triggers() { return FTriggers; }
    const TTriggerCollection& Triggers() const { return FTriggers; }
    QString Data;

    // A deep copy: no handle is shared with this definition.
    std::shared_ptr<TTaskDefinition> Clone() const;

    QJsonObject ToJson() const;
    // A document that does not describe a definition raises EConvertError.
    static std::shared_ptr<TTaskDefinition> FromJson(const QJsonObject& json);

private:
    TTaskSettings FSettings;
    TPrincipal FPrincipal;
    TRegistrationInfo FRegistrationInfo;
    TActionCollection FActions;
    TTriggerCollection FTriggers;
};

using TTaskDefinitionPtr = std::shared_ptr<TTaskDefinition>;

}  // namespace tasksched
