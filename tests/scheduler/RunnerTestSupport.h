#pragma once

// The built runner under test: started through the real launcher, which keeps
// its process id so that a test stops exactly that process.
#include "platform/tasksched/UTaskPlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <functional>
#include <memory>

#include <csignal>

namespace runnertest {

class RecordingLauncher : public tasksched::TProcessLauncher {
public:
    qint64 Pid = 0;
    bool StartDetached(const QString& program, const QStringList& arguments, qint64* pid) override
    {
        const bool started = TProcessLauncher::StartDetached(program, arguments, &Pid);
        if (pid != nullptr)
            *pid = Pid;
        return started;
    }
};

// Polls done() until it holds or the time is up, keeping the event loop
// going so that windows stay alive meanwhile.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    return true;
}

// The machine's platform with the runner built beside programPath.
inline tasksched::TPlatform RunnerPlatform(const std::shared_ptr<RecordingLauncher>& launcher,
                                           const QString& programPath)
{
    tasksched::TPlatform platform = tasksched::TPlatform::Default();
    platform.Launcher = launcher;
    platform.RunnerPath = QFileInfo(programPath).absolutePath() + QStringLiteral("/vantorquill-taskd");
    platform.Service = std::make_shared<tasksched::TRunnerServiceControl>(launcher, platform.RunnerPath);
    return platform;
}

// Stops the runner that launcher started, if any; true once it has gone.
inline bool StopRunner(const RecordingLauncher& launcher)
{
    if (launcher.Pid <= 0)
        return true;
    ::kill(pid_t(launcher.Pid), SIGTERM);
    return WaitFor([&launcher] { return ::kill(pid_t(launcher.Pid), 0) != 0; }, 10000);
}

}  // namespace runnertest
