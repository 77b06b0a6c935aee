#include "UTaskDefinition.h"

#include <QJsonArray>

namespace tasksched {

namespace {

// One field of a stored object: its key and how to move it either way.
// Reading checks the JSON type, so a damaged file never turns into defaults.
class TJsonReader {
public:
    explicit TJsonReader(const QJsonObject& json) : FJson(json) {}

    void Str(const char* key, QString& value) const
    {
        const QJsonValue v = FJson.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isString())
            Fail(key);
        value = v.toString();
    }
    void Bool(const char* key, bool& value) const
    {
        const QJsonValue v = FJson.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        if (!v.isBool())
            Fail(key);
        value = v.toBool();
    }
    template <class TInt>
    void Int(const char* key, TInt& value) const
    {
        const QJsonValue v = FJson.value(QLatin1String(key));
        if (v.isUndefined())
            return;
        const double d = v.toDouble(-1.5);
        if (!v.isDouble() || d != double(qint64(d)) || d < -2147483648.0 || d > 4294967295.0)
            Fail(key);
        value = TInt(qint64(d));
    }
    QJsonObject Obj(const char* key) const
    {
        const QJsonValue v = FJson.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (!v.isObject())
            Fail(key);
        return v.toObject();
    }
    QJsonArray Arr(const char* key) const
    {
        const QJsonValue v = FJson.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (!v.isArray())
            Fail(key);
        return v.toArray();
    }
    [[noreturn]] static void Fail(const char* key)
    {
        throw EConvertError(QStringLiteral("The value of \"%1\" is not valid").arg(QLatin1String(key)));
    }

private:
    QJsonObject FJson;
};

QJsonObject SettingsToJson(const TTaskSettings& s)
{
    return QJsonObject{{"allowDemandStart", s.AllowDemandStart},
                       {"allowHardTerminate", s.AllowHardTerminate},
                       {"disallowStartIfOnBatteries", s.DisallowStartIfOnBatteries},
                       {"stopIfGoingOnBatteries", s.StopIfGoingOnBatteries},
                       {"enabled", s.Enabled},
                       {"hidden", s.Hidden},
                       {"runOnlyIfIdle", s.RunOnlyIfIdle},
                       {"runOnlyIfNetworkAvailable", s.RunOnlyIfNetworkAvailable},
                       {"startWhenAvailable", s.StartWhenAvailable},
                       {"wakeToRun", s.WakeToRun},
                       {"executionTimeLimit", s.ExecutionTimeLimit},
                       {"restartInterval", s.RestartInterval},
                       {"restartCount", s.RestartCount},
                       {"deleteExpiredTaskAfter", s.DeleteExpiredTaskAfter},
                       {"multipleInstances", s.MultipleInstances},
                       {"priority", s.Priority},
                       {"idle", QJsonObject{{"idleDuration", s.IdleSettings.IdleDuration},
                                            {"waitTimeout", s.IdleSettings.WaitTimeout},
                                            {"stopOnIdleEnd", s.IdleSettings.StopOnIdleEnd},
                                            {"restartOnIdle", s.IdleSettings.RestartOnIdle}}}};
}

void SettingsFromJson(const QJsonObject& json, TTaskSettings& s)
{
    const TJsonReader r(json);
    r.Bool("allowDemandStart", s.AllowDemandStart);
    r.Bool("allowHardTerminate", s.AllowHardTerminate);
    r.Bool("disallowStartIfOnBatteries", s.DisallowStartIfOnBatteries);
    r.Bool("stopIfGoingOnBatteries", s.StopIfGoingOnBatteries);
    r.Bool("enabled", s.Enabled);
    r.Bool("hidden", s.Hidden);
    r.Bool("runOnlyIfIdle", s.RunOnlyIfIdle);
    r.Bool("runOnlyIfNetworkAvailable", s.RunOnlyIfNetworkAvailable);
    r.Bool("startWhenAvailable", s.StartWhenAvailable);
    r.Bool("wakeToRun", s.WakeToRun);
    r.Str("executionTimeLimit", s.ExecutionTimeLimit);
    r.Str("restartInterval", s.RestartInterval);
    r.Int("restartCount", s.RestartCount);
    r.Str("deleteExpiredTaskAfter", s.DeleteExpiredTaskAfter);
    r.Int("multipleInstances", s.MultipleInstances);
    r.Int("priority", s.Priority);
    const TJsonReader idle(r.Obj("idle"));
    idle.Str("idleDuration", s.IdleSettings.IdleDuration);
    idle.Str("waitTimeout", s.IdleSettings.WaitTimeout);
    idle.Bool("stopOnIdleEnd", s.IdleSettings.StopOnIdleEnd);
    idle.Bool("restartOnIdle", s.IdleSettings.RestartOnIdle);
}

QJsonObject ActionToJson(const TAction& action)
{
    QJsonObject json{{"type", action.Type()}, {"id", action.Id}};
    if (const auto* exec = dynamic_cast<const TExecAction*>(&action)) {
        json["path"] = exec->Path;
        json["arguments"] = exec->Arguments;
        json["workingDirectory"] = exec->WorkingDirectory;
    } else if (const auto* com = dynamic_cast<const TComHandlerAction*>(&action)) {
        json["classId"] = com->ClassId;
        json["data"] = com->Data;
    } else if (const auto* mail = dynamic_cast<const TEmailAction*>(&action)) {
        json["to"] = mail->To;
        json["from"] = mail->From;
        json["subject"] = mail->Subject;
        json["body"] = mail->Body;
        json["server"] = mail->Server;
    } else if (const auto* message = dynamic_cast<const TShowMessageAction*>(&action)) {
        json["title"] = message->Title;
        json["messageBody"] = message->MessageBody;
    }
    return json;
}

void ActionFromJson(const TJsonReader& r, TAction& action)
{
    r.Str("id", action.Id);
    if (auto* exec = dynamic_cast<TExecAction*>(&action)) {
        r.Str("path", exec->Path);
        r.Str("arguments", exec->Arguments);
        r.Str("workingDirectory", exec->WorkingDirectory);
    } else if (auto* com = dynamic_cast<TComHandlerAction*>(&action)) {
        r.Str("classId", com->ClassId);
        r.Str("data", com->Data);
    } else if (auto* mail = dynamic_cast<TEmailAction*>(&action)) {
        r.Str("to", mail->To);
        r.Str("from", mail->From);
        r.Str("subject", mail->Subject);
        r.Str("body", mail->Body);
        r.Str("server", mail->Server);
    } else if (auto* message = dynamic_cast<TShowMessageAction*>(&action)) {
        r.Str("title", message->Title);
        r.Str("messageBody", message->MessageBody);
    }
}

// The fields that only some kinds carry, moved either way by one visitor so
// that writing and reading cannot drift apart.
template <class TVisitor>
void VisitTriggerKind(TTrigger& t, TVisitor& v)
{
    if (auto* x = dynamic_cast<TTimeTrigger*>(&t)) {
        v.Str("randomDelay", x->RandomDelay);
    } else if (auto* x = dynamic_cast<TDailyTrigger*>(&t)) {
        v.Int("daysInterval", x->DaysInterval);
        v.Str("randomDelay", x->RandomDelay);
    } else if (auto* x = dynamic_cast<TWeeklyTrigger*>(&t)) {
        v.Int("daysOfWeek", x->DaysOfWeek);
        v.Int("weeksInterval", x->WeeksInterval);
        v.Str("randomDelay", x->RandomDelay);
    } else if (auto* x = dynamic_cast<TMonthlyTrigger*>(&t)) {
        v.Int("daysOfMonth", x->DaysOfMonth);
        v.Int("monthsOfYear", x->MonthsOfYear);
        v.Bool("runOnLastDayOfMonth", x->RunOnLastDayOfMonth);
        v.Str("randomDelay", x->RandomDelay);
    } else if (auto* x = dynamic_cast<TMonthlyDOWTrigger*>(&t)) {
        v.Int("daysOfWeek", x->DaysOfWeek);
        v.Int("weeksOfMonth", x->WeeksOfMonth);
        v.Int("monthsOfYear", x->MonthsOfYear);
        v.Bool("runOnLastWeekOfMonth", x->RunOnLastWeekOfMonth);
        v.Str("randomDelay", x->RandomDelay);
    } else if (auto* x = dynamic_cast<TEventTrigger*>(&t)) {
        v.Str("subscription", x->Subscription);
    } else if (auto* x = dynamic_cast<TRegistrationTrigger*>(&t)) {
        v.Str("delay", x->Delay);
    } else if (auto* x = dynamic_cast<TBootTrigger*>(&t)) {
        v.Str("delay", x->Delay);
    } else if (auto* x = dynamic_cast<TLogonTrigger*>(&t)) {
        v.Str("delay", x->Delay);
        v.Str("userId", x->UserId);
    } else if (auto* x = dynamic_cast<TSessionStateChangeTrigger*>(&t)) {
        v.Str("delay", x->Delay);
        v.Str("userId", x->UserId);
        v.Int("stateChange", x->StateChange);
    }
}

class TJsonWriter {
public:
    QJsonObject Json;
    void Str(const char* key, const QString& value) { Json[QLatin1String(key)] = value; }
    void Bool(const char* key, bool value) { Json[QLatin1String(key)] = value; }
    template <class TInt>
    void Int(const char* key, TInt value) { Json[QLatin1String(key)] = double(value); }
};

QJsonObject TriggerToJson(const TTrigger& trigger)
{
    TJsonWriter w;
    w.Int("type", trigger.Type());
    w.Str("id", trigger.Id);
    w.Str("startBoundary", trigger.StartBoundary);
    w.Str("endBoundary", trigger.EndBoundary);
    w.Bool("enabled", trigger.Enabled);
    w.Str("executionTimeLimit", trigger.ExecutionTimeLimit);
    w.Json["repetition"] = QJsonObject{{"interval", trigger.Repetition.Interval},
                                       {"duration", trigger.Repetition.Duration},
                                       {"stopAtDurationEnd", trigger.Repetition.StopAtDurationEnd}};
    VisitTriggerKind(const_cast<TTrigger&>(trigger), w);
    return w.Json;
}

void TriggerFromJson(const TJsonReader& r, TTrigger& trigger)
{
    r.Str("id", trigger.Id);
    r.Str("startBoundary", trigger.StartBoundary);
    r.Str("endBoundary", trigger.EndBoundary);
    r.Bool("enabled", trigger.Enabled);
    r.Str("executionTimeLimit", trigger.ExecutionTimeLimit);
    const TJsonReader repetition(r.Obj("repetition"));
    repetition.Str("interval", trigger.Repetition.Interval);
    repetition.Str("duration", trigger.Repetition.Duration);
    repetition.Bool("stopAtDurationEnd", trigger.Repetition.StopAtDurationEnd);
    TJsonReader reader = r;
    VisitTriggerKind(trigger, reader);
}

int KindOf(const QJsonValue& item)
{
    if (!item.isObject())
        TJsonReader::Fail("type");
    int type = -1;
    TJsonReader(item.toObject()).Int("type", type);
    return type;
}

}  // namespace

