#include "UTaskPlatform.h"

#include "UTaskStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

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
    return Ask(QStringLiteral("PING"), 3000, FSocketPath) == QLatin1String("PONG");
}

bool TRunnerServiceControl::Start()
{
    return FLauncher->StartDetached(FRunnerPath, {});
}

bool TRunnerServiceControl::Reload()
{
    return !Ask(QStringLiteral("RELOAD"), 3000, FSocketPath).isEmpty();
}

namespace {
constexpr int RunAnswerMs = 10000;
}  // namespace

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
