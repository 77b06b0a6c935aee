// The runner with real process groups, driven by a fake clock and power
// source: results, missed runs, time limits, instance policies, restarts,
// boot and logon, and the command socket's answers.
#include "TaskSchedTestSupport.h"
#include "platform/tasksched/UTaskRunner.h"
#include "platform/tasksched/UTriggerEngine.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>

using namespace tasksched;
using namespace tasktest;

namespace {

class TaskRunner : public TaskStoreTest {
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        Runner = std::make_unique<TTaskRunner>(Store, Platform);
        Runner->KillGraceMs = 500;
    }

    void TearDown() override
    {
        // No run outlives its test.
        WaitUntil([this] { return Runner->RunningCount() == 0; }, 20000);
        Runner.reset();
    }

    // A shell script in the test folder; its lines run under "#!/bin/sh"
    // unless the text says otherwise.
    QString Script(const QString& name, const QString& text)
    {
        const QString path = Dir.path() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        file.close();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }

    // Registers a task that appends a line to "<name>.count" and then runs body.
    TTaskDefinitionPtr Counting(const QString& name, const QString& body = QString())
    {
        const QString counter = CountFile(name);
        const QString script = Script(name + S(".sh"), S("#!/bin/sh\necho run >> '%1'\n%2\n").arg(counter, body));
        return Runnable(script);
    }

    QString CountFile(const QString& name) const { return Dir.path() + QLatin1Char('/') + name + S(".count"); }
    int Count(const QString& name) const
    {
        QFile file(CountFile(name));
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
    }

    TRunState State(const QString& name) const { return Store->ReadState(tkTask20, name); }

    bool WaitDone(const QString& name)
    {
        return WaitUntil([&] { return !Runner->IsRunning(S("tasks/") + name); });
    }

    void Daily(TTaskDefinition& definition, const char* start)
    {
        definition.Triggers().Create(tkDaily)->StartBoundary = S(start);
    }

    std::unique_ptr<TTaskRunner> Runner;
};

}  // namespace

TEST_F(TaskRunner, ResultsAreTheExitCodeTheSignalOrNotStarted)
{
    struct TCase {
        const char* name;
        QString program;
        QString arguments;
        int result;
    };
    const QList<TCase> cases = {
        {"exit", Script(S("exit3.sh"), S("#!/bin/sh\nexit 3\n")), {}, 3},
        {"signal", Script(S("signal.sh"), S("#!/bin/sh\nkill -USR1 $$\nsleep 5\n")), {}, 128 + SIGUSR1},
        {"missing program", Dir.path() + S("/nothere"), {}, rrNotStarted},
        {"no shebang runs through the shell", Script(S("plain.sh"), S("test \"$1\" = 'a b' && test \"$2\" = c && exit 7\n")),
         S("\"a b\" c"), 7},
        {"arguments are never a shell's", Script(S("args.sh"), S("#!/bin/sh\ntest \"$1\" = '$(exit 9)' && exit 5\n")),
         S("\"$(exit 9)\""), 5},
    };
    for (const TCase& c : cases) {
        Register(S(c.name), *Runnable(c.program, c.arguments));
        EXPECT_EQ(Runner->RunOnDemand(S("tasks/") + S(c.name)), S("OK")) << c.name;
        ASSERT_TRUE(WaitDone(S(c.name))) << c.name;
        const TRunState state = State(S(c.name));
        EXPECT_EQ(state.LastResult, c.result) << c.name;
        EXPECT_FALSE(state.Running) << c.name;
        EXPECT_EQ(state.LastRunTime, Clock->Now()) << c.name;
    }
}