std::shared_ptr<TAction> TActionCollection::Create(int type)
{
    std::shared_ptr<TAction> action;
    switch (type) {
    case atExec: action = std::make_shared<TExecAction>(); break;
    case atComHandler: action = std::make_shared<TComHandlerAction>(); break;
    case atEmail: action = std::make_shared<TEmailAction>(); break;
    case atShowMessage: action = std::make_shared<TShowMessageAction>(); break;
    default: throw EInvalidArgument();
    }
    Append(action);
    return action;
}

std::shared_ptr<TTrigger> TTriggerCollection::Create(int type)
{
    std::shared_ptr<TTrigger> trigger;
    switch (type) {
    case tkEvent: trigger = std::make_shared<TEventTrigger>(); break;
    case tkTime: trigger = std::make_shared<TTimeTrigger>(); break;
    case tkDaily: trigger = std::make_shared<TDailyTrigger>(); break;
    case tkWeekly: trigger = std::make_shared<TWeeklyTrigger>(); break;
    case tkMonthly: trigger = std::make_shared<TMonthlyTrigger>(); break;
    case tkMonthlyDOW: trigger = std::make_shared<TMonthlyDOWTrigger>(); break;
    case tkIdle: trigger = std::make_shared<TIdleTrigger>(); break;
    case tkRegistration: trigger = std::make_shared<TRegistrationTrigger>(); break;
    case tkBoot: trigger = std::make_shared<TBootTrigger>(); break;
    case tkLogon: trigger = std::make_shared<TLogonTrigger>(); break;
    case tkSessionStateChange: trigger = std::make_shared<TSessionStateChangeTrigger>(); break;
    default: throw EInvalidArgument();
    }
    Append(trigger);
    return trigger;
}

