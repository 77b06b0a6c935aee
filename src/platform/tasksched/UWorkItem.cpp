#include "UWorkItem.h"

#include "UTriggerEngine.h"
#include "UTriggerText.h"

namespace tasksched {

namespace {

const QString fileNotFound = QStringLiteral("The system cannot find the file specified.");

QString Minutes(quint32 minutes)
{
    return QStringLiteral("PT%1M").arg(minutes);
}

quint32 MinutesOf(const QString& duration)
{
    return quint32(qMax<qint64>(0, TTriggerEngine::DurationSeconds(duration)) / 60);
}

QString DateText(int year, int month, int day, int hour, int minute)
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return {};
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("T%1:%2:00")
                                                              .arg(hour, 2, 10, QLatin1Char('0'))
                                                              .arg(minute, 2, 10, QLatin1Char('0'));
}

int KindOfRecord(int triggerType)
{
    static const int kinds[] = {tkTime, tkDaily, tkWeekly, tkMonthly, tkMonthlyDOW, tkIdle, tkBoot, tkLogon};
    if (triggerType < 0 || triggerType > jtAtLogon)
        throw EInvalidArgument();
    return kinds[triggerType];
}

int RecordTypeOf(int kind)
{
    switch (kind) {
    case tkTime: return jtOnce;
    case tkDaily: return jtDaily;
    case tkWeekly: return jtWeekly;
    case tkMonthly: return jtMonthlyDate;
    case tkMonthlyDOW: return jtMonthlyDow;
    case tkIdle: return jtOnIdle;
    case tkBoot: return jtAtStartup;
    case tkLogon: return jtAtLogon;
    default: throw ENotSupported();
    }
}

int ExtraInt(const QJsonObject& extras, const char* key, int fallback)
{
    return extras.value(QLatin1String(key)).toInt(fallback);
}

}  // namespace

std::shared_ptr<TTrigger> RecordToTrigger(const TJobTriggerRecord& record)
{
    TTriggerCollection holder;
    std::shared_ptr<TTrigger> trigger = holder.Create(KindOfRecord(record.TriggerType));
    trigger->StartBoundary = DateText(record.wBeginYear, record.wBeginMonth, record.wBeginDay, record.wStartHour,
                                      record.wStartMinute);
    if (record.rgFlags & jtfHasEndDate)
        trigger->EndBoundary = DateText(record.wEndYear, record.wEndMonth, record.wEndDay, 0, 0);
    trigger->Enabled = !(record.rgFlags & jtfDisabled);
    if (record.MinutesInterval > 0) {
        trigger->Repetition.Interval = Minutes(record.MinutesInterval);
        trigger->Repetition.Duration = Minutes(record.MinutesDuration);
    }
    trigger->Repetition.StopAtDurationEnd = record.rgFlags & jtfKillAtDurationEnd;
    if (auto* daily = dynamic_cast<TDailyTrigger*>(trigger.get())) {
        daily->DaysInterval = record.Type.Daily.DaysInterval;
    } else if (auto* weekly = dynamic_cast<TWeeklyTrigger*>(trigger.get())) {
        weekly->WeeksInterval = record.Type.Weekly.WeeksInterval;
        weekly->DaysOfWeek = record.Type.Weekly.rgfDaysOfTheWeek;
    } else if (auto* monthly = dynamic_cast<TMonthlyTrigger*>(trigger.get())) {
        monthly->DaysOfMonth = record.Type.MonthlyDate.rgfDays;
        monthly->MonthsOfYear = record.Type.MonthlyDate.rgfMonths;
    } else if (auto* dow = dynamic_cast<TMonthlyDOWTrigger*>(trigger.get())) {
        const int week = record.Type.MonthlyDOW.wWhichWeek;
        dow->WeeksOfMonth = week >= 1 && week <= 5 ? 1 << (week - 1) : 0;
        dow->DaysOfWeek = record.Type.MonthlyDOW.rgfDaysOfTheWeek;
        dow->MonthsOfYear = record.Type.MonthlyDOW.rgfMonths;
    }
    return trigger;
}