TEST_F(TaskRunner, RunsInItsFolderWithItsOutputInTheStateFolder)
{
    const QString script = Script(S("where.sh"), S("#!/bin/sh\npwd\necho to-stderr >&2\nps -o pgid= -p $$\necho $$\n"));
    const TTaskDefinitionPtr definition = Runnable(script);
    As<TExecAction>(definition->Actions().Item(1)).WorkingDirectory = S("/tmp");
    Register(S("Where"), *definition);
    Runner->RunOnDemand(S("tasks/Where"));
    ASSERT_TRUE(WaitDone(S("Where")));
    QFile output(Store->OutputFileOf(tkTask20, S("Where")));
    ASSERT_TRUE(output.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = output.readAll().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], QByteArray("/tmp"));
    EXPECT_EQ(lines[1], QByteArray("to-stderr"));
    EXPECT_EQ(lines[2].trimmed(), lines[3]);   // its own process group
    EXPECT_EQ(QFileInfo(output).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

TEST_F(TaskRunner, MissedRunsCatchUpOnceOnlyWithStartWhenAvailable)
{
    for (const bool whenAvailable : {true, false}) {
        const QString name = whenAvailable ? S("CatchUp") : S("Dropped");
        const TTaskDefinitionPtr definition = Counting(name);
        Daily(*definition, "2024-05-01T08:00:00");
        definition->Settings().StartWhenAvailable = whenAvailable;
        Register(name, *definition);
        // Last seen four days ago, three daily runs missed since.
        TRunState state;
        Clock->Set("2024-05-06T09:00:00");
        state.LastCheck = Clock->Now();
        Store->WriteState(tkTask20, name, state);
    }
    Clock->Set("2024-05-10T07:00:00");
    Runner->Reload();
    Runner->Tick();
    ASSERT_TRUE(WaitDone(S("CatchUp")));
    EXPECT_EQ(Count(S("CatchUp")), 1);
    EXPECT_EQ(Count(S("Dropped")), 0);

    // A run on time starts whatever the setting.
    Clock->Set("2024-05-10T08:00:30");
    Runner->Tick();
    ASSERT_TRUE(WaitDone(S("CatchUp")) && WaitDone(S("Dropped")));
    EXPECT_EQ(Count(S("CatchUp")), 2);
    EXPECT_EQ(Count(S("Dropped")), 1);
    Runner->Tick();   // nothing new is due
    ASSERT_TRUE(WaitDone(S("CatchUp")));
    EXPECT_EQ(Count(S("CatchUp")), 2);
}

TEST_F(TaskRunner, AMonthDownWithARunEveryMinuteCatchesUpOnce)
{
    const TTaskDefinitionPtr definition = Counting(S("Minutely"));
    auto& daily = As<TDailyTrigger>(definition->Triggers().Create(tkDaily));
    daily.StartBoundary = S("2024-01-01T00:00:00");
    daily.Repetition.Interval = S("PT1M");   // no duration: to the end boundary, of which there is none
    definition->Settings().StartWhenAvailable = true;
    Register(S("Minutely"), *definition);
    TRunState state;
    Clock->Set("2024-04-10T12:00:30");
    state.LastCheck = Clock->Now();
    Store->WriteState(tkTask20, S("Minutely"), state);
    Clock->Set("2024-05-10T12:00:30");
    Runner->Reload();
    Runner->Tick();
    ASSERT_TRUE(WaitDone(S("Minutely")));
    EXPECT_EQ(Count(S("Minutely")), 1);   // on time, 30 s after 12:00
    Clock->Advance(45);
    Runner->Tick();
    ASSERT_TRUE(WaitDone(S("Minutely")));
    EXPECT_EQ(Count(S("Minutely")), 2);
}

TEST_F(TaskRunner, TheTimeLimitStopsTheWholeGroupEvenWhenItIgnoresSigterm)
{
    const QString childFile = Dir.path() + S("/child.pid");
    const QString script = Script(S("stubborn.sh"), S("#!/bin/sh\ntrap '' TERM\nsleep 60 &\necho $! > '%1'\nwait\n").arg(childFile));
    const TTaskDefinitionPtr definition = Runnable(script);
    definition->Settings().ExecutionTimeLimit = S("PT1S");
    Register(S("Stubborn"), *definition);
    Runner->RunOnDemand(S("tasks/Stubborn"));
    ASSERT_TRUE(WaitDone(S("Stubborn")));
    EXPECT_EQ(State(S("Stubborn")).LastResult, 128 + SIGKILL);
    QFile pidFile(childFile);
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t child = pid_t(pidFile.readAll().trimmed().toInt());
    ASSERT_GT(child, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::kill(child, 0) != 0; }, 5000)) << "the child outlived its group";

    // Without hard terminate only SIGTERM is sent: a run that honours it ends.
    const TTaskDefinitionPtr soft = Runnable(Script(S("soft.sh"), S("#!/bin/sh\nsleep 60\n")));
    soft->Settings().ExecutionTimeLimit = S("PT1S");
    soft->Settings().AllowHardTerminate = false;
    Register(S("Soft"), *soft);
    Runner->RunOnDemand(S("tasks/Soft"));
    ASSERT_TRUE(WaitDone(S("Soft")));
    EXPECT_EQ(State(S("Soft")).LastResult, 128 + SIGTERM);
}

