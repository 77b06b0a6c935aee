#include "UTriggers.h"

#include "UTaskItem.h"
#include "UTaskScheduler.h"
#include "platform/tasksched/UTriggerText.h"

namespace ts = tasksched;

namespace {

constexpr double msPerDay = 86400000.0;

// The serial day of a record date, 0 when the date is no valid one.
TDateTime RecordDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return 0;
    TSystemTime time;
    time.wYear = quint16(year);
    time.wMonth = quint16(month);
    time.wDay = quint16(day);
    return SystemTimeToDateTime(time);
}

QString BoundaryText(int year, int month, int day, int hour, int minute)
{
    const QLatin1Char zero('0');
    return QStringLiteral("%1-%2-%3T%4:%5:00")
        .arg(year, 4, 10, zero)
        .arg(month, 2, 10, zero)
        .arg(day, 2, 10, zero)
        .arg(hour, 2, 10, zero)
        .arg(minute, 2, 10, zero);
}

// The service's kind of each trigger type; 0 for ttUnknown.
int KindOf(TTriggerType type)
{
    static const int kinds[] = {ts::tkTime, ts::tkDaily, ts::tkWeekly, ts::tkMonthly, ts::tkMonthlyDOW, ts::tkIdle,
                                ts::tkBoot, ts::tkLogon, ts::tkSessionStateChange, ts::tkSessionStateChange,
                                ts::tkSessionStateChange, ts::tkSessionStateChange};
    return type >= ttOnce && type < ttUnknown ? kinds[type] : 0;
}

int StateChangeOf(TTriggerType type)
{
    switch (type) {
    case ttOnConnect: return 3;
    case ttOnDisconnect: return 4;
    case ttOnLock: return 7;
    default: return 8;
    }
}

}  // namespace

TTrigger::TTrigger(TTriggers* collection) : FTaskTriggers(collection) {}

ts::TTaskDefinition& TTrigger::Definition() const
{
    return *FTaskTriggers->TaskItem()->TaskDefinition();
}

void TTrigger::SetFlag(quint32 flag, bool value)
{
    FTaskTrigger.rgFlags = value ? FTaskTrigger.rgFlags | flag : FTaskTrigger.rgFlags & ~flag;
}

TDateTime TTrigger::BeginDate() const
{
    if (IsVista())
        return GetStartVistaDateTime();
    return RecordDate(FTaskTrigger.wBeginYear, FTaskTrigger.wBeginMonth, FTaskTrigger.wBeginDay);
}

void TTrigger::SetBeginDate(TDateTime value)
{
    const QDate date = SerialToDateTime(value).date();
    FTaskTrigger.wBeginYear = quint16(date.year());
    FTaskTrigger.wBeginMonth = quint16(date.month());
    FTaskTrigger.wBeginDay = quint16(date.day());
    if (IsVista())
        FInterfaceVista->StartBoundary = StartBoundaryText();
}

TDateTime TTrigger::EndDate() const
{
    return RecordDate(FTaskTrigger.wEndYear, FTaskTrigger.wEndMonth, FTaskTrigger.wEndDay);
}

void TTrigger::SetEndDate(TDateTime value)
{
    const QDate date = SerialToDateTime(value).date();
    FTaskTrigger.wEndYear = quint16(date.year());
    FTaskTrigger.wEndMonth = quint16(date.month());
    FTaskTrigger.wEndDay = quint16(date.day());
}

TDateTime TTrigger::StartTime() const
{
    const QTime time(FTaskTrigger.wStartHour, FTaskTrigger.wStartMinute);
    return time.isValid() ? time.msecsSinceStartOfDay() / msPerDay : 0;
}

void TTrigger::SetStartTime(TDateTime value)
{
    const QTime time = SerialToDateTime(value).time();
    FTaskTrigger.wStartHour = quint16(time.hour());
    FTaskTrigger.wStartMinute = quint16(time.minute());
}

quint32 TTrigger::Duration() const
{
    return IsVista() ? quint32(DurationToMinutes(FInterfaceVista->Repetition.Duration)) : FTaskTrigger.MinutesDuration;
}

void TTrigger::SetDuration(quint32 minutes)
{
    FTaskTrigger.MinutesDuration = minutes;
    if (IsVista())
        FInterfaceVista->Repetition.Duration = MinutesToDuration(minutes);
}

quint32 TTrigger::Interval() const
{
    return IsVista() ? quint32(DurationToMinutes(FInterfaceVista->Repetition.Interval)) : FTaskTrigger.MinutesInterval;
}

void TTrigger::SetInterval(quint32 minutes)
{
    FTaskTrigger.MinutesInterval = minutes;
    if (IsVista())
        FInterfaceVista->Repetition.Interval = MinutesToDuration(minutes);
}

