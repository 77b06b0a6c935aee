// The task runner: one per user, started by the program, at logon by the
// autostart entry (--login) or by the systemd user unit.
#include "platform/tasksched/UTaskRunner.h"
#include "platform/tasksched/UTaskService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>

using namespace tasksched;

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const bool atLogon = application.arguments().contains(QStringLiteral("--login"));

    // One runner per user: a second one leaves quietly, telling the first of
    // a logon, whose triggers it then fires.
    const QString socket = TRunnerServiceControl::SocketPath();
    QDir().mkpath(QFileInfo(socket).path());
    QLockFile lock(QFileInfo(socket).path() + QStringLiteral("/vantorquill-taskd.lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        if (atLogon)
            TRunnerServiceControl::Ask(QStringLiteral("LOGON"));
        return 0;
    }

    // A run's group is stopped by signals; the runner itself ends on SIGTERM
    // through the normal exit, and ignores a closed terminal.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    auto store = std::make_shared<TTaskStore>();
    TPlatform platform = TPlatform::Default();
    platform.RunnerPath = QCoreApplication::applicationFilePath();
    TTaskRunner runner(store, platform);
    QString error;
    if (!runner.Listen(&error)) {
        store->AppendLog(QStringLiteral("[error] The runner cannot listen on \"%1\": %2").arg(socket, error));
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    store->AppendLog(QStringLiteral("[info] Runner started (process %1)").arg(QCoreApplication::applicationPid()));
    runner.Reload();
    runner.StartUp(TTaskRunner::ReadBootId(), atLogon);
    runner.StartTimer();
    return application.exec();
}
