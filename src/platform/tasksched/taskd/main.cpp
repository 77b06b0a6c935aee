// The task runner: one per task store, started by the program, at logon by
// the autostart entry (--login) or by the systemd user unit.
#include "platform/tasksched/URunnerLock.h"
#include "platform/tasksched/UTaskRunner.h"
#include "platform/tasksched/UTaskService.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace tasksched;

namespace {

enum TExitCode { ecDone = 0, ecFailed = 1, ecUsage = 2 };

const char usage[] =
    "Usage: vantorquill-taskd [--login]\n"
    "The Vantorquill task runner: runs the user's scheduled tasks of\n"
    "$XDG_DATA_HOME/Corvanta/TaskScheduler at their times, one runner per store.\n"
    "It stays in the foreground until it receives SIGTERM or SIGINT; the tasks\n"
    "it started go on running.\n"
    "\n"
    "  --login  started at a logon: the logon triggers fire (a runner that is\n"
    "           already running is told so, and this one leaves)\n"
    "  --help   shows this text\n";

int signalPipe[2] = {-1, -1};

void OnStopSignal(int number)
{
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

int Fail(const TTaskStore& store, const QString& text)
{
    store.AppendLog(QStringLiteral("[error] ") + text);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return ecFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    // The arguments are read before any Qt object exists: --help starts nothing.
    bool atLogon = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--help") {
            std::fputs(usage, stdout);
            return ecDone;
        }
        if (argument != "--login") {
            std::fprintf(stderr, "vantorquill-taskd: unknown argument \"%s\"\n%s", argv[i], usage);
            return ecUsage;
        }
        atLogon = true;
    }
    QCoreApplication application(argc, argv);

    auto store = std::make_shared<TTaskStore>();
    QString error;
    // The socket's folder, which may lie outside the store, is made by Listen.
    if (!TTaskStore::MakePrivateFolder(QFileInfo(store->RunnerLockPath()).path(), &error))
        return Fail(*store, error);
    // One runner per store whatever the environment: a second one leaves,
    // telling the first of a logon, whose triggers it then fires.
    TRunnerLock lock;
    switch (lock.Acquire(store->RunnerLockPath(), &error)) {
    case TRunnerLock::lrRefused:
        return Fail(*store, error);
    case TRunnerLock::lrHeld:
        store->AppendLog(QStringLiteral("[info] Another runner serves this task store; process %1 leaves")
                             .arg(QCoreApplication::applicationPid()));
        if (atLogon)
            TRunnerServiceControl::Ask(QStringLiteral("LOGON"), 3000, store->SocketPath());
        return ecDone;
    case TRunnerLock::lrAcquired:
        break;
    }

    // A run's group is stopped by signals of its own; the runner ignores a
    // closed terminal and ends cleanly on SIGTERM and SIGINT.
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return Fail(*store, QStringLiteral("The runner cannot watch for signals."));
    QSocketNotifier stopSignals(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopSignals, &QSocketNotifier::activated, &application, [&store] {
        char number = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &number, 1);
        store->AppendLog(QStringLiteral("[info] Runner stopped by signal %1 (process %2); running tasks go on")
                             .arg(int(number))
                             .arg(QCoreApplication::applicationPid()));
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int number : {SIGTERM, SIGINT})
        ::sigaction(number, &action, nullptr);

    TPlatform platform = TPlatform::Default();
    platform.RunnerPath = QCoreApplication::applicationFilePath();
    TTaskRunner runner(store, platform);
    if (!runner.Listen(&error))
        return Fail(*store, QStringLiteral("The runner cannot listen on \"%1\": %2").arg(store->SocketPath(), error));
    store->AppendLog(QStringLiteral("[info] Runner started (process %1)").arg(QCoreApplication::applicationPid()));
    store->WarnOpenFolders();
    runner.Reload();
    runner.AdoptRuns();
    runner.StartUp(TTaskRunner::ReadBootId(), atLogon);
    runner.StartTimer();
    const int result = application.exec();
    runner.Detach();
    return result;
}