bool TTrigger::KillAtDurationEnd() const
{
    if (IsVista())
        return FInterfaceVista->Repetition.StopAtDurationEnd;
    return FTaskTrigger.rgFlags & ts::jtfKillAtDurationEnd;
}

void TTrigger::SetKillAtDurationEnd(bool value)
{
    SetFlag(ts::jtfKillAtDurationEnd, value);
    if (IsVista())
        FInterfaceVista->Repetition.StopAtDurationEnd = value;
}

bool TTrigger::Enabled() const
{
    // A 2.0 trigger has its own setting, which the engine honours.
    if (IsVista())
        return FInterfaceVista->Enabled;
    return !(FTaskTrigger.rgFlags & ts::jtfDisabled);
}

void TTrigger::SetEnabled(bool value)
{
    SetFlag(ts::jtfDisabled, !value);
    if (IsVista())
        FInterfaceVista->Enabled = value;
}

void TTrigger::SetVistaMonthlyDOWWeeks(TVistaMDOWWeeks value)
{
    FVistaMDOWWeeks = value;
    if (IsVista())
        SetMonthlyDOWTrigger();
}

QString TTrigger::AsString() const
{
    if (IsVista())
        return ts::TTriggerText::Text(*FInterfaceVista, QLocale());
    return FInterface ? FInterface->GetTriggerString(QLocale()) : QString();
}

TDateTime TTrigger::GetStartVistaDateTime() const
{
    if (IsVista() && !FInterfaceVista->StartBoundary.isEmpty())
        return IsoToDateTime(FInterfaceVista->StartBoundary);
    if (FTaskTrigger.wBeginYear == 0 && FTaskTrigger.wBeginMonth == 0 && FTaskTrigger.wBeginDay == 0)
        return 0;
    return RecordDate(FTaskTrigger.wBeginYear, FTaskTrigger.wBeginMonth, FTaskTrigger.wBeginDay);
}

QString TTrigger::StartBoundaryText() const
{
    return BoundaryText(FTaskTrigger.wBeginYear, FTaskTrigger.wBeginMonth, FTaskTrigger.wBeginDay,
                        FTaskTrigger.wStartHour, FTaskTrigger.wStartMinute);
}

QString TTrigger::EndBoundaryText() const
{
    return BoundaryText(FTaskTrigger.wEndYear, FTaskTrigger.wEndMonth, FTaskTrigger.wEndDay, 0, 0);
}

void TTrigger::WriteBoundaries(ts::TTrigger& trigger, bool withEnd) const
{
    trigger.StartBoundary = StartBoundaryText();
    if (withEnd && HasEndDate())
        trigger.EndBoundary = EndBoundaryText();
}

void TTrigger::StartWhenAvailable() const
{
    Definition().Settings().StartWhenAvailable = true;
}

void TTrigger::SetTimeTrigger()
{
    WriteBoundaries(ts::As<ts::TTimeTrigger>(FInterfaceVista), true);
}

void TTrigger::SetDailyTrigger()
{
    auto& daily = ts::As<ts::TDailyTrigger>(FInterfaceVista);
    const int interval = FTaskTrigger.Type.Daily.DaysInterval;
    daily.DaysInterval = interval == 0 ? 1 : interval;
    WriteBoundaries(daily, true);
}

void TTrigger::SetWeeklyTrigger()
{
    auto& weekly = ts::As<ts::TWeeklyTrigger>(FInterfaceVista);
    const int interval = FTaskTrigger.Type.Weekly.WeeksInterval;
    weekly.WeeksInterval = interval == 0 ? 1 : interval;
    weekly.DaysOfWeek = FTaskTrigger.Type.Weekly.rgfDaysOfTheWeek;
    WriteBoundaries(weekly, true);
}

void TTrigger::SetMonthlyTrigger()
{
    auto& monthly = ts::As<ts::TMonthlyTrigger>(FInterfaceVista);
    monthly.DaysOfMonth = FTaskTrigger.Type.MonthlyDate.rgfDays;
    monthly.MonthsOfYear = FTaskTrigger.Type.MonthlyDate.rgfMonths;
    WriteBoundaries(monthly, true);
}

