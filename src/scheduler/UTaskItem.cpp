#include "UTaskItem.h"

#include "UTaskScheduler.h"

#include <QtEndian>

namespace ts = tasksched;

namespace {

// The 1.0 flag bits in the order of TTaskFlag.
const quint32 jobFlagBits[] = {ts::jfInteractive,         ts::jfDeleteWhenDone,         ts::jfDisabled,
                               ts::jfHidden,              ts::jfRunOnlyIfLoggedOn,      ts::jfStartOnlyIfIdle,
                               ts::jfSystemRequired,      ts::jfKillOnIdleEnd,          ts::jfRestartOnIdleResume,
                               ts::jfDontStartIfOnBatteries, ts::jfKillIfGoingOnBatteries, ts::jfRunIfConnectedToInternet};

// The 2.0 settings of the flags tfvAllowDemandStart to tfvWakeToRun, in order.
bool* VistaFlagSetting(ts::TTaskSettings& settings, TTaskVistaFlag flag)
{
    switch (flag) {
    case tfvAllowDemandStart: return &settings.AllowDemandStart;
    case tfvAllowHardTerminate: return &settings.AllowHardTerminate;
    case tfvDisallowStartIfOnBatteries: return &settings.DisallowStartIfOnBatteries;
    case tfvStopIfGoingOnBatteries: return &settings.StopIfGoingOnBatteries;
    case tfvEnabled: return &settings.Enabled;
    case tfvHidden: return &settings.Hidden;
    case tfvRunOnlyIfIdle: return &settings.RunOnlyIfIdle;
    case tfvStopOnIdleEnd: return &settings.IdleSettings.StopOnIdleEnd;
    case tfvRestartOnIdle: return &settings.IdleSettings.RestartOnIdle;
    case tfvRunOnlyIfNetworkAvailable: return &settings.RunOnlyIfNetworkAvailable;
    case tfvStartWhenAvailable: return &settings.StartWhenAvailable;
    case tfvWakeToRun: return &settings.WakeToRun;
    case tfvNeedLogon: break;
    }
    return nullptr;
}

const quint32 priorityClasses[] = {ts::jpIdle, ts::jpNormal, ts::jpHigh, ts::jpRealTime};

// A time of the service as a serial date-time; no time is the all-zero
// system time, far below 1.
TDateTime ServiceTime(const QDateTime& time)
{
    return time.isValid() ? DateTimeToSerial(time) : SystemTimeToDateTime(TSystemTime{});
}

}  // namespace

TTaskItem::TTaskItem(TTaskScheduler* taskManager)
    : FTriggers(std::make_unique<TTriggers>(this)), FTaskManager(taskManager)
{
}

TTaskItem::~TTaskItem() = default;

QString TTaskItem::Name() const
{
    return TTaskScheduler::PlainName(FTaskName);
}

TTaskItem::TTaskInterface TTaskItem::TaskInterface() const
{
    if (Vista())
        return FRegisteredTask;
    return FWorkItem;
}

bool TTaskItem::Vista() const
{
    return FTaskManager->RunningVistaOrLater();
}

void TTaskItem::NotActivated() const
{
    throw ETaskError(QStringLiteral("Task \"%1\" is not activated.").arg(Name()));
}

ts::TWorkItem& TTaskItem::Check10() const
{
    if (!FWorkItem)
        NotActivated();
    return *FWorkItem;
}

ts::TTaskDefinition& TTaskItem::Check20() const
{
    if (!FTaskDefinition)
        NotActivated();
    return *FTaskDefinition;
}

ts::TRegisteredTask& TTaskItem::CheckRegistered() const
{
    if (!FRegisteredTask)
        NotActivated();
    return *FRegisteredTask;
}

void TTaskItem::Only10() const
{
    CheckRegistered();
    throw ts::ENotSupported();
}

ts::TTaskDefinition& TTaskItem::ExecDefinition()
{
    ts::TTaskDefinition& definition = Check20();
    if (definition.Actions().Count() == 0) {
        definition.Actions().Create(ts::atExec);
        CurrentTask = 1;
    }
    return definition;
}

template <class TKind>
TKind& TTaskItem::Current(ts::TTaskDefinition& definition) const
{
    return ts::As<TKind>(definition.Actions().Item(CurrentTask));
}