TJobTriggerRecord TriggerToRecord(const TTrigger& trigger)
{
    TJobTriggerRecord record;
    record.TriggerType = RecordTypeOf(trigger.Type());
    if (const QDateTime start = TTriggerText::IsoToDateTime(trigger.StartBoundary); start.isValid()) {
        record.wBeginYear = quint16(start.date().year());
        record.wBeginMonth = quint16(start.date().month());
        record.wBeginDay = quint16(start.date().day());
        record.wStartHour = quint16(start.time().hour());
        record.wStartMinute = quint16(start.time().minute());
    }
    if (const QDateTime end = TTriggerText::IsoToDateTime(trigger.EndBoundary); end.isValid()) {
        record.rgFlags |= jtfHasEndDate;
        record.wEndYear = quint16(end.date().year());
        record.wEndMonth = quint16(end.date().month());
        record.wEndDay = quint16(end.date().day());
    }
    if (!trigger.Enabled)
        record.rgFlags |= jtfDisabled;
    if (trigger.Repetition.StopAtDurationEnd)
        record.rgFlags |= jtfKillAtDurationEnd;
    record.MinutesInterval = MinutesOf(trigger.Repetition.Interval);
    record.MinutesDuration = MinutesOf(trigger.Repetition.Duration);
    if (const auto* daily = dynamic_cast<const TDailyTrigger*>(&trigger)) {
        record.Type.Daily.DaysInterval = quint16(daily->DaysInterval);
    } else if (const auto* weekly = dynamic_cast<const TWeeklyTrigger*>(&trigger)) {
        record.Type.Weekly.WeeksInterval = quint16(weekly->WeeksInterval);
        record.Type.Weekly.rgfDaysOfTheWeek = quint16(weekly->DaysOfWeek);
    } else if (const auto* monthly = dynamic_cast<const TMonthlyTrigger*>(&trigger)) {
        record.Type.MonthlyDate.rgfDays = monthly->DaysOfMonth;
        record.Type.MonthlyDate.rgfMonths = quint16(monthly->MonthsOfYear);
    } else if (const auto* dow = dynamic_cast<const TMonthlyDOWTrigger*>(&trigger)) {
        int week = 0;
        for (int bit = 0; bit < 5; ++bit) {
            if (dow->WeeksOfMonth & (1 << bit))
                week = bit + 1;
        }
        record.Type.MonthlyDOW.wWhichWeek = quint16(dow->RunOnLastWeekOfMonth ? 5 : week);
        record.Type.MonthlyDOW.rgfDaysOfTheWeek = quint16(dow->DaysOfWeek);
        record.Type.MonthlyDOW.rgfMonths = quint16(dow->MonthsOfYear);
    }
    return record;
}

TJobTrigger::TJobTrigger(std::shared_ptr<TWorkItem> item, std::shared_ptr<TTrigger> trigger)
    : FItem(std::move(item)), FTrigger(std::move(trigger))
{
}

TJobTriggerRecord TJobTrigger::GetTrigger() const
{
    return TriggerToRecord(*FTrigger);
}

void TJobTrigger::SetTrigger(const TJobTriggerRecord& record)
{
    std::shared_ptr<TTrigger> replacement = RecordToTrigger(record);
    TTriggerCollection& triggers = FItem->Definition().Triggers();
    const int index = int(triggers.All().indexOf(FTrigger));
    if (index < 0)
        throw EInvalidArgument();
    // The kind may change: the new trigger takes the old one's place.
    QList<std::shared_ptr<TTrigger>> all = triggers.All();
    all[index] = replacement;
    triggers.Clear();
    for (const auto& trigger : all)
        triggers.Append(trigger);
    FTrigger = replacement;
    FItem->Touch();
}

QString TJobTrigger::GetTriggerString(const QLocale& locale) const
{
    return TTriggerText::Text(*FTrigger, locale);
}

TWorkItem::TWorkItem(TServiceContextPtr context, TStoredTask task, bool stored)
    : FContext(std::move(context)), FTask(std::move(task)), FDirty(!stored)
{
}

TExecAction& TWorkItem::Exec() const
{
    TActionCollection& actions = FTask.Definition->Actions();
    if (actions.Count() == 0)
        actions.Create(atExec);
    return As<TExecAction>(actions.Item(1));
}

QString TWorkItem::GetApplicationName() const
{
    return FTask.Definition->Actions().Count() == 0 ? QString() : Exec().Path;
}
void TWorkItem::SetApplicationName(const QString& value)
{
    Exec().Path = value;
    Touch();
}
QString TWorkItem::GetParameters() const
{
    return FTask.Definition->Actions().Count() == 0 ? QString() : Exec().Arguments;
}
void TWorkItem::SetParameters(const QString& value)
{
    Exec().Arguments = value;
    Touch();
}
QString TWorkItem::GetWorkingDirectory() const
{
    return FTask.Definition->Actions().Count() == 0 ? QString() : Exec().WorkingDirectory;
}
void TWorkItem::SetWorkingDirectory(const QString& value)
{
    Exec().WorkingDirectory = value;
    Touch();
}
QString TWorkItem::GetComment() const
{
    return FTask.Definition->RegistrationInfo().Description;
}
void TWorkItem::SetComment(const QString& value)
{
    FTask.Definition->RegistrationInfo().Description = value;
    Touch();
}
QString TWorkItem::GetCreator() const
{
    return FTask.Definition->RegistrationInfo().Author;
}
void TWorkItem::SetCreator(const QString& value)
{
    FTask.Definition->RegistrationInfo().Author = value;
    Touch();
}

