#include "UTaskService.h"

#include "UTriggerEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tasksched {

namespace {

const QString systemAccount = QStringLiteral("System");
const QString fileNotFound = QStringLiteral("The system cannot find the file specified.");

void CheckDuration(const QString& text)
{
    if (TTriggerEngine::DurationSeconds(text) < 0)
        throw EServiceError(QStringLiteral("The duration \"%1\" is not valid.").arg(text));
}

bool InRange(qint64 value, qint64 low, qint64 high)
{
    return value >= low && value <= high;
}

// The masks and intervals that the kind allows.
bool MasksInRange(const TTrigger& trigger)
{
    constexpr int allDays = 0x7F;
    constexpr int allMonths = 0xFFF;
    if (const auto* daily = dynamic_cast<const TDailyTrigger*>(&trigger))
        return InRange(daily->DaysInterval, 1, 365);
    if (const auto* weekly = dynamic_cast<const TWeeklyTrigger*>(&trigger))
        return InRange(weekly->DaysOfWeek, 1, allDays) && InRange(weekly->WeeksInterval, 1, 52);
    if (const auto* monthly = dynamic_cast<const TMonthlyTrigger*>(&trigger)) {
        return InRange(monthly->MonthsOfYear, 1, allMonths) && monthly->DaysOfMonth <= 0x7FFFFFFFu
               && (monthly->DaysOfMonth != 0 || monthly->RunOnLastDayOfMonth);
    }
    if (const auto* monthly = dynamic_cast<const TMonthlyDOWTrigger*>(&trigger)) {
        return InRange(monthly->MonthsOfYear, 1, allMonths) && InRange(monthly->DaysOfWeek, 1, allDays)
               && InRange(monthly->WeeksOfMonth, 0, 0x1F) && (monthly->WeeksOfMonth != 0 || monthly->RunOnLastWeekOfMonth);
    }
    if (const auto* session = dynamic_cast<const TSessionStateChangeTrigger*>(&trigger))
        return InRange(session->StateChange, 0, 8);
    return true;
}

void CheckTrigger(const TTrigger& trigger, int number)
{
    if (!TTriggerEngine::BoundaryValid(trigger.StartBoundary) || !TTriggerEngine::BoundaryValid(trigger.EndBoundary))
        throw EServiceError(QStringLiteral("The trigger %1 has a start or end boundary that is not a date and time.").arg(number));
    CheckDuration(trigger.ExecutionTimeLimit);
    CheckDuration(trigger.Repetition.Interval);
    CheckDuration(trigger.Repetition.Duration);
    const bool repeats = !trigger.Repetition.Interval.isEmpty();
    if (!MasksInRange(trigger) || (repeats && TTriggerEngine::DurationSeconds(trigger.Repetition.Interval) < 60))
        throw EServiceError(QStringLiteral("The trigger %1 has a value out of range.").arg(number));
    const bool calendar = trigger.Type() >= tkTime && trigger.Type() <= tkMonthlyDOW;
    if (calendar && trigger.StartBoundary.isEmpty())
        throw EServiceError(QStringLiteral("The trigger %1 has no start boundary.").arg(number));
}

// A name with the computer in front ("host\user", ".\user") is the user.
QString WithoutComputer(const QString& account, const TPlatformInfo& info)
{
    const qsizetype slash = account.indexOf(QLatin1Char('\\'));
    if (slash < 0)
        return account;
    const QString computer = account.left(slash);
    if (computer == QLatin1String(".") || computer.compare(info.HostName(), Qt::CaseInsensitive) == 0)
        return account.mid(slash + 1);
    return account;
}

}  // namespace