QString TTaskItem::ApplicationName() const
{
    if (!Vista())
        return Check10().GetApplicationName();
    const ts::TActionCollection& actions = Check20().Actions();
    int index = CurrentTask;
    if (index == 0) {
        if (actions.Count() == 0)
            return QStringLiteral("Empty");
        if (actions.Count() > 1)
            return QStringLiteral("Multiple actions");
        index = 1;
    }
    const std::shared_ptr<ts::TAction> action = actions.Item(index);
    switch (action->Type()) {
    case ts::atExec: return ts::As<ts::TExecAction>(action).Path;
    case ts::atComHandler: return QStringLiteral("COM Object");
    case ts::atEmail: return QStringLiteral("Send e-mail");
    case ts::atShowMessage: return QStringLiteral("Display message");
    default: return QString();
    }
}

void TTaskItem::SetApplicationName(const QString& value)
{
    if (!Vista())
        return Check10().SetApplicationName(value);
    Current<ts::TExecAction>(ExecDefinition()).Path = value;
}

QString TTaskItem::Parameters()
{
    if (!Vista())
        return Check10().GetParameters();
    if (CurrentTask <= 0)
        CurrentTask = 1;
    return Current<ts::TExecAction>(Check20()).Arguments;
}

void TTaskItem::SetParameters(const QString& value)
{
    if (!Vista())
        return Check10().SetParameters(value);
    Current<ts::TExecAction>(ExecDefinition()).Arguments = value;
}

QString TTaskItem::WorkingDirectory() const
{
    if (!Vista())
        return Check10().GetWorkingDirectory();
    return Current<ts::TExecAction>(const_cast<TTaskItem*>(this)->ExecDefinition()).WorkingDirectory;
}

void TTaskItem::SetWorkingDirectory(const QString& value)
{
    if (!Vista())
        return Check10().SetWorkingDirectory(value);
    Current<ts::TExecAction>(ExecDefinition()).WorkingDirectory = value;
}

QString TTaskItem::Comment() const
{
    return Vista() ? Check20().RegistrationInfo().Description : Check10().GetComment();
}

void TTaskItem::SetComment(const QString& value)
{
    if (!Vista())
        return Check10().SetComment(value);
    Check20().RegistrationInfo().Description = value;
}

QString TTaskItem::Creator() const
{
    return Vista() ? Check20().RegistrationInfo().Author : Check10().GetCreator();
}

void TTaskItem::SetCreator(const QString& value)
{
    if (!Vista())
        return Check10().SetCreator(value);
    Check20().RegistrationInfo().Author = value;
}

QString TTaskItem::AccountName() const
{
    return Vista() ? Check20().Principal().UserId : Check10().GetAccountInformation();
}

TTaskFlags TTaskItem::Flags() const
{
    if (Vista())
        Only10();
    const quint32 bits = Check10().GetFlags();
    TTaskFlags flags;
    for (int flag = tfInteractive; flag <= tfRunIfConnectedToInternet; ++flag)
        flags.Set(TTaskFlag(flag), bits & jobFlagBits[flag]);
    return flags;
}

void TTaskItem::SetFlags(TTaskFlags value)
{
    if (Vista())
        Only10();
    quint32 bits = 0;
    for (int flag = tfInteractive; flag <= tfRunIfConnectedToInternet; ++flag) {
        if (value.Contains(TTaskFlag(flag)))
            bits |= jobFlagBits[flag];
    }
    Check10().SetFlags(bits);
}

TTaskVistaFlags TTaskItem::VistaFlags() const
{
    TTaskVistaFlags flags;
    if (!Vista())
        return flags;
    ts::TTaskDefinition& definition = Check20();
    for (int flag = tfvAllowDemandStart; flag < tfvNeedLogon; ++flag)
        flags.Set(TTaskVistaFlag(flag), *VistaFlagSetting(definition.Settings(), TTaskVistaFlag(flag)));
    flags.Set(tfvNeedLogon, definition.Principal().LogonType == ts::ltInteractiveToken);
    return flags;
}

void TTaskItem::SetVistaFlags(TTaskVistaFlags value)
{
    if (!Vista())
        return;
    ts::TTaskDefinition& definition = Check20();
    for (int flag = tfvAllowDemandStart; flag < tfvNeedLogon; ++flag)
        *VistaFlagSetting(definition.Settings(), TTaskVistaFlag(flag)) = value.Contains(TTaskVistaFlag(flag));
    // Only a change of the flag changes the logon type, so that a task of
    // another type (a service account) keeps its type when written back.
    int& logonType = definition.Principal().LogonType;
    const bool needLogon = logonType == ts::ltInteractiveToken;
    if (value.Contains(tfvNeedLogon) && !needLogon)
        logonType = ts::ltInteractiveToken;
    else if (!value.Contains(tfvNeedLogon) && needLogon)
        logonType = ts::ltPassword;
}

