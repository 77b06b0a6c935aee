// The scheduler with the built runner: a script that the batch writer made
// imports into the test MariaDB, run on demand and from a one-time trigger,
// and the results read back through the service.
#include "base/UCommandLine.h"
#include "program/CmdLineTestRun.h"
#include "scheduler/RunnerTestSupport.h"
#include "scheduler/UTaskScheduler.h"
#include "scheduler/saUtils.h"

using namespace tasksched;
using cmdtest::S;

namespace {

using runnertest::RecordingLauncher;
using runnertest::WaitFor;

class TaskEndToEnd : public cmdtest::CmdLineTest {
protected:
    void SetUp() override
    {
        CmdLineTest::SetUp();
        Launcher = std::make_shared<RecordingLauncher>();
        Context = std::make_shared<TServiceContext>(
            TServiceContext{std::make_shared<TTaskStore>(), runnertest::RunnerPlatform(Launcher, vqtest::ProgramPath())});
    }

    void TearDown() override
    {
        if (Launcher) {
            EXPECT_TRUE(runnertest::StopRunner(*Launcher));
        }
        SetProgramArguments(QString(), {});
        CmdLineTest::TearDown();
    }

    // The import task of folder "in" into files(name, body), and the script
    // that the batch writer makes for it.
    QString ImportScript(const QString& name)
    {
        WriteFile(S("in/a.bin"), QByteArray("\x00\xff\r\n\x80", 5));
        WriteFile(S("in/b.txt"), QByteArray("Gr\xc3\xbc\xc3\x9f" "e\n"));
        const QString task = ImportIntoFilesTask(name + S(".ilt"));
        TMysqlDBLogonOption profile;
        FillTestDbProfile(profile);
        SetProgramArguments(vqtest::ProgramPath(), {});
        return WriteBatchScript(task, profile);
    }

    // Registers the new item's definition with the script as its program.
    TRegisteredTaskPtr Register(TTaskScheduler& scheduler, const QString& name, const QString& script,
                                const QString& onceAt = QString())
    {
        TTaskItem* item = scheduler.CreateNewItem(name);
        TTaskDefinition& definition = *item->TaskDefinition();
        As<TExecAction>(definition.Actions().Create(atExec)).Path = script;
        if (!onceAt.isEmpty())
            definition.Triggers().Create(tkTime)->StartBoundary = onceAt;
        return Register(scheduler, name, definition);
    }

    static TRegisteredTaskPtr Register(TTaskScheduler& scheduler, const QString& name, TTaskDefinition& definition)
    {
        return scheduler.TaskService()->GetFolder(QString())->RegisterTaskDefinition(
            name, definition, TTaskFolder::TASK_CREATE_OR_UPDATE, QString(), QString(), definition.Principal().LogonType);
    }

    // A new item whose one action makes the file mark.
    static TTaskDefinition& TouchingTask(TTaskScheduler& scheduler, const QString& name, const QString& mark)
    {
        TTaskDefinition& definition = *scheduler.CreateNewItem(name)->TaskDefinition();
        auto& touch = As<TExecAction>(definition.Actions().Create(atExec));
        touch.Path = S("/bin/touch");
        touch.Arguments = S("\"") + mark + S("\"");
        return definition;
    }

    // The task as the service reads it once its run has ended.
    TRegisteredTaskPtr Finished(TTaskScheduler& scheduler, const QString& name, int timeoutMs)
    {
        TRegisteredTaskPtr task;
        WaitFor([&] {
            task = scheduler.TaskService()->GetFolder(QString())->GetTask(name);
            return task->LastRunTime().isValid() && task->State() != tasksched::tsRunning;
        }, timeoutMs);
        return task;
    }

    std::shared_ptr<RecordingLauncher> Launcher;
    TServiceContextPtr Context;
};

}  // namespace

TEST_F(TaskEndToEnd, TheBuiltRunnerRunsAWrittenScriptOnDemandAndOnTime)
{
    Exec(S("CREATE TABLE files (name VARCHAR(100) PRIMARY KEY, body LONGBLOB)"));
    const QString script = ImportScript(S("import"));

    TTaskScheduler scheduler(nullptr, Context);
    ASSERT_TRUE(scheduler.StartScheduler());
    ASSERT_GT(Launcher->Pid, 0) << "the runner was not started";
    ASSERT_TRUE(WaitFor([this] { return Context->Platform.Service->IsRunning(); }, 10000));
    scheduler.SetActive(true);

    // On demand.
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    Register(scheduler, S("Import now"), script)->Run();
    TRegisteredTaskPtr task = Finished(scheduler, S("Import now"), 60000);
    ASSERT_TRUE(task->LastRunTime().isValid());
    EXPECT_EQ(task->LastTaskResult(), 0);
    EXPECT_GE(task->LastRunTime(), before);
    EXPECT_EQ(Rows(S("SELECT name, HEX(body) FROM files ORDER BY name")),
              QStringList({S("a.bin|00FF0D0A80"), S("b.txt|4772C3BCC39F650A")}));
    // The task item reads the same run from the runner's state.
    scheduler.Refresh();
    TTaskItem* now = scheduler.ActivateTask(S("Import now"));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->ExitCode(), 0u);
    EXPECT_DOUBLE_EQ(now->MostRecentRunTime(), DateTimeToSerial(task->LastRunTime()));
    EXPECT_GT(now->MostRecentRunTime(), DateTimeToSerial(before));
    EXPECT_LT(now->NextRunTime(), 1.0);
    EXPECT_EQ(now->Status(), ts2Ready);

    // From a one-time trigger a few seconds ahead, in local wall time.
    Exec(S("DELETE FROM files"));
    const QDateTime at = QDateTime::currentDateTime().addSecs(4);
    Register(scheduler, S("Import later"), script, at.toString(S("yyyy-MM-ddThh:mm:ss")));
    scheduler.Refresh();
    TTaskItem* later = scheduler.ActivateTask(S("Import later"));
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->RegisteredTask()->NextRunTime().toSecsSinceEpoch(), at.toSecsSinceEpoch());
    const double second = 1.0 / 86400;
    EXPECT_NEAR(later->NextRunTime(), DateTimeToSerial(at), second);
    EXPECT_LT(later->MostRecentRunTime(), 1.0);
    task = Finished(scheduler, S("Import later"), 60000);
    EXPECT_EQ(task->LastTaskResult(), 0);
    EXPECT_GE(task->LastRunTime().toSecsSinceEpoch(), at.toSecsSinceEpoch());
    EXPECT_LE(task->LastRunTime().toSecsSinceEpoch(), at.toSecsSinceEpoch() + 5);
    EXPECT_EQ(Rows(S("SELECT name FROM files ORDER BY name")), QStringList({S("a.bin"), S("b.txt")}));
    EXPECT_FALSE(task->NextRunTime().isValid());
    EXPECT_EQ(later->ExitCode(), 0u);
    EXPECT_NEAR(later->MostRecentRunTime(), DateTimeToSerial(at), 6 * second);
    EXPECT_LT(later->NextRunTime(), 1.0);
    EXPECT_EQ(later->Status(), ts2Ready);
}