std::shared_ptr<TTaskDefinition> TTaskDefinition::Clone() const
{
    auto copy = std::make_shared<TTaskDefinition>();
    copy->FSettings = FSettings;
    copy->FPrincipal = FPrincipal;
    copy->FRegistrationInfo = FRegistrationInfo;
    copy->Data = Data;
    for (const auto& action : FActions.All())
        copy->FActions.Append(action->Clone());
    for (const auto& trigger : FTriggers.All())
        copy->FTriggers.Append(trigger->Clone());
    return copy;
}

QJsonObject TTaskDefinition::ToJson() const
{
    QJsonArray actions;
    for (const auto& action : FActions.All())
        actions.append(ActionToJson(*action));
    QJsonArray triggers;
    for (const auto& trigger : FTriggers.All())
        triggers.append(TriggerToJson(*trigger));
    return QJsonObject{
        {"registrationInfo", QJsonObject{{"description", FRegistrationInfo.Description},
                                         {"author", FRegistrationInfo.Author},
                                         {"date", FRegistrationInfo.Date}}},
        {"principal", QJsonObject{{"userId", FPrincipal.UserId},
                                  {"logonType", FPrincipal.LogonType},
                                  {"runLevel", FPrincipal.RunLevel}}},
        {"settings", SettingsToJson(FSettings)},
        {"actions", actions},
        {"triggers", triggers},
        {"data", Data}};
}