TTaskPriority TTaskItem::Priority() const
{
    if (Vista())
        Only10();
    switch (Check10().GetPriority()) {
    case ts::jpIdle: return tpIdle;
    case ts::jpHigh: return tpHigh;
    case ts::jpRealTime: return tpRealTime;
    default: return tpNormal;
    }
}

void TTaskItem::SetPriority(TTaskPriority value)
{
    if (Vista())
        Only10();
    Check10().SetPriority(priorityClasses[value]);
}

quint32 TTaskItem::MaxRunTime() const
{
    if (Vista())
        Only10();
    return Check10().GetMaxRunTime();
}

void TTaskItem::SetMaxRunTime(quint32 milliseconds)
{
    if (!Vista())
        return Check10().SetMaxRunTime(milliseconds);
    Check20().Settings().ExecutionTimeLimit =
        milliseconds == ts::jobInfiniteRunTime ? QStringLiteral("PT0S") : MinutesToDuration(milliseconds / 60000);
}

TIdleTime TTaskItem::IdleTime() const
{
    if (Vista())
        Only10();
    TIdleTime idle;
    Check10().GetIdleWait(idle.wIdleMinutes, idle.wDeadlineMinutes);
    return idle;
}

void TTaskItem::SetIdleTime(const TIdleTime& value)
{
    if (Vista())
        Only10();
    Check10().SetIdleWait(value.wIdleMinutes, value.wDeadlineMinutes);
}

TTaskInstancesPolicy TTaskItem::TaskInstancesPolicy() const
{
    if (!Vista())
        return tipIgnoreNew;
    return TTaskInstancesPolicy(Check20().Settings().MultipleInstances);
}

void TTaskItem::SetTaskInstancesPolicy(TTaskInstancesPolicy value)
{
    if (Vista())
        Check20().Settings().MultipleInstances = value;
}

bool TTaskItem::IsDirty() const
{
    if (Vista())
        Only10();
    return Check10().IsDirty();
}

QString TTaskItem::CurFile() const
{
    if (Vista())
        Only10();
    return Check10().GetCurFile();
}

quint32 TTaskItem::ExitCode() const
{
    return Vista() ? quint32(CheckRegistered().LastTaskResult()) : Check10().GetExitCode();
}

TTaskStatus TTaskItem::Status() const
{
    if (Vista())
        return TTaskStatus(CheckRegistered().State() + ts2Unknown);
    return TTaskStatus(Check10().GetStatus() & 0xFF);
}

TDateTime TTaskItem::NextRunTime() const
{
    return ServiceTime(Vista() ? CheckRegistered().NextRunTime() : Check10().GetNextRunTime());
}

TDateTime TTaskItem::MostRecentRunTime() const
{
    return ServiceTime(Vista() ? CheckRegistered().LastRunTime() : Check10().GetMostRecentRunTime());
}

TTriggers& TTaskItem::Triggers()
{
    if (!Vista())
        Check10();
    return *FTriggers;
}

QString TTaskItem::TriggerString()
{
    TTriggers& triggers = Triggers();
    switch (triggers.Count()) {
    case 0: return QStringLiteral("Task not scheduled");
    case 1: return triggers.Items(0)->AsString();
    default: return QStringLiteral("Multiple schedule times");
    }
}

int TTaskItem::ActionsCount() const
{
    return Vista() ? Check20().Actions().Count() : 0;
}

template <class TKind>
QString TTaskItem::ActionText(QString TKind::*field) const
{
    if (!Vista() && !FTaskDefinition)
        return QString();
    ts::TTaskDefinition& definition = Check20();
    return CurrentTask > 0 ? Current<TKind>(definition).*field : QString();
}

template <class TKind>
void TTaskItem::SetActionText(QString TKind::*field, const QString& value)
{
    ts::TTaskDefinition& definition = Check20();
    if (CurrentTask > 0)
        Current<TKind>(definition).*field = value;
}