TEST_F(TaskRunner, ARepetitionThatStopsAtItsDurationEndStopsItsRun)
{
    const TTaskDefinitionPtr definition = Runnable(Script(S("long.sh"), S("#!/bin/sh\nsleep 60\n")));
    auto& daily = As<TDailyTrigger>(definition->Triggers().Create(tkDaily));
    daily.StartBoundary = S("2024-05-10T10:00:00");
    daily.Repetition = {S("PT1M"), S("PT2M"), true};
    Register(S("Window"), *definition);
    Clock->Set("2024-05-10T09:00:00");
    Runner->Reload();
    Runner->Tick();
    // The repetition at 10:01 starts late; its window closes at 10:02.
    Clock->Set("2024-05-10T10:01:58");
    Runner->Tick();
    ASSERT_TRUE(Runner->IsRunning(S("tasks/Window")));
    ASSERT_TRUE(WaitDone(S("Window")));
    EXPECT_EQ(State(S("Window")).LastResult, 128 + SIGTERM);
}

TEST_F(TaskRunner, InstancePoliciesDecideAboutASecondRun)
{
    struct TCase {
        int policy;
        const char* secondAnswer;
        int runs;
        int lastResult;
    };
    const QList<TCase> cases = {
        {ipIgnoreNew, "ERROR The task was not started; see runner.log", 1, 0},
        {ipQueue, "OK", 2, 0},
        {ipParallel, "OK", 2, 0},
        {ipStopExisting, "OK", 2, 0},
    };
    for (const TCase& c : cases) {
        const QString name = S("Policy") + QString::number(c.policy);
        const QString release = Dir.path() + QLatin1Char('/') + name + S(".release");
        // The first run waits for the release file; later runs end at once.
        const TTaskDefinitionPtr definition =
            Counting(name, S("[ \"$(wc -l < '%1')\" -gt 1 ] || while [ ! -f '%2' ]; do sleep 0.05; done")
                               .arg(CountFile(name), release));
        definition->Settings().MultipleInstances = c.policy;
        Register(name, *definition);
        EXPECT_EQ(Runner->RunOnDemand(S("tasks/") + name), S("OK"));
        ASSERT_TRUE(WaitUntil([&] { return Count(name) == 1; }));
        EXPECT_EQ(Runner->RunOnDemand(S("tasks/") + name), S(c.secondAnswer)) << name.toStdString();
        if (c.policy == ipParallel) {
            EXPECT_TRUE(WaitUntil([&] { return Count(name) == 2; })) << "both run at once";
        }
        QFile(release).open(QIODevice::WriteOnly);
        ASSERT_TRUE(WaitDone(name));
        EXPECT_EQ(Count(name), c.runs) << name.toStdString();
        EXPECT_EQ(State(name).LastResult, c.lastResult) << name.toStdString();
    }
}

TEST_F(TaskRunner, AFailedRunRestartsAsOftenAsAllowed)
{
    const TTaskDefinitionPtr definition = Counting(S("Flaky"), S("exit 1"));
    definition->Settings().RestartCount = 2;
    definition->Settings().RestartInterval = S("PT1M");
    Register(S("Flaky"), *definition);
    Runner->Reload();
    Runner->RunOnDemand(S("tasks/Flaky"));
    ASSERT_TRUE(WaitDone(S("Flaky")));
    for (int expected : {1, 2, 3, 3}) {
        Runner->Tick();   // too early for a restart
        ASSERT_TRUE(WaitDone(S("Flaky")));
        EXPECT_EQ(Count(S("Flaky")), expected);
        Clock->Advance(61);
        Runner->Tick();
        ASSERT_TRUE(WaitDone(S("Flaky")));
    }
    EXPECT_EQ(Count(S("Flaky")), 3);
}