void TTrigger::SetMonthlyDOWTrigger()
{
    auto& monthly = ts::As<ts::TMonthlyDOWTrigger>(FInterfaceVista);
    const ts::TMonthlyDOWDetails& details = FTaskTrigger.Type.MonthlyDOW;
    monthly.DaysOfWeek = details.rgfDaysOfTheWeek;
    if (!FVistaMDOWWeeks.IsEmpty()) {
        monthly.RunOnLastWeekOfMonth = FVistaMDOWWeeks.Contains(tvmdowLast);
        monthly.WeeksOfMonth = int(FVistaMDOWWeeks.Bits() & 0x1F);
    } else {
        // Week 1 (first) to 5 (last); anything else names no week.
        const int week = details.wWhichWeek;
        monthly.WeeksOfMonth = week >= 1 && week <= 5 ? 1 << (week - 1) : 0;
        monthly.RunOnLastWeekOfMonth = week == 5;
    }
    monthly.MonthsOfYear = details.rgfMonths;
    WriteBoundaries(monthly, true);
}

void TTrigger::SetIdleTrigger()
{
    auto& idle = ts::As<ts::TIdleTrigger>(FInterfaceVista);
    StartWhenAvailable();
    WriteBoundaries(idle, false);
}

void TTrigger::SetBootTrigger()
{
    auto& boot = ts::As<ts::TBootTrigger>(FInterfaceVista);
    StartWhenAvailable();
    WriteBoundaries(boot, true);
}

void TTrigger::SetLogonTrigger()
{
    auto& logon = ts::As<ts::TLogonTrigger>(FInterfaceVista);
    StartWhenAvailable();
    if (!FUserName.isEmpty())
        logon.UserId = FUserName;
    WriteBoundaries(logon, true);
}

void TTrigger::SetSessionTrigger()
{
    auto& session = ts::As<ts::TSessionStateChangeTrigger>(FInterfaceVista);
    StartWhenAvailable();
    session.StateChange = StateChangeOf(TriggerType());
    if (!FUserName.isEmpty())
        session.UserId = FUserName;
    WriteBoundaries(session, true);
}

TTaskTriggerRecord TTrigger::GetDailyTrigger()
{
    const auto& daily = ts::As<ts::TDailyTrigger>(FInterfaceVista);
    SetBeginDate(GetStartVistaDateTime());
    FTaskTrigger.Type.Daily.DaysInterval = quint16(daily.DaysInterval);
    return FTaskTrigger;
}

TTaskTriggerRecord TTrigger::GetWeeklyTrigger()
{
    const auto& weekly = ts::As<ts::TWeeklyTrigger>(FInterfaceVista);
    SetBeginDate(GetStartVistaDateTime());
    FTaskTrigger.Type.Weekly.WeeksInterval = quint16(weekly.WeeksInterval);
    FTaskTrigger.Type.Weekly.rgfDaysOfTheWeek = quint16(weekly.DaysOfWeek);
    return FTaskTrigger;
}

TTaskTriggerRecord TTrigger::GetMonthlyTrigger()
{
    const auto& monthly = ts::As<ts::TMonthlyTrigger>(FInterfaceVista);
    SetBeginDate(GetStartVistaDateTime());
    FTaskTrigger.Type.MonthlyDate.rgfDays = monthly.DaysOfMonth;
    FTaskTrigger.Type.MonthlyDate.rgfMonths = quint16(monthly.MonthsOfYear);
    return FTaskTrigger;
}

TTaskTriggerRecord TTrigger::GetMonthlyDOWTrigger()
{
    const auto& monthly = ts::As<ts::TMonthlyDOWTrigger>(FInterfaceVista);
    SetBeginDate(GetStartVistaDateTime());
    ts::TMonthlyDOWDetails& details = FTaskTrigger.Type.MonthlyDOW;
    details.rgfDaysOfTheWeek = quint16(monthly.DaysOfWeek);
    const int weeks = monthly.WeeksOfMonth & 0x1F;
    if (weeks != 0) {
        int highest = 0;
        for (int bit = 0; bit < 5; ++bit) {
            if (weeks & (1 << bit))
                highest = bit;
        }
        details.wWhichWeek = quint16(highest + 1);
        FVistaMDOWWeeks = TVistaMDOWWeeks::FromBits(quint32(weeks));
    } else {
        details.wWhichWeek = monthly.RunOnLastWeekOfMonth ? 5 : 0;
        FVistaMDOWWeeks = {};
    }
    if (monthly.RunOnLastWeekOfMonth)
        FVistaMDOWWeeks.Include(tvmdowLast);
    details.rgfMonths = quint16(monthly.MonthsOfYear);
    return FTaskTrigger;
}

bool TTriggers::Vista() const
{
    return FTaskItem->TaskScheduler()->RunningVistaOrLater();
}

TTrigger* TTriggers::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw ETriggerError(QStringLiteral("Trigger index out of bounds (%1)").arg(index));
    return FItems[size_t(index)].get();
}

TTrigger* TTriggers::Append()
{
    FItems.push_back(std::make_unique<TTrigger>(this));
    return FItems.back().get();
}