QString TTaskItem::MailSendTo() const { return ActionText(&ts::TEmailAction::To); }
void TTaskItem::SetMailSendTo(const QString& value) { SetActionText(&ts::TEmailAction::To, value); }
QString TTaskItem::MailSendFrom() const { return ActionText(&ts::TEmailAction::From); }
void TTaskItem::SetMailSendFrom(const QString& value) { SetActionText(&ts::TEmailAction::From, value); }
QString TTaskItem::MailSubject() const { return ActionText(&ts::TEmailAction::Subject); }
void TTaskItem::SetMailSubject(const QString& value) { SetActionText(&ts::TEmailAction::Subject, value); }
QString TTaskItem::MailContent() const { return ActionText(&ts::TEmailAction::Body); }
void TTaskItem::SetMailContent(const QString& value) { SetActionText(&ts::TEmailAction::Body, value); }
QString TTaskItem::MailServer() const { return ActionText(&ts::TEmailAction::Server); }
void TTaskItem::SetMailServer(const QString& value) { SetActionText(&ts::TEmailAction::Server, value); }
QString TTaskItem::MessTitle() const { return ActionText(&ts::TShowMessageAction::Title); }
void TTaskItem::SetMessTitle(const QString& value) { SetActionText(&ts::TShowMessageAction::Title, value); }
QString TTaskItem::MessText() const { return ActionText(&ts::TShowMessageAction::MessageBody); }
void TTaskItem::SetMessText(const QString& value) { SetActionText(&ts::TShowMessageAction::MessageBody, value); }

void TTaskItem::Activate()
{
    if (!Vista()) {
        const std::shared_ptr<ts::TJobScheduler> jobs = FTaskManager->JobScheduler();
        if (!jobs)
            throw ESchedulerError(TTaskScheduler::NotRunningMessage);
        FWorkItem.reset();
        try {
            FWorkItem = jobs->Activate(FTaskName);
        } catch (const Exception&) {
            throw ESchedulerError(QStringLiteral("Could not activate \"%1\" task.").arg(Name()));
        }
    }
    FTriggers->InitTriggers();
}

ts::TRegisteredTaskPtr TTaskItem::Register(const QString& user, const QString& password, int logonType)
{
    const std::shared_ptr<ts::TTaskService> service = FTaskManager->TaskService();
    if (!service)
        throw ESchedulerError(TTaskScheduler::NotRunningMessage);
    return service->GetFolder(FTaskManager->CurrentFolderPath)
        ->RegisterTaskDefinition(Name(), *FTaskDefinition, ts::TTaskFolder::TASK_CREATE_OR_UPDATE, user, password,
                                 logonType);
}

void TTaskItem::Deactivate(bool saveChanges)
{
    if (!Vista()) {
        ts::TWorkItem& item = Check10();
        if (saveChanges && item.IsDirty()) {
            FTriggers->UpdateTriggers();
            item.Save();
        }
        FWorkItem.reset();
        return;
    }
    if (!saveChanges)
        return;
    const ts::TTaskDefinition& definition = Check20();
    FRegisteredTask = Register(FTaskSched2UserID, FTaskSched2Pw, definition.Principal().LogonType);
}

void TTaskItem::Run()
{
    if (Vista())
        CheckRegistered().Run();
    else
        Check10().Run();
}

void TTaskItem::SetAccountInformation(const QString& accountName, const QString& password)
{
    if (!FTaskManager->Context()->Platform.Info->IsNtFamily())
        return;
    if (!Vista())
        return Check10().SetAccountInformation(accountName, password);
    ts::TPrincipal& principal = Check20().Principal();
    // A refused registration leaves the item as it was.
    const ts::TPrincipal before = principal;
    const QString userBefore = FTaskSched2UserID;
    try {
        principal.UserId = accountName;
        FTaskSched2UserID = accountName;
        if (!password.isEmpty()) {
            Register(accountName, password, ts::ltPassword);
        } else {
            if (!accountName.isEmpty()) {
                principal.LogonType = ts::ltInteractiveToken;
            } else {
                principal.UserId = FTaskSched2UserID = QStringLiteral("System");
                principal.LogonType = ts::ltServiceAccount;
            }
            Register(QString(), QString(), principal.LogonType);
            FTaskSched2UserID.clear();
        }
    } catch (...) {
        principal = before;
        FTaskSched2UserID = userBefore;
        throw;
    }
    FTaskSched2Pw = password;
}

void TTaskItem::GetBinaryData(QIODevice& stream) const
{
    if (Vista()) {
        const QString& data = Check20().Data;
        QByteArray bytes(data.size() * 2, Qt::Uninitialized);
        qToLittleEndian<char16_t>(data.utf16(), data.size(), bytes.data());
        stream.write(bytes);
        return;
    }
    const QByteArray bytes = Check10().GetWorkItemData();
    if (!bytes.isEmpty())
        stream.write(bytes);
}