std::shared_ptr<TTaskDefinition> TTaskDefinition::FromJson(const QJsonObject& json)
{
    auto definition = std::make_shared<TTaskDefinition>();
    const TJsonReader r(json);
    const TJsonReader info(r.Obj("registrationInfo"));
    info.Str("description", definition->FRegistrationInfo.Description);
    info.Str("author", definition->FRegistrationInfo.Author);
    info.Str("date", definition->FRegistrationInfo.Date);
    const TJsonReader principal(r.Obj("principal"));
    principal.Str("userId", definition->FPrincipal.UserId);
    principal.Int("logonType", definition->FPrincipal.LogonType);
    principal.Int("runLevel", definition->FPrincipal.RunLevel);
    SettingsFromJson(r.Obj("settings"), definition->FSettings);
    r.Str("data", definition->Data);
    for (const QJsonValue& item : r.Arr("actions")) {
        const int type = KindOf(item);
        try {
            ActionFromJson(TJsonReader(item.toObject()), *definition->FActions.Create(type));
        } catch (const EInvalidArgument&) {
            TJsonReader::Fail("actions");
        }
    }
    for (const QJsonValue& item : r.Arr("triggers")) {
        const int type = KindOf(item);
        std::shared_ptr<TTrigger> trigger;
        try {
            trigger = definition->FTriggers.Create(type);
        } catch (const EInvalidArgument&) {
            TJsonReader::Fail("triggers");
        }
        TriggerFromJson(TJsonReader(item.toObject()), *trigger);
    }
    return definition;
}

}  // namespace tasksched