TEST_F(TaskEndToEnd, AScriptWhoseTaskFileIsMissingReadsBackOne)
{
    const QString script = ImportScript(S("gone"));
    QFile::remove(Path(S("gone.ilt")));
    TTaskScheduler scheduler(nullptr, Context);
    scheduler.SetActive(true);
    ASSERT_TRUE(WaitFor([this] { return Context->Platform.Service->IsRunning(); }, 10000));
    // Made, saved and run through the task item.
    TTaskItem* item = scheduler.CreateNewItem(S("Gone"));
    item->SetApplicationName(script);
    item->Deactivate(true);
    item->Run();
    const TRegisteredTaskPtr task = Finished(scheduler, S("Gone"), 60000);
    EXPECT_EQ(task->LastTaskResult(), 1);
    EXPECT_GT(DateTimeToSerial(task->LastRunTime()), 1.0);
    EXPECT_EQ(item->ExitCode(), 1u);
    EXPECT_DOUBLE_EQ(item->MostRecentRunTime(), DateTimeToSerial(task->LastRunTime()));
    EXPECT_EQ(item->Status(), ts2Ready);
}

// A runner that a loaded machine starts late is waited for: the first
// request after the start reaches it instead of being refused.
TEST_F(TaskEndToEnd, TheFirstRunAfterStartingTheRunnerReachesIt)
{
    class SlowLauncher : public RecordingLauncher {
    public:
        bool StartDetached(const QString& program, const QStringList& arguments, qint64* pid) override
        {
            return RecordingLauncher::StartDetached(S("/bin/sh"), QStringList{S("-c"), S("sleep 1; exec \"$0\" \"$@\""), program} + arguments, pid);
        }
    };
    auto slow = std::make_shared<SlowLauncher>();
    Launcher = slow;
    Context->Platform.Launcher = slow;
    Context->Platform.Service = std::make_shared<TRunnerServiceControl>(slow, Context->Platform.RunnerPath);

    TTaskScheduler scheduler(nullptr, Context);
    scheduler.SetActive(true);
    const QString mark = Path(S("ran"));
    TTaskDefinition& definition = TouchingTask(scheduler, S("Touch"), mark);
    EXPECT_NO_THROW(Register(scheduler, S("Touch"), definition)->Run());
    EXPECT_TRUE(WaitFor([&mark] { return QFileInfo::exists(mark); }, 10000)) << "the run did not reach the runner";
}

TEST_F(TaskEndToEnd, OneRunnerPerUserOnAnOwnerOnlySocket)
{
    TTaskScheduler scheduler(nullptr, Context);
    scheduler.SetActive(true);
    ASSERT_TRUE(WaitFor([this] { return Context->Platform.Service->IsRunning(); }, 10000));
    const vqtest::ProcessResult second =
        vqtest::RunProcess(Context->Platform.RunnerPath, {}, QProcessEnvironment::systemEnvironment(), 10000);
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(Context->Platform.Service->IsRunning());

    // A second runner started at a logon leaves too, and the first fires the
    // logon triggers.
    const QString mark = Path(S("logged-on"));
    TTaskDefinition& definition = TouchingTask(scheduler, S("At logon"), mark);
    definition.Triggers().Create(tkLogon);
    Register(scheduler, S("At logon"), definition);
    const vqtest::ProcessResult atLogonRun = vqtest::RunProcess(
        Context->Platform.RunnerPath, {S("--login")}, QProcessEnvironment::systemEnvironment(), 10000);
    EXPECT_TRUE(atLogonRun.finished);
    EXPECT_EQ(atLogonRun.exitCode, 0);
    EXPECT_TRUE(WaitFor([&mark] { return QFileInfo::exists(mark); }, 10000)) << "the logon trigger did not fire";

    const QFileInfo socket(TRunnerServiceControl::SocketPath());
    EXPECT_EQ(socket.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                                      | QFileDevice::WriteOther),
              0);
    EXPECT_EQ(TRunnerServiceControl::Ask(S("RUN tasks/nosuch")), S("ERROR Unknown task"));
    EXPECT_EQ(TRunnerServiceControl::Ask(S("HELLO")), S("ERROR Malformed command"));
    EXPECT_EQ(TRunnerServiceControl::Ask(S("PING")), S("PONG"));
}