QString TWorkItem::GetAccountInformation() const
{
    return FTask.Definition->Principal().UserId;
}

void TWorkItem::SetAccountInformation(const QString& account, const QString& /*password*/)
{
    const QString user = account.isEmpty() ? QStringLiteral("System") : account;
    FTask.Definition->Principal().UserId = CheckAccount(user, *FContext->Platform.Info);
    Touch();
}

quint32 TWorkItem::GetFlags() const
{
    return quint32(ExtraInt(FTask.Extras, "flags", 0));
}

void TWorkItem::SetFlags(quint32 flags)
{
    FTask.Extras["flags"] = double(flags);
    // What the runner honours is read from the definition.
    TTaskSettings& settings = FTask.Definition->Settings();
    settings.Enabled = !(flags & jfDisabled);
    settings.Hidden = flags & jfHidden;
    settings.RunOnlyIfIdle = flags & jfStartOnlyIfIdle;
    settings.IdleSettings.StopOnIdleEnd = flags & jfKillOnIdleEnd;
    settings.IdleSettings.RestartOnIdle = flags & jfRestartOnIdleResume;
    settings.DisallowStartIfOnBatteries = flags & jfDontStartIfOnBatteries;
    settings.StopIfGoingOnBatteries = flags & jfKillIfGoingOnBatteries;
    settings.RunOnlyIfNetworkAvailable = flags & jfRunIfConnectedToInternet;
    settings.WakeToRun = flags & jfSystemRequired;
    settings.DeleteExpiredTaskAfter = (flags & jfDeleteWhenDone) ? QStringLiteral("PT0S") : QString();
    FTask.Definition->Principal().LogonType = (flags & jfRunOnlyIfLoggedOn) ? ltInteractiveToken : ltPassword;
    Touch();
}

quint32 TWorkItem::GetPriority() const
{
    return quint32(ExtraInt(FTask.Extras, "priority", jpNormal));
}

void TWorkItem::SetPriority(quint32 priority)
{
    FTask.Extras["priority"] = double(priority);
    int level = 7;
    switch (priority) {
    case jpRealTime: level = 0; break;
    case jpHigh: level = 1; break;
    case jpIdle: level = 10; break;
    default: break;
    }
    FTask.Definition->Settings().Priority = level;
    Touch();
}

quint32 TWorkItem::GetMaxRunTime() const
{
    const qint64 seconds = TTriggerEngine::DurationSeconds(FTask.Definition->Settings().ExecutionTimeLimit);
    return seconds <= 0 ? jobInfiniteRunTime : quint32(qMin<qint64>(seconds * 1000, jobInfiniteRunTime - 1));
}

void TWorkItem::SetMaxRunTime(quint32 milliseconds)
{
    FTask.Definition->Settings().ExecutionTimeLimit =
        milliseconds == jobInfiniteRunTime ? QStringLiteral("PT0S") : QStringLiteral("PT%1S").arg(milliseconds / 1000);
    Touch();
}

void TWorkItem::GetIdleWait(quint16& idleMinutes, quint16& deadlineMinutes) const
{
    idleMinutes = quint16(ExtraInt(FTask.Extras, "idleMinutes", 10));
    deadlineMinutes = quint16(ExtraInt(FTask.Extras, "deadlineMinutes", 60));
}

void TWorkItem::SetIdleWait(quint16 idleMinutes, quint16 deadlineMinutes)
{
    FTask.Extras["idleMinutes"] = idleMinutes;
    FTask.Extras["deadlineMinutes"] = deadlineMinutes;
    FTask.Definition->Settings().IdleSettings.IdleDuration = Minutes(idleMinutes);
    FTask.Definition->Settings().IdleSettings.WaitTimeout = Minutes(deadlineMinutes);
    Touch();
}

QByteArray TWorkItem::GetWorkItemData() const
{
    return QByteArray::fromBase64(FTask.Extras.value(QLatin1String("data")).toString().toLatin1());
}

