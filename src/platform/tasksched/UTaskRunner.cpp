#include "UTaskRunner.h"

#include "UTriggerEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include <algorithm>
#include <climits>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace tasksched {

namespace {

constexpr qsizetype maxLine = 4096;

QString KeyOf(const TStoredTask& task)
{
    return (task.Kind == tkJob10 ? QStringLiteral("jobs/") : QStringLiteral("tasks/")) + task.Name;
}

// A file that is neither a script with "#!" nor a binary runs through the
// shell, as a script without its first line would run from a terminal.
bool NeedsShell(const QString& program)
{
    QFile file(program);
    if (!QFileInfo(program).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return !head.startsWith("#!") && head != QByteArray("\x7f" "ELF", 4);
}

QList<TExecAction> ExecActions(const TTaskDefinition& definition)
{
    QList<TExecAction> actions;
    for (const auto& action : definition.Actions().All()) {
        if (const auto* exec = dynamic_cast<const TExecAction*>(action.get()))
            actions << *exec;
    }
    return actions;
}

// The latest run of trigger in (from, to], found in windows that grow back
// from `to`, so that a long time down with runs every minute costs little.
QDateTime LatestRun(const TTrigger& trigger, const QDateTime& from, const QDateTime& to, const QTimeZone& zone)
{
    static const qint64 windows[] = {60, 3600, 86400, 7 * 86400, 32 * 86400, 367 * 86400};
    QDateTime start = from;
    for (const qint64 window : windows) {
        const QDateTime candidate = to.addSecs(-window);
        if (candidate <= from)
            break;
        const QDateTime next = TTriggerEngine::next(trigger, candidate, zone);
        if (next.isValid() && next <= to) {
            start = candidate;
            break;
        }
    }
    QDateTime latest;
    for (QDateTime run = TTriggerEngine::next(trigger, start, zone); run.isValid() && run <= to;
         run = TTriggerEngine::next(trigger, run, zone))
        latest = run;
    return latest;
}

// The start time of a live process in clock ticks since boot, which tells it
// from a later process given the same id; 0 when none lives (a zombie has
// ended).
qint64 ProcessStart(qint64 pid)
{
    if (pid <= 0)
        return 0;
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.readAll();
    // The fields after the command's closing parenthesis: state first,
    // the start time twentieth.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X")
        return 0;
    return fields[19].toLongLong();
}

}  // namespace

TTaskRunner::TTaskRunner(std::shared_ptr<TTaskStore> store, TPlatform platform, QObject* parent)
    : QObject(parent), FStore(std::move(store)), FPlatform(std::move(platform))
{
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] {
        Reload();
        Tick();
    });
    connect(&FAdoptedTimer, &QTimer::timeout, this, &TTaskRunner::PollAdopted);
}

TTaskRunner::~TTaskRunner()
{
    for (TRun& run : FRuns) {
        if (run.Process)
            run.Process->disconnect(this);
    }
}

void TTaskRunner::Log(const QString& line) const
{
    FStore->AppendLog(line);
}

void TTaskRunner::Reload()
{
    FTasks.clear();
    QHash<QString, QDateTime> checked;
    for (const TTaskKind kind : {tkTask20, tkJob10}) {
        for (const TStoredTask& task : FStore->List(kind)) {
            FTasks << TTaskEntry{task, KeyOf(task)};
            if (FChecked.contains(FTasks.last().Key))
                checked.insert(FTasks.last().Key, FChecked.value(FTasks.last().Key));
        }
    }
    FChecked = checked;
}

bool TTaskRunner::Find(const QString& key, TTaskEntry& entry) const
{
    for (const TTaskEntry& candidate : FTasks) {
        if (candidate.Key.compare(key, Qt::CaseInsensitive) == 0) {
            entry = candidate;
            return true;
        }
    }
    return false;
}

int TTaskRunner::RunningCount() const
{
    return int(FRuns.size());
}