void CheckComputer(const QString& name, const TPlatformInfo& info)
{
    QString computer = name;
    while (computer.startsWith(QLatin1Char('\\')))
        computer.remove(0, 1);
    if (computer.isEmpty() || computer.compare(info.HostName(), Qt::CaseInsensitive) == 0
        || computer.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return;
    throw EServiceError(QStringLiteral("Remote computers are not supported."));
}

QString CheckAccount(const QString& user, const TPlatformInfo& info)
{
    const QString account = WithoutComputer(user, info);
    if (account.isEmpty() || account == info.UserName())
        return info.UserName();
    if (account.compare(systemAccount, Qt::CaseInsensitive) == 0 && info.IsAdmin())
        return systemAccount;
    throw EServiceError(QStringLiteral("Tasks run as %1; other accounts are not supported.").arg(info.UserName()));
}

void CheckRegistration(TTaskDefinition& definition, const QString& user, int logonType, const TPlatformInfo& info)
{
    bool hasProgram = false;
    for (const auto& action : definition.Actions().All()) {
        if (const auto* exec = dynamic_cast<const TExecAction*>(action.get())) {
            if (exec->Path.trimmed().isEmpty())
                throw EServiceError(QStringLiteral("A program action has no program path."));
            hasProgram = true;
        }
    }
    if (!hasProgram)
        throw EServiceError(QStringLiteral("The task has no program to run."));
    const TTaskSettings& settings = definition.Settings();
    for (const QString& duration : {settings.ExecutionTimeLimit, settings.RestartInterval,
                                    settings.IdleSettings.IdleDuration, settings.IdleSettings.WaitTimeout})
        CheckDuration(duration);
    if (TTriggerEngine::DeletionDelaySeconds(settings.DeleteExpiredTaskAfter) < 0)
        CheckDuration(settings.DeleteExpiredTaskAfter);
    if (!InRange(settings.MultipleInstances, ipParallel, ipStopExisting) || !InRange(settings.RestartCount, 0, 1000)
        || !InRange(settings.Priority, 0, 10))
        throw EServiceError(QStringLiteral("A setting of the task is out of range."));
    int number = 0;
    for (const auto& trigger : definition.Triggers().All())
        CheckTrigger(*trigger, ++number);

    const QString account = CheckAccount(user.isEmpty() ? definition.Principal().UserId : user, info);
    definition.Principal().UserId = account;
    definition.Principal().LogonType = account == systemAccount ? int(ltServiceAccount) : logonType;
}

TRegisteredTask::TRegisteredTask(TServiceContextPtr context, TStoredTask task)
    : FContext(std::move(context)), FTask(std::move(task))
{
}

int TRegisteredTask::State() const
{
    if (!Enabled())
        return tsDisabled;
    return FContext->Store->ReadState(FTask.Kind, FTask.Name).Running ? tsRunning : tsReady;
}

QDateTime TRegisteredTask::LastRunTime() const
{
    return FContext->Store->ReadState(FTask.Kind, FTask.Name).LastRunTime;
}

QDateTime TRegisteredTask::NextRunTime() const
{
    const TClock& clock = *FContext->Platform.Clock;
    return TTriggerEngine::next(*FTask.Definition, clock.Now(), clock.Zone());
}

int TRegisteredTask::LastTaskResult() const
{
    return FContext->Store->ReadState(FTask.Kind, FTask.Name).LastResult;
}

void TRegisteredTask::Run(const QString& /*parameters*/)
{
    const QString folder = FTask.Kind == tkJob10 ? QStringLiteral("jobs/") : QStringLiteral("tasks/");
    const QString answer = FContext->Platform.Service->Run(folder + FTask.Name);
    if (answer.isEmpty())
        throw EServiceError(QStringLiteral("Task Scheduler service is not running."));
    if (!answer.startsWith(QLatin1String("OK")))
        throw EServiceError(answer.section(QLatin1Char(' '), 1));
}

TRegisteredTaskPtr TTaskFolder::GetTask(const QString& name) const
{
    TStoredTask task;
    if (!FContext->Store->Find(tkTask20, name, task))
        throw EServiceError(fileNotFound);
    return std::make_shared<TRegisteredTask>(FContext, task);
}

QList<TRegisteredTaskPtr> TTaskFolder::GetTasks(int flags) const
{
    QList<TRegisteredTaskPtr> tasks;
    for (const TStoredTask& task : FContext->Store->List(tkTask20)) {
        if ((flags & TASK_ENUM_HIDDEN) || !task.Definition->Settings().Hidden)
            tasks << std::make_shared<TRegisteredTask>(FContext, task);
    }
    return tasks;
}

void TTaskFolder::DeleteTask(const QString& name, int /*flags*/)
{
    if (!FContext->Store->Remove(tkTask20, name))
        throw EServiceError(fileNotFound);
    FContext->Store->RemoveState(tkTask20, name);
    FContext->Platform.Service->Reload();
}

TRegisteredTaskPtr TTaskFolder::RegisterTaskDefinition(const QString& name, const TTaskDefinition& definition, int flags,
                                                       const QString& user, const QString& /*password*/, int logonType,
                                                       const QString& /*sddl*/)
{
    TTaskStore::CheckName(name);
    TStoredTask task;
    const bool exists = FContext->Store->Find(tkTask20, name, task);
    if (exists && !(flags & TASK_UPDATE))
        throw EServiceError(QStringLiteral("Cannot create a file when that file already exists."));
    if (!exists && !(flags & TASK_CREATE))
        throw EServiceError(fileNotFound);
    task.Kind = tkTask20;
    task.Name = name;
    task.Definition = definition.Clone();
    CheckRegistration(*task.Definition, user, logonType, *FContext->Platform.Info);
    task.Name = FContext->Store->Save(task);
    WriteAutostartEntry(FContext->Platform.RunnerPath);
    FContext->Platform.Service->Reload();
    return std::make_shared<TRegisteredTask>(FContext, task);
}

TTaskService::TTaskService(TServiceContextPtr context) : FContext(std::move(context)) {}

void TTaskService::Connect(const QString& serverName, const QString& user, const QString& /*domain*/,
                           const QString& /*password*/)
{
    CheckComputer(serverName, *FContext->Platform.Info);
    if (!user.isEmpty())
        CheckAccount(user, *FContext->Platform.Info);
    FConnected = true;
}

void TTaskService::CheckConnected() const
{
    if (!FConnected)
        throw EServiceError(QStringLiteral("The task service is not connected."));
}

QString TTaskService::TargetServer() const
{
    CheckConnected();
    return FContext->Platform.Info->HostName();
}

QString TTaskService::ConnectedUser() const
{
    CheckConnected();
    return FContext->Platform.Info->UserName();
}

TTaskFolderPtr TTaskService::GetFolder(const QString& path) const
{
    CheckConnected();
    if (!path.isEmpty() && path != QLatin1String("\\"))
        throw EServiceError(fileNotFound);
    return std::make_shared<TTaskFolder>(FContext);
}

TTaskDefinitionPtr TTaskService::NewTask(int /*flags*/) const
{
    CheckConnected();
    return std::make_shared<TTaskDefinition>();
}

QString AutostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/vantorquill-taskd.desktop");
}

void WriteAutostartEntry(const QString& runnerPath)
{
    if (runnerPath.isEmpty())
        return;
    QString quoted = runnerPath;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    quoted.replace(QLatin1Char('`'), QStringLiteral("\\`")).replace(QLatin1Char('$'), QStringLiteral("\\$"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const QByteArray text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Vantorquill task runner\n"
                                           "Comment=Runs the scheduled tasks of Vantorquill\n"
                                           "Exec=\"%1\" --login\nTerminal=false\nNoDisplay=true\n"
                                           "X-GNOME-Autostart-enabled=true\n")
                                .arg(quoted)
                                .toUtf8();
    const QString path = AutostartEntryPath();
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == text)
        return;
    current.close();
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        file.commit();
}

}  // namespace tasksched