TTrigger* TTriggers::Add(TTriggerType type)
{
    if (Vista()) {
        if (type == ttUnknown)
            return nullptr;
        ts::TTaskDefinition& definition = FTaskItem->Check20();
        std::shared_ptr<ts::TTrigger> created = definition.Triggers().Create(KindOf(type));
        TTrigger* trigger = Append();
        trigger->FInterfaceVista = std::move(created);
        trigger->SetTriggerType(type);
        return trigger;
    }
    ts::TJobTriggerPtr created = FTaskItem->Check10().CreateTrigger();
    TTrigger* trigger = Append();
    trigger->FInterface = std::move(created);
    trigger->SetTriggerType(type);
    return trigger;
}

void TTriggers::Clear()
{
    if (Vista()) {
        ts::TTriggerCollection& triggers = FTaskItem->Check20().Triggers();
        for (int index = triggers.Count(); index >= 1; --index)
            triggers.Remove(index);
    } else {
        ts::TWorkItem& item = FTaskItem->Check10();
        for (int index = Count() - 1; index >= 0; --index)
            item.DeleteTrigger(index);
    }
    FItems.clear();
}

void TTriggers::InitTriggers()
{
    FItems.clear();
    if (!Vista()) {
        ts::TWorkItem& item = FTaskItem->Check10();
        for (int index = 0; index < item.GetTriggerCount(); ++index) {
            ts::TJobTriggerPtr loaded = item.GetTrigger(index);
            TTrigger* trigger = Append();
            trigger->FTaskTrigger = loaded->GetTrigger();
            trigger->FInterface = std::move(loaded);
        }
        return;
    }
    ts::TTaskDefinition& definition = FTaskItem->Check20();
    for (int index = 1; index <= definition.Triggers().Count(); ++index) {
        TTrigger* trigger = Append();
        trigger->FInterfaceVista = definition.Triggers().Item(index);
        trigger->SetStartTime(IsoToDateTime(trigger->FInterfaceVista->StartBoundary));
        switch (trigger->FInterfaceVista->Type()) {
        case ts::tkTime: trigger->SetTriggerType(ttOnce); break;
        case ts::tkDaily: trigger->SetTriggerType(ttDaily); trigger->GetDailyTrigger(); break;
        case ts::tkWeekly: trigger->SetTriggerType(ttWeekly); trigger->GetWeeklyTrigger(); break;
        case ts::tkMonthly: trigger->SetTriggerType(ttMonthlyDate); trigger->GetMonthlyTrigger(); break;
        case ts::tkMonthlyDOW: trigger->SetTriggerType(ttMonthlyDow); trigger->GetMonthlyDOWTrigger(); break;
        case ts::tkIdle: trigger->SetTriggerType(ttOnIdle); break;
        case ts::tkBoot: trigger->SetTriggerType(ttAtStartup); break;
        case ts::tkLogon: trigger->SetTriggerType(ttAtLogon); break;
        default: trigger->SetTriggerType(ttUnknown); break;
        }
    }
}

void TTriggers::UpdateTriggers()
{
    const bool vista = Vista();
    for (const auto& trigger : FItems) {
        if (!vista) {
            if (!trigger->FInterface)
                throw ts::ENotSupported();
            trigger->FInterface->SetTrigger(trigger->FTaskTrigger);
            continue;
        }
        switch (trigger->TriggerType()) {
        case ttOnce: trigger->SetTimeTrigger(); break;
        case ttDaily: trigger->SetDailyTrigger(); break;
        case ttWeekly: trigger->SetWeeklyTrigger(); break;
        case ttMonthlyDate: trigger->SetMonthlyTrigger(); break;
        case ttMonthlyDow: trigger->SetMonthlyDOWTrigger(); break;
        case ttOnIdle: trigger->SetIdleTrigger(); break;
        case ttAtStartup: trigger->SetBootTrigger(); break;
        case ttAtLogon: trigger->SetLogonTrigger(); break;
        case ttOnConnect:
        case ttOnDisconnect:
        case ttOnLock:
        case ttOnUnlock: trigger->SetSessionTrigger(); break;
        case ttUnknown: break;
        }
    }
}

void TTriggers::GetTriggerStrings(QStringList& strings) const
{
    strings.clear();
    if (FItems.empty()) {
        strings << QStringLiteral("<Task not scheduled>");
        return;
    }
    if (FItems.size() == 1) {
        strings << FItems.front()->AsString();
        return;
    }
    int number = 0;
    for (const auto& trigger : FItems)
        strings << QStringLiteral("%1. %2").arg(++number).arg(trigger->AsString());
}