bool TTaskRunner::IsRunning(const QString& key) const
{
    for (const TRun& run : FRuns) {
        if (run.Key.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void TTaskRunner::Tick()
{
    const QDateTime now = FPlatform.Clock->Now();
    if (FPlatform.Power->OnBattery()) {
        for (TRun& run : FRuns) {
            TTaskEntry entry;
            if (!run.Stopping && Find(run.Key, entry) && entry.Task.Definition->Settings().StopIfGoingOnBatteries) {
                Log(QStringLiteral("%1: stopped, the computer runs on battery").arg(run.Key));
                Stop(run, true);
            }
        }
    }
    const QList<TTaskEntry> tasks = FTasks;
    for (const TTaskEntry& entry : tasks)
        Serve(entry, now);

    if (!FTimer.isActive() && FServer == nullptr)
        return;   // driven by hand
    qint64 wait = WakeMs;
    for (const TTaskEntry& entry : FTasks) {
        const QDateTime next = TTriggerEngine::next(*entry.Task.Definition, now, FPlatform.Clock->Zone());
        if (next.isValid())
            wait = qMin(wait, now.msecsTo(next));
    }
    for (const TPending& pending : FPending) {
        if (pending.RestartAt.isValid())
            wait = qMin(wait, now.msecsTo(pending.RestartAt));
    }
    FTimer.start(int(std::clamp<qint64>(wait + 20, 0, WakeMs)));
}

void TTaskRunner::StartTimer()
{
    FTimer.start(0);
}

void TTaskRunner::Serve(const TTaskEntry& entry, const QDateTime& now)
{
    const TTaskKind kind = entry.Task.Kind;
    TRunState state = FStore->ReadState(kind, entry.Task.Name);
    const QDateTime storedCheck = state.LastCheck;
    const QDateTime checked = FChecked.value(entry.Key);
    if (checked.isValid() && checked > state.LastCheck) {
        state.LastCheck = checked;
    } else if (!state.LastCheck.isValid()) {
        // First seen: runs since the task was written count as missed.
        const QDateTime written = QFileInfo(FStore->FileOf(kind, entry.Task.Name)).lastModified();
        state.LastCheck = written.isValid() ? qMin(written, now) : now;
    }
    TPending& pending = FPending[entry.Key];
    if (pending.RestartAt.isValid() && pending.RestartAt <= now) {
        pending.RestartAt = QDateTime();
        state.LastCheck = now;
        FChecked.insert(entry.Key, now);
        FStore->WriteState(kind, entry.Task.Name, state);
        Log(QStringLiteral("%1: restarted after a failure").arg(entry.Key));
        Start(entry, QStringLiteral("restart"));
        return;
    }
    const TTaskDefinition& definition = *entry.Task.Definition;
    const QTimeZone zone = FPlatform.Clock->Zone();
    QDateTime lastDue;
    std::shared_ptr<TTrigger> dueTrigger;
    if (definition.Settings().Enabled && state.LastCheck < now) {
        for (const auto& trigger : definition.Triggers().All()) {
            const QDateTime due = LatestRun(*trigger, state.LastCheck, now, zone);
            if (due.isValid() && (!lastDue.isValid() || due > lastDue)) {
                lastDue = due;
                dueTrigger = trigger;
            }
        }
    }
    state.LastCheck = now;
    FChecked.insert(entry.Key, now);
    // A minute in which nothing fell due is not written: the state keeps the
    // last check at which something did, and no run fell due since. A task
    // written after that check gets this one, or its new triggers would count
    // the time before they existed as missed at the runner's next start.
    if (!lastDue.isValid() && storedCheck.isValid()
        && QFileInfo(FStore->FileOf(kind, entry.Task.Name)).lastModified() <= storedCheck)
        state.LastCheck = storedCheck;
    DeleteIfExpired(entry, state, now);
    if (!lastDue.isValid())
        return;
    if (lastDue.secsTo(now) <= LateSeconds) {
        Start(entry, QStringLiteral("scheduled at ") + lastDue.toString(Qt::ISODate),
              TTriggerEngine::RepetitionEnd(*dueTrigger, lastDue, zone));
    } else if (definition.Settings().StartWhenAvailable) {
        Start(entry, QStringLiteral("missed run of ") + lastDue.toString(Qt::ISODate));
    } else {
        Log(QStringLiteral("%1: the run of %2 was missed and is dropped").arg(entry.Key, lastDue.toString(Qt::ISODate)));
    }
}

void TTaskRunner::DeleteIfExpired(const TTaskEntry& entry, TRunState& state, const QDateTime& now)
{
    const TTaskDefinition& definition = *entry.Task.Definition;
    const qint64 keep = TTriggerEngine::DeletionDelaySeconds(definition.Settings().DeleteExpiredTaskAfter);
    bool expired = !definition.Settings().DeleteExpiredTaskAfter.isEmpty() && keep >= 0 && !IsRunning(entry.Key)
                   && definition.Triggers().Count() > 0
                   && !TTriggerEngine::next(definition, now, FPlatform.Clock->Zone()).isValid();
    for (const auto& trigger : definition.Triggers().All())
        expired = expired && trigger->Type() >= tkTime && trigger->Type() <= tkMonthlyDOW;
    if (!expired) {
        state.ExpiredSince = QDateTime();
    } else {
        if (!state.ExpiredSince.isValid())
            state.ExpiredSince = now;
        if (state.ExpiredSince.secsTo(now) >= keep) {
            FStore->Remove(entry.Task.Kind, entry.Task.Name);
            FStore->RemoveState(entry.Task.Kind, entry.Task.Name);
            FChecked.remove(entry.Key);
            Log(QStringLiteral("%1: deleted, it has no more runs").arg(entry.Key));
            Reload();
            return;
        }
    }
    FStore->WriteState(entry.Task.Kind, entry.Task.Name, state);
}

bool TTaskRunner::Start(const TTaskEntry& entry, const QString& reason, const QDateTime& stopAt)
{
    const TTaskSettings& settings = entry.Task.Definition->Settings();
    if (!settings.Enabled) {
        Log(QStringLiteral("%1: not started (%2), the task is disabled").arg(entry.Key, reason));
        return false;
    }
    if (settings.DisallowStartIfOnBatteries && FPlatform.Power->OnBattery()) {
        Log(QStringLiteral("%1: not started (%2), the computer runs on battery").arg(entry.Key, reason));
        return false;
    }
    if (IsRunning(entry.Key)) {
        TPending& pending = FPending[entry.Key];
        switch (settings.MultipleInstances) {
        case ipParallel:
            break;
        case ipQueue:
            ++pending.Queued;
            Log(QStringLiteral("%1: queued (%2)").arg(entry.Key, reason));
            return true;
        case ipStopExisting:
            pending.StartAfterStop = true;
            StopAll(entry.Key);
            Log(QStringLiteral("%1: the running instance is stopped for a new one (%2)").arg(entry.Key, reason));
            return true;
        default:
            Log(QStringLiteral("%1: not started (%2), it is already running").arg(entry.Key, reason));
            return false;
        }
    }
    Launch(entry, reason, stopAt);
    return true;
}

void TTaskRunner::Launch(const TTaskEntry& entry, const QString& reason, const QDateTime& stopAt)
{
    const TTaskSettings& settings = entry.Task.Definition->Settings();
    const QList<TExecAction> actions = ExecActions(*entry.Task.Definition);
    TRunState state = FStore->ReadState(entry.Task.Kind, entry.Task.Name);
    state.LastRunTime = FPlatform.Clock->Now();
    state.HasRun = true;
    if (actions.isEmpty()) {
        state.LastResult = rrNotStarted;
        FStore->WriteState(entry.Task.Kind, entry.Task.Name, state);
        return;
    }
    // The first program action runs; the others are ignored (a task of this
    // program holds one).
    const TExecAction& action = actions.first();
    QString program = action.Path;
    QStringList arguments = QProcess::splitCommand(action.Arguments);
    if (NeedsShell(program)) {
        arguments.prepend(program);
        program = QStringLiteral("/bin/sh");
    }
    QString folder = action.WorkingDirectory;
    if (folder.isEmpty())
        folder = QFileInfo(action.Path).isAbsolute() ? QFileInfo(action.Path).absolutePath() : QDir::homePath();

    const QString output = FStore->OutputFileOf(entry.Task.Kind, entry.Task.Name);
    QDir().mkpath(QFileInfo(output).path());
    QFile(output).open(QIODevice::WriteOnly | QIODevice::Truncate);
    QFile::setPermissions(output, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setWorkingDirectory(folder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(output, QIODevice::Append);
    // A session and process group of its own, so that a stop reaches every
    // process the task started.
    process->setChildProcessModifier([] { ::setsid(); });
    const QString key = entry.Key;
    connect(process, &QProcess::finished, this, [this, process](int exitCode, QProcess::ExitStatus status) {
        Finished(process, status == QProcess::CrashExit ? rrSignalBase + exitCode : exitCode);
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Finished(process, rrNotStarted);
    });

    FRuns << TRun{process, key, 0, false};
    state.Running = true;
    FStore->WriteState(entry.Task.Kind, entry.Task.Name, state);
    Log(QStringLiteral("%1: started (%2): %3 %4").arg(key, reason, program, arguments.join(QLatin1Char(' '))));
    process->start();
    if (process->state() == QProcess::NotRunning)
        return;   // Finished has run already
    FRuns.last().Pgid = process->processId();
    state.Pid = process->processId();
    state.PidStart = ProcessStart(state.Pid);
    FRuns.last().Start = state.PidStart;
    FStore->WriteState(entry.Task.Kind, entry.Task.Name, state);

    auto stopLater = [this, process](qint64 ms, const QString& why) {
        QTimer::singleShot(int(std::clamp<qint64>(ms, 0, INT_MAX)), process, [this, process, why] {
            for (TRun& run : FRuns) {
                if (run.Process == process && !run.Stopping) {
                    Log(QStringLiteral("%1: stopped, %2").arg(run.Key, why));
                    Stop(run, true);
                }
            }
        });
    };
    const qint64 limit = TTriggerEngine::DurationSeconds(settings.ExecutionTimeLimit);
    if (limit > 0)
        stopLater(limit * 1000, QStringLiteral("its time limit has passed"));
    if (stopAt.isValid())
        stopLater(FPlatform.Clock->Now().msecsTo(stopAt), QStringLiteral("its repetition has ended"));
}

void TTaskRunner::Stop(TRun& run, bool hard)
{
    run.Stopping = true;
    const qint64 group = run.Pgid;
    if (group <= 0)
        return;
    ::kill(pid_t(-group), SIGTERM);
    TTaskEntry entry;
    const bool hardAllowed = !Find(run.Key, entry) || entry.Task.Definition->Settings().AllowHardTerminate;
    if (hard && hardAllowed) {
        // The group may outlive its leader: the kill goes to the group.
        QTimer::singleShot(KillGraceMs, this, [group] { ::kill(pid_t(-group), SIGKILL); });
    }
}

void TTaskRunner::StopAll(const QString& key)
{
    for (TRun& run : FRuns) {
        if (run.Key.compare(key, Qt::CaseInsensitive) == 0 && !run.Stopping)
            Stop(run, true);
    }
}

void TTaskRunner::Finished(QProcess* process, int result)
{
    for (qsizetype i = 0; i < FRuns.size(); ++i) {
        if (FRuns[i].Process == process) {
            Ended(i, result);
            return;
        }
    }
    // Else an error after the end, or the end after an error.
}

void TTaskRunner::Ended(qsizetype index, int result)
{
    const TRun run = FRuns.takeAt(index);
    const QString key = run.Key;
    if (run.Process) {
        run.Process->disconnect(this);
        run.Process->deleteLater();
        Log(QStringLiteral("%1: ended with %2").arg(key).arg(result));
    } else {
        Log(QStringLiteral("%1: the run of process %2 that an earlier runner started has ended; its result is unknown")
                .arg(key)
                .arg(run.Pgid));
    }

    TTaskEntry entry;
    const bool stored = Find(key, entry);
    const TTaskKind kind = key.startsWith(QLatin1String("jobs/")) ? tkJob10 : tkTask20;
    const QString name = key.section(QLatin1Char('/'), 1);
    TRunState state = FStore->ReadState(kind, name);
    state.LastResult = result;
    state.Running = IsRunning(key);
    state.Pid = 0;
    state.PidStart = 0;
    // A run that goes on (parallel instances) is the one the state names.
    for (const TRun& other : FRuns) {
        if (other.Key == key && other.Pgid > 0) {
            state.Pid = other.Pgid;
            state.PidStart = other.Start;
        }
    }
    if (stored)
        FStore->WriteState(kind, name, state);
    if (!stored)
        return;

    TPending& pending = FPending[key];
    const TTaskSettings& settings = entry.Task.Definition->Settings();
    const qint64 restartAfter = TTriggerEngine::DurationSeconds(settings.RestartInterval);
    if (result == 0) {
        pending.RestartsLeft = -1;
    } else if (result != rrUnknown && settings.RestartCount > 0 && restartAfter > 0) {
        if (pending.RestartsLeft < 0)
            pending.RestartsLeft = settings.RestartCount;
        if (pending.RestartsLeft > 0) {
            --pending.RestartsLeft;
            pending.RestartAt = FPlatform.Clock->Now().addSecs(restartAfter);
            if (FTimer.isActive())
                FTimer.start(int(qMin<qint64>(restartAfter * 1000 + 20, WakeMs)));
        }
    }
    if (pending.Queued > 0) {
        --pending.Queued;
        Launch(entry, QStringLiteral("queued run"), QDateTime());
    } else if (pending.StartAfterStop && !IsRunning(key)) {
        pending.StartAfterStop = false;
        Launch(entry, QStringLiteral("replacing the stopped run"), QDateTime());
    }
}

void TTaskRunner::AdoptRuns()
{
    for (const TTaskEntry& entry : FTasks) {
        TRunState state = FStore->ReadState(entry.Task.Kind, entry.Task.Name);
        if (!state.Running || IsRunning(entry.Key))
            continue;
        if (state.PidStart > 0 && ProcessStart(state.Pid) == state.PidStart) {
            FRuns << TRun{nullptr, entry.Key, state.Pid, false, state.PidStart};
            Log(QStringLiteral("%1: the run of process %2 goes on; its end is awaited").arg(entry.Key).arg(state.Pid));
            continue;
        }
        state.Running = false;
        state.Pid = 0;
        state.PidStart = 0;
        state.LastResult = rrUnknown;
        FStore->WriteState(entry.Task.Kind, entry.Task.Name, state);
        Log(QStringLiteral("%1: The runner stopped while the task ran.").arg(entry.Key));
    }
    if (std::any_of(FRuns.cbegin(), FRuns.cend(), [](const TRun& run) { return run.Process.isNull(); }))
        FAdoptedTimer.start(AdoptedPollMs);
}

void TTaskRunner::PollAdopted()
{
    // Not children of this runner: their end is seen by looking.
    for (qsizetype i = FRuns.size() - 1; i >= 0; --i) {
        if (FRuns[i].Process.isNull() && ProcessStart(FRuns[i].Pgid) != FRuns[i].Start)
            Ended(i, rrUnknown);
    }
    if (std::none_of(FRuns.cbegin(), FRuns.cend(), [](const TRun& run) { return run.Process.isNull(); }))
        FAdoptedTimer.stop();
}

void TTaskRunner::Detach()
{
    for (TRun& run : FRuns) {
        if (run.Process) {
            // A QProcess kills its process when it is deleted: it is let go.
            run.Process->disconnect(this);
            run.Process->setParent(nullptr);
        }
    }
    FRuns.clear();
    FAdoptedTimer.stop();
}

void TTaskRunner::StartUp(const QString& bootId, bool atLogon)
{
    QJsonObject runner = FStore->ReadRunnerState();
    const bool newBoot = !bootId.isEmpty() && runner.value(QLatin1String("bootId")).toString() != bootId;
    if (newBoot) {
        runner[QLatin1String("bootId")] = bootId;
        FStore->WriteRunnerState(runner);
    }
    const QString user = FPlatform.Info->UserName();
    for (const TTaskEntry& entry : QList<TTaskEntry>(FTasks)) {
        for (const auto& trigger : entry.Task.Definition->Triggers().All()) {
            if (!trigger->Enabled)
                continue;
            if (newBoot && trigger->Type() == tkBoot) {
                StartDelayed(entry, QStringLiteral("boot"), static_cast<const TBootTrigger&>(*trigger).Delay);
                break;
            }
            if (atLogon && trigger->Type() == tkLogon) {
                const auto& logon = static_cast<const TLogonTrigger&>(*trigger);
                if (logon.UserId.isEmpty() || logon.UserId == user) {
                    StartDelayed(entry, QStringLiteral("logon"), logon.Delay);
                    break;
                }
            }
        }
    }
}

void TTaskRunner::StartDelayed(const TTaskEntry& entry, const QString& reason, const QString& delay)
{
    const qint64 seconds = TTriggerEngine::DurationSeconds(delay);
    if (seconds <= 0) {
        Start(entry, reason);
        return;
    }
    const QString key = entry.Key;
    QTimer::singleShot(int(std::min<qint64>(seconds * 1000, INT_MAX)), this, [this, key, reason] {
        TTaskEntry current;
        if (Find(key, current))
            Start(current, reason);
    });
}

QString TTaskRunner::ReadBootId()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}

QString TTaskRunner::RunOnDemand(const QString& key)
{
    Reload();
    TTaskEntry entry;
    if (!Find(key, entry))
        return QStringLiteral("ERROR Unknown task");
    if (!entry.Task.Definition->Settings().AllowDemandStart)
        return QStringLiteral("ERROR The task does not allow demand start");
    if (!Start(entry, QStringLiteral("on demand")))
        return QStringLiteral("ERROR The task was not started; see runner.log");
    return QStringLiteral("OK");
}

QString TTaskRunner::Answer(const QString& line)
{
    const QString command = line.trimmed();
    if (command == QLatin1String("PING"))
        return QStringLiteral("PONG");
    if (command == QLatin1String("RELOAD")) {
        Reload();
        Tick();
        return QStringLiteral("OK");
    }
    if (command.startsWith(QLatin1String("RUN ")) && command.size() > 4)
        return RunOnDemand(command.mid(4));
    if (command == QLatin1String("LOGON")) {
        // A logon while this runner goes on from an earlier session.
        StartUp(QString(), true);
        return QStringLiteral("OK");
    }
    return QStringLiteral("ERROR Malformed command");
}

bool TTaskRunner::Listen(QString* error)
{
    const QString path = FStore->SocketPath();
    if (!TTaskStore::MakePrivateFolder(FStore->RunFolder(), error))
        return false;
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock of the one runner is held: a socket left behind is stale,
    // unless someone else put it there.
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid != ::geteuid()) {
        if (error != nullptr)
            *error = QStringLiteral("The socket \"%1\" is not the user's own.").arg(path);
        return false;
    }
    QLocalServer::removeServer(path);
    if (!FServer->listen(path)) {
        if (error != nullptr)
            *error = FServer->errorString();
        return false;
    }
    connect(FServer, &QLocalServer::newConnection, this, &TTaskRunner::OnConnection);
    return true;
}

void TTaskRunner::OnConnection()
{
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnLine(socket); });
    }
}

void TTaskRunner::OnLine(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(maxLine);
        if (!line.endsWith('\n')) {
            socket->write("ERROR Malformed command\n");
            socket->disconnectFromServer();
            return;
        }
        const QString text = QString::fromUtf8(line);
        const QString answer = text.contains(QChar::ReplacementCharacter) ? QStringLiteral("ERROR Malformed command") : Answer(text);
        socket->write(answer.toUtf8() + '\n');
        socket->flush();
    }
    if (socket->bytesAvailable() > maxLine) {
        socket->write("ERROR Malformed command\n");
        socket->disconnectFromServer();
    }
}

}  // namespace tasksched
