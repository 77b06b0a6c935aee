#include "UTaskPlatform.h"

#include "UTaskStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace tasksched {

bool TPlatformInfo::IsAdmin() const
{
    return geteuid() == 0;
}

QString TPlatformInfo::UserName() const
{
    if (const passwd* entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

QString TPlatformInfo::HostName() const
{
    return QSysInfo::machineHostName();
}

bool TProcessLauncher::StartDetached(const QString& program, const QStringList& arguments, qint64* pid)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached(pid);
}

bool TPowerSource::OnBattery() const
{
    // On battery: a battery discharges and no mains supply is online.
    const QDir supplies(QStringLiteral("/sys/class/power_supply"));
    bool discharging = false;
    for (const QString& name : supplies.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        auto read = [&](const char* field) {
            QFile file(supplies.filePath(name) + QLatin1Char('/') + QLatin1String(field));
            return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
        };
        const QByteArray type = read("type");
        if (type == "Mains" && read("online") == "1")
            return false;
        if (type == "Battery" && read("status") == "Discharging")
            discharging = true;
    }
    return discharging;
}

namespace {
constexpr int RunAnswerMs = 10000;
constexpr int StartAnswerMs = 10000;   // a loaded machine may take seconds to start a process
constexpr int StartPollMs = 20;
}  // namespace

TRunnerServiceControl::TRunnerServiceControl(std::shared_ptr<TProcessLauncher> launcher, QString runnerPath,
                                             QString socketPath)
      : FLauncher(std::move(launcher)), FRunnerPath(std::move(runnerPath)), FSocketPath(std::move(socketPath))
{
    if (FSocketPath.isEmpty())
        FSocketPath = SocketPath();
}

QString TRunnerServiceControl::SocketPath()
{
    // Derived from the store, never from the runtime folder of the moment:
    // the program and the runner find each other whatever the environment.
    return TTaskStore().SocketPath();
}

QString TRunnerServiceControl::DefaultRunnerPath()
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(self).absolutePath() + QStringLiteral("/vantorquill-taskd");
}

QString TRunnerServiceControl::Ask(const QString& command, int timeoutMs, const QString& socketPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath.isEmpty() ? SocketPath() : socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return {};
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return {};
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return {};
    }
    return QString::fromUtf8(socket.readLine()).trimmed();
}

bool TRunnerServiceControl::IsRunning()
{
    return Answers(3000);
}

bool TRunnerServiceControl::Answers(int timeoutMs) const
{
    return Ask(QStringLiteral("PING"), timeoutMs, FSocketPath) == QLatin1String("PONG");
}

bool TRunnerServiceControl::Start()
{
    // Whoever starts the runner goes on to send it requests at once (a run,
    // a reload): it counts as started once it answers, not once launched.
    qint64 pid = 0;
    if (!FLauncher->StartDetached(FRunnerPath, {}, &pid))
        return false;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (Answers(StartPollMs))
            return true;
        // A runner that left (it found another one, or failed) is asked once more.
        const bool left = pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
        if (left || waited.elapsed() > StartAnswerMs)
            return Answers(StartPollMs);
        QThread::msleep(StartPollMs);
    }
}

bool TRunnerServiceControl::Reload()
{
    return !Ask(QStringLiteral("RELOAD"), 3000, FSocketPath).isEmpty();
}

QString TRunnerServiceControl::Run(const QString& storedName)
{
    // A runner that is busy starting another run on a loaded machine still
    // answers; one that is not there is refused at once whatever the wait.
    return Ask(QStringLiteral("RUN ") + storedName, RunAnswerMs, FSocketPath);
}

TPlatform TPlatform::Default()
{
    TPlatform platform;
    platform.Info = std::make_shared<TPlatformInfo>();
    platform.Clock = std::make_shared<TClock>();
    platform.Launcher = std::make_shared<TProcessLauncher>();
    platform.Power = std::make_shared<TPowerSource>();
    platform.RunnerPath = TRunnerServiceControl::DefaultRunnerPath();
    platform.Service = std::make_shared<TRunnerServiceControl>(platform.Launcher, platform.RunnerPath);
    return platform;
}

}  // namespace tasksched