TEST_F(TaskRunner, BatteryAndDisabledTasksDoNotStart)
{
    const TTaskDefinitionPtr definition = Counting(S("Mains"));
    Register(S("Mains"), *definition);
    Power->Battery = true;
    EXPECT_EQ(Runner->RunOnDemand(S("tasks/Mains")), S("ERROR The task was not started; see runner.log"));
    definition->Settings().DisallowStartIfOnBatteries = false;
    Register(S("Mains"), *definition);
    EXPECT_EQ(Runner->RunOnDemand(S("tasks/Mains")), S("OK"));
    ASSERT_TRUE(WaitDone(S("Mains")));
    EXPECT_EQ(Count(S("Mains")), 1);

    definition->Settings().Enabled = false;
    Register(S("Mains"), *definition);
    EXPECT_EQ(Runner->RunOnDemand(S("tasks/Mains")), S("ERROR The task was not started; see runner.log"));
    definition->Settings().Enabled = true;
    definition->Settings().AllowDemandStart = false;
    Register(S("Mains"), *definition);
    EXPECT_EQ(Runner->RunOnDemand(S("tasks/Mains")), S("ERROR The task does not allow demand start"));
    EXPECT_EQ(Count(S("Mains")), 1);
}

TEST_F(TaskRunner, BootTriggersFireOncePerBootAndLogonTriggersAtLogon)
{
    const TTaskDefinitionPtr boot = Counting(S("Boot"));
    boot->Triggers().Create(tkBoot);
    Register(S("Boot"), *boot);
    const TTaskDefinitionPtr logon = Counting(S("Logon"));
    logon->Triggers().Create(tkLogon);
    Register(S("Logon"), *logon);
    Runner->Reload();
    for (const auto& [bootId, atLogon] : QList<std::pair<const char*, bool>>{{"boot-1", false}, {"boot-1", true}, {"boot-2", false}}) {
        Runner->StartUp(S(bootId), atLogon);
        ASSERT_TRUE(WaitUntil([this] { return Runner->RunningCount() == 0; }));
    }
    EXPECT_EQ(Count(S("Boot")), 2);
    EXPECT_EQ(Count(S("Logon")), 1);
    // A later logon told to the runner that is already going.
    EXPECT_EQ(Runner->Answer(S("LOGON")), S("OK"));
    ASSERT_TRUE(WaitUntil([this] { return Runner->RunningCount() == 0; }));
    EXPECT_EQ(Count(S("Boot")), 2);
    EXPECT_EQ(Count(S("Logon")), 2);
}

TEST_F(TaskRunner, AnExpiredTaskIsDeletedWhenAsked)
{
    // "Immediately" is no delay: the task goes at the first tick that finds it expired.
    const QList<std::pair<const char*, qint64>> cases = {{"PT1H", 3600}, {"Immediately", 0}};
    for (const auto& [after, delay] : cases) {
        SCOPED_TRACE(after);
        Clock->Set("2024-05-10T12:00:00");
        const TTaskDefinitionPtr definition = Counting(S("Expiring"));
        definition->Triggers().Create(tkTime)->StartBoundary = S("2024-05-10T12:30:00");
        definition->Settings().DeleteExpiredTaskAfter = S(after);
        Register(S("Expiring"), *definition);
        Runner->Reload();
        Runner->Tick();
        Clock->Set("2024-05-10T12:30:10");
        Runner->Tick();
        ASSERT_TRUE(WaitDone(S("Expiring")));
        Runner->Tick();   // expired now, deleted after the delay
        TStoredTask task;
        if (delay > 0) {
            EXPECT_TRUE(Store->Find(tkTask20, S("Expiring"), task));
            Clock->Advance(delay);
            Runner->Tick();
        }
        EXPECT_FALSE(Store->Find(tkTask20, S("Expiring"), task));
    }
}

TEST_F(TaskRunner, TheSocketAnswersEveryLineWithOneLine)
{
    Register(S("Known"), *Counting(S("Known")));
    const QList<std::pair<const char*, const char*>> cases = {
        {"PING", "PONG"},
        {"RELOAD", "OK"},
        {"RUN tasks/nosuch", "ERROR Unknown task"},
        {"RUN ", "ERROR Malformed command"},
        {"run tasks/Known", "ERROR Malformed command"},
        {"DELETE tasks/Known", "ERROR Malformed command"},
        {"RUN tasks/known", "OK"},
    };
    for (const auto& [line, answer] : cases)
        EXPECT_EQ(Runner->Answer(S(line)), S(answer)) << line;
}