void TWorkItem::SetWorkItemData(const QByteArray& data)
{
    FTask.Extras["data"] = QString::fromLatin1(data.toBase64());
    Touch();
}

QString TWorkItem::GetCurFile() const
{
    return FContext->Store->FileOf(tkJob10, FTask.Name);
}

quint32 TWorkItem::GetExitCode() const
{
    const TRunState state = FContext->Store->ReadState(tkJob10, FTask.Name);
    return state.HasRun ? quint32(state.LastResult) : 0;
}

quint32 TWorkItem::GetStatus() const
{
    const TRunState state = FContext->Store->ReadState(tkJob10, FTask.Name);
    if (state.Running)
        return jsRunning;
    if (!FTask.Definition->Settings().Enabled)
        return jsDisabled;
    if (FTask.Definition->Triggers().Count() == 0)
        return jsNotScheduled;
    if (!state.HasRun)
        return jsHasNotRun;
    return GetNextRunTime().isValid() ? jsReady : jsNoMoreRuns;
}

QDateTime TWorkItem::GetNextRunTime() const
{
    const TClock& clock = *FContext->Platform.Clock;
    return TTriggerEngine::next(*FTask.Definition, clock.Now(), clock.Zone());
}

QDateTime TWorkItem::GetMostRecentRunTime() const
{
    return FContext->Store->ReadState(tkJob10, FTask.Name).LastRunTime;
}

TJobTriggerPtr TWorkItem::CreateTrigger(int* index)
{
    const QDateTime now = FContext->Platform.Clock->Now();
    std::shared_ptr<TTrigger> trigger = FTask.Definition->Triggers().Create(tkTime);
    trigger->StartBoundary = now.toString(QStringLiteral("yyyy-MM-ddThh:mm:00"));
    if (index != nullptr)
        *index = GetTriggerCount() - 1;
    Touch();
    return std::make_shared<TJobTrigger>(shared_from_this(), trigger);
}

TJobTriggerPtr TWorkItem::GetTrigger(int index)
{
    return std::make_shared<TJobTrigger>(shared_from_this(), FTask.Definition->Triggers().Item(index + 1));
}

void TWorkItem::DeleteTrigger(int index)
{
    FTask.Definition->Triggers().Remove(index + 1);
    Touch();
}

void TWorkItem::Run()
{
    TRegisteredTask(FContext, FTask).Run();
}

void TWorkItem::Save()
{
    TTaskDefinitionPtr checked = FTask.Definition->Clone();
    CheckRegistration(*checked, QString(), checked->Principal().LogonType, *FContext->Platform.Info);
    TStoredTask stored = FTask;
    stored.Definition = checked;
    FTask.Name = FContext->Store->Save(stored);
    FTask.Definition->Principal() = checked->Principal();
    FDirty = false;
    WriteAutostartEntry(FContext->Platform.RunnerPath);
    FContext->Platform.Service->Reload();
}

void TJobScheduler::SetTargetComputer(const QString& name)
{
    CheckComputer(name, *FContext->Platform.Info);
}

QString TJobScheduler::GetTargetComputer() const
{
    return QStringLiteral("\\\\") + FContext->Platform.Info->HostName();
}

QStringList TJobScheduler::Enum() const
{
    QStringList names;
    for (const TStoredTask& task : FContext->Store->List(tkJob10))
        names << task.Name;
    return names;
}

TWorkItemPtr TJobScheduler::Activate(const QString& name) const
{
    TStoredTask task;
    if (!FContext->Store->Find(tkJob10, name, task))
        throw EServiceError(fileNotFound);
    return std::make_shared<TWorkItem>(FContext, task, true);
}

void TJobScheduler::Delete(const QString& name)
{
    if (!FContext->Store->Remove(tkJob10, name))
        throw EServiceError(fileNotFound);
    FContext->Store->RemoveState(tkJob10, name);
    FContext->Platform.Service->Reload();
}

TWorkItemPtr TJobScheduler::NewWorkItem(const QString& name) const
{
    TTaskStore::CheckName(name);
    TStoredTask task;
    if (FContext->Store->Find(tkJob10, name, task))
        throw EServiceError(QStringLiteral("Cannot create a file when that file already exists."));
    task.Kind = tkJob10;
    task.Name = name;
    task.Definition = std::make_shared<TTaskDefinition>();
    auto item = std::make_shared<TWorkItem>(FContext, task, false);
    item->SetFlags(jfDontStartIfOnBatteries | jfKillIfGoingOnBatteries | jfRunOnlyIfLoggedOn);
    return item;
}

}  // namespace tasksched
