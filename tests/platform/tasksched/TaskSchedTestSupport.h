#pragma once

// A temporary task store with a fake clock, launcher, power source and
// service control, and the event loop that the runner's processes need.
#include "platform/tasksched/UTaskService.h"
#include "platform/tasksched/UTriggerEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace tasktest {

inline QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// One application object for the whole suite.
inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "test_platform_tasksched";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)application;
}

// Spins the event loop until done() or the time is up.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class FakeClock : public tasksched::TClock {
public:
    QDateTime Current;
    QDateTime Now() const override { return Current; }
    QTimeZone Zone() const override { return QTimeZone("Europe/Berlin"); }
    // Wall time in Berlin.
    void Set(const char* wall) { Current = tasksched::TTriggerEngine::ParseBoundary(S(wall), Zone()); }
    void Advance(qint64 seconds) { Current = Current.addSecs(seconds); }
};

class FakeLauncher : public tasksched::TProcessLauncher {
public:
    QStringList Started;
    bool Succeeds = true;
    bool StartDetached(const QString& program, const QStringList& arguments, qint64* pid) override
    {
        Started << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        if (pid != nullptr)
            *pid = 4242;
        return Succeeds;
    }
};

class FakePower : public tasksched::TPowerSource {
public:
    bool Battery = false;
    bool OnBattery() const override { return Battery; }
};

class FakeService : public tasksched::TServiceControl {
public:
    bool Running = false;
    bool StartSucceeds = true;
    int Reloads = 0;
    QStringList Runs;
    QString RunAnswer = S("OK");
    bool IsRunning() override { return Running; }
    bool Start() override { return StartSucceeds; }
    bool Reload() override
    {
        ++Reloads;
        return Running;
    }
    QString Run(const QString& storedName) override
    {
        Runs << storedName;
        return Running ? RunAnswer : QString();
    }
};

class FakeInfo : public tasksched::TPlatformInfo {
public:
    bool Admin = false;
    bool IsAdmin() const override { return Admin; }
    QString UserName() const override { return S("alice"); }
    QString HostName() const override { return S("deskbox"); }
};

// A store in a temporary folder and a service over it.
class TaskStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(Dir.isValid());
        Store = std::make_shared<tasksched::TTaskStore>(Dir.path() + S("/TaskScheduler"));
        Platform.Info = Info;
        Platform.Service = Service;
        Platform.Clock = Clock;
        Platform.Launcher = Launcher;
        Platform.Power = Power;
        Platform.RunnerPath = S("/opt/vq/vantorquill-taskd");
        Context = std::make_shared<tasksched::TServiceContext>(tasksched::TServiceContext{Store, Platform});
        Clock->Set("2024-05-10T12:00:00");
    }

    // A definition that passes the registration checks.
    static tasksched::TTaskDefinitionPtr Runnable(const QString& program, const QString& arguments = QString())
    {
        auto definition = std::make_shared<tasksched::TTaskDefinition>();
        auto& exec = tasksched::As<tasksched::TExecAction>(definition->Actions().Create(tasksched::atExec));
        exec.Path = program;
        exec.Arguments = arguments;
        return definition;
    }

    tasksched::TRegisteredTaskPtr Register(const QString& name, const tasksched::TTaskDefinition& definition)
    {
        tasksched::TTaskFolder folder(Context);
        return folder.RegisterTaskDefinition(name, definition, tasksched::TTaskFolder::TASK_CREATE_OR_UPDATE, QString(),
                                             QString(), tasksched::ltInteractiveToken);
    }

    QTemporaryDir Dir;
    std::shared_ptr<tasksched::TTaskStore> Store;
    std::shared_ptr<FakeInfo> Info = std::make_shared<FakeInfo>();
    std::shared_ptr<FakeService> Service = std::make_shared<FakeService>();
    std::shared_ptr<FakeClock> Clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeLauncher> Launcher = std::make_shared<FakeLauncher>();
    std::shared_ptr<FakePower> Power = std::make_shared<FakePower>();
    tasksched::TPlatform Platform;
    tasksched::TServiceContextPtr Context;
};

}  // namespace tasktest