void TTaskItem::SetBinaryData(QIODevice& stream)
{
    const qint64 remaining = stream.size() - stream.pos();
    if (Vista()) {
        ts::TTaskDefinition& definition = Check20();
        const QByteArray bytes = stream.read(remaining / 2 * 2);
        QString data(bytes.size() / 2, Qt::Uninitialized);
        qFromLittleEndian<char16_t>(bytes.constData(), data.size(), data.data());
        definition.Data = data;
        return;
    }
    ts::TWorkItem& item = Check10();
    if (remaining > qint64(MaxBinaryDataSize))
        throw ETaskError(QStringLiteral("The task data of %1 bytes is too large; a task holds at most %2 bytes.")
                             .arg(remaining)
                             .arg(MaxBinaryDataSize));
    if (remaining > 0)
        item.SetWorkItemData(stream.read(remaining));
}

void TTaskItem::DisplayTaskPages(QObject* /*parent*/, TPageTypes pages, const QString& /*caption*/)
{
    if (Vista())
        Only10();
    const ts::TWorkItem& item = Check10();
    int found = 0;
    for (int page = ptTask; page <= ptSettings; ++page) {
        if (pages.Contains(TPageType(page)) && item.GetPage(page, true))
            ++found;
    }
    // The work item offers no pages, so there is no sheet to show.
    if (found > 0)
        FTriggers->InitTriggers();
}

template <>
std::shared_ptr<ts::TWorkItem> TTaskItem::GetInterface<ts::TWorkItem>()
{
    if (!FWorkItem && !FRegisteredTask)
        Activate();
    if (!FWorkItem)
        throw ts::ENotSupported();
    return FWorkItem;
}

template <>
std::shared_ptr<ts::TRegisteredTask> TTaskItem::GetInterface<ts::TRegisteredTask>()
{
    if (!FWorkItem && !FRegisteredTask)
        Activate();
    if (!FRegisteredTask)
        throw ts::ENotSupported();
    return FRegisteredTask;
}

void TTaskItem::InsertAction(int type)
{
    Check20().Actions().Create(type);
}

void TTaskItem::RemoveAction(int index)
{
    ts::TActionCollection& actions = Check20().Actions();
    if (index > 0 && index <= actions.Count())
        actions.Remove(index);
}

void TTaskItem::GetTasksLists(QStringList& list1, QStringList& list2) const
{
    const ts::TTaskDefinitionPtr definition = CheckRegistered().Definition();
    for (const std::shared_ptr<ts::TAction>& action : definition->Actions().All()) {
        switch (action->Type()) {
        case ts::atExec:
            list2 << QStringLiteral("Start a programm");
            list1 << ts::As<ts::TExecAction>(action).Path;
            break;
        case ts::atEmail: {
            const auto& mail = ts::As<ts::TEmailAction>(action);
            list2 << QStringLiteral("Send e-mail");
            list1 << mail.To + QLatin1Char(' ') + mail.Subject;
            break;
        }
        case ts::atShowMessage:
            list2 << QStringLiteral("Display message");
            list1 << ts::As<ts::TShowMessageAction>(action).Title;
            break;
        default:
            break;
        }
    }
}

void TTaskItem::GetTimeProperties(TTaskTimeProperties& properties) const
{
    if (!Vista())
        return;
    const ts::TTaskSettings& settings = Check20().Settings();
    properties.ExecutionTimeLimit = settings.ExecutionTimeLimit;
    properties.RestartInterval = settings.RestartInterval;
    properties.RestartCount = QString::number(settings.RestartCount);
    properties.DeleteExpiredTaskAfter = settings.DeleteExpiredTaskAfter;
    properties.IdleWaitTimeout = settings.IdleSettings.WaitTimeout;
    properties.IdleDuration = settings.IdleSettings.IdleDuration;
}

void TTaskItem::SetTimeProperties(const TTaskTimeProperties& properties)
{
    if (!Vista())
        return;
    ts::TTaskSettings& settings = Check20().Settings();
    settings.ExecutionTimeLimit = properties.ExecutionTimeLimit;
    settings.RestartInterval = properties.RestartInterval;
    bool number = false;
    const int restartCount = properties.RestartCount.trimmed().toInt(&number);
    if (!number)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(properties.RestartCount));
    settings.RestartCount = restartCount;
    settings.DeleteExpiredTaskAfter = properties.DeleteExpiredTaskAfter;
    settings.IdleSettings.WaitTimeout = properties.IdleWaitTimeout;
    settings.IdleSettings.IdleDuration = properties.IdleDuration;
}
