// The built runner as its own process on a private store: killed and
// restarted during a run, without a runtime folder, beside a second runner,
// against planted locks and task files, and idle.
#include "TaskSchedTestSupport.h"
#include "platform/tasksched/UTaskRunner.h"
#include "support/VqTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace tasksched;
using namespace tasktest;

namespace {

constexpr uid_t nobodyUid = 65534;
const char notStarted[] = "ERROR The task was not started; see runner.log";

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Taskd : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(Dir.isValid());
        QDir().mkpath(Path(S("tmp")));
        Store = std::make_unique<TTaskStore>(Path(S("data/Corvanta/TaskScheduler")));
        Env = QProcessEnvironment::systemEnvironment();
        Env.insert(S("XDG_DATA_HOME"), Path(S("data")));
        Env.insert(S("XDG_RUNTIME_DIR"), Path(S("runtime-1")));
        Env.insert(S("TMPDIR"), Path(S("tmp")));
    }

    void TearDown() override
    {
        for (QProcess* runner : Runners) {
            if (runner->state() != QProcess::NotRunning) {
                ::kill(pid_t(runner->processId()), SIGTERM);
                runner->waitForFinished(10000);
            }
            delete runner;
        }
        QFile(Path(S("release"))).open(QIODevice::WriteOnly);
        for (const qint64 group : Groups)
            ::kill(pid_t(-group), SIGKILL);
    }

    QString Path(const QString& relative) const { return Dir.path() + QLatin1Char('/') + relative; }
    QString Runner() const { return QFileInfo(vqtest::ProgramPath()).absolutePath() + S("/vantorquill-taskd"); }

    QProcess* Start(const QProcessEnvironment& env, const QStringList& arguments = {})
    {
        auto* runner = new QProcess;
        Runners << runner;
        runner->setProcessEnvironment(env);
        runner->setProcessChannelMode(QProcess::SeparateChannels);
        runner->setChildProcessModifier([] { ::umask(0); });
        runner->start(Runner(), arguments);
        EXPECT_TRUE(runner->waitForStarted(10000));
        return runner;
    }
    QProcess* StartAnswering(const QProcessEnvironment& env)
    {
        QProcess* runner = Start(env);
        EXPECT_TRUE(WaitUntil([this] { return Ask(S("PING")) == S("PONG"); }, 10000)) << "the runner does not answer";
        return runner;
    }
    QString Ask(const QString& command) const { return TRunnerServiceControl::Ask(command, 3000, Store->SocketPath()); }

    // A task whose script appends its pid to "<name>.count" and, unless
    // told otherwise, waits for the file "release".
    void Save(const QString& name, const QString& body = S("while [ ! -f '%1' ]; do sleep 0.05; done"),
              const std::function<void(TTaskDefinition&)>& change = {})
    {
        const QString script = Path(name + S(".sh"));
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(S("#!/bin/sh\necho $$ >> '%1'\n%2\n").arg(Path(name + S(".count")), QString(body).replace(S("%1"), Path(S("release")))).toUtf8());
        file.close();
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        auto definition = std::make_shared<TTaskDefinition>();
        As<TExecAction>(definition->Actions().Create(atExec)).Path = script;
        if (change)
            change(*definition);
        Store->Save(TStoredTask{tkTask20, name, definition, {}});
    }
    QList<qint64> Pids(const QString& name) const
    {
        QList<qint64> pids;
        for (const QByteArray& line : ReadAll(Path(name + S(".count"))).split('\n')) {
            if (!line.isEmpty())
                pids << line.toLongLong();
        }
        return pids;
    }
    TRunState State(const QString& name) const { return TTaskStore(Store->Root()).ReadState(tkTask20, name); }
    QString Log() const { return QString::fromUtf8(ReadAll(Store->RunnerLog())); }
    bool Ended(QProcess* runner, int exitCode) const
    {
        if (runner->state() != QProcess::NotRunning && !runner->waitForFinished(10000))
            return false;
        return runner->exitStatus() == QProcess::NormalExit && runner->exitCode() == exitCode;
    }

    QTemporaryDir Dir;
    std::unique_ptr<TTaskStore> Store;
    QProcessEnvironment Env;
    QList<QProcess*> Runners;
    QList<qint64> Groups;   // task runs that a test must not leave behind
};

}  // namespace

TEST_F(Taskd, AStoppedRunnerLeavesAnHonestStateAndTheNextOneRunsNoSecondCopy)
{
    Save(S("Long"));
    // Killed during a run: the run goes on, and the next runner adopts it.
    QProcess* first = StartAnswering(Env);
    EXPECT_EQ(Ask(S("RUN tasks/Long")), S("OK"));
    ASSERT_TRUE(WaitUntil([this] { return Pids(S("Long")).size() == 1; }));
    Groups << Pids(S("Long"));
    ::kill(pid_t(first->processId()), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_TRUE(State(S("Long")).Running);

    QProcess* second = StartAnswering(Env);
    EXPECT_EQ(Ask(S("RUN tasks/Long")), S(notStarted));
    EXPECT_TRUE(State(S("Long")).Running);
    QFile(Path(S("release"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(WaitUntil([this] { return !State(S("Long")).Running; }));
    EXPECT_EQ(Pids(S("Long")).size(), 1);
    EXPECT_EQ(State(S("Long")).LastResult, rrUnknown);
    EXPECT_TRUE(Log().contains(S("tasks/Long: the run of process %1 that an earlier runner started has ended")
                                   .arg(Pids(S("Long")).first())));

    // SIGTERM ends the runner cleanly; its run goes on and its state holds.
    QFile::remove(Path(S("release")));
    EXPECT_EQ(Ask(S("RUN tasks/Long")), S("OK"));
    ASSERT_TRUE(WaitUntil([this] { return Pids(S("Long")).size() == 2; }));
    const qint64 run = Pids(S("Long")).last();
    Groups << run;
    ASSERT_TRUE(WaitUntil([&] { return State(S("Long")).Pid == run; }));
    ::kill(pid_t(second->processId()), SIGTERM);
    EXPECT_TRUE(Ended(second, 0));
    EXPECT_TRUE(Log().contains(S("Runner stopped by signal %1").arg(SIGTERM)));
    EXPECT_EQ(::kill(pid_t(run), 0), 0) << "the run ended with the runner";
    EXPECT_TRUE(State(S("Long")).Running);

    // A run that ended while no runner ran is marked ended, result unknown.
    ::kill(pid_t(-run), SIGKILL);
    QProcess* third = StartAnswering(Env);
    EXPECT_FALSE(State(S("Long")).Running);
    EXPECT_EQ(State(S("Long")).LastResult, rrUnknown);
    EXPECT_TRUE(Log().contains(S("tasks/Long: The runner stopped while the task ran.")));
    QFile(Path(S("release"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(Ask(S("RUN tasks/Long")), S("OK"));
    ASSERT_TRUE(WaitUntil([this] { return Pids(S("Long")).size() == 3 && !State(S("Long")).Running; }));
    EXPECT_EQ(State(S("Long")).LastResult, 0);
    (void)third;
}

TEST_F(Taskd, OneRunnerPerStoreWhateverTheRuntimeFolderAndNothingInTmp)
{
    // Two runners at once, one without a runtime folder: one serves, the
    // other leaves with a line in the log.
    QProcessEnvironment withoutRuntime = Env;
    withoutRuntime.remove(S("XDG_RUNTIME_DIR"));
    QProcessEnvironment otherRuntime = Env;
    otherRuntime.insert(S("XDG_RUNTIME_DIR"), Path(S("runtime-2")));
    QProcess* a = Start(withoutRuntime);
    QProcess* b = Start(otherRuntime);
    ASSERT_TRUE(WaitUntil([&] { return a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning; }, 10000));
    QProcess* left = a->state() == QProcess::NotRunning ? a : b;
    EXPECT_TRUE(Ended(left, 0)) << left->exitCode() << left->readAllStandardError().toStdString();
    EXPECT_EQ(Log().count(S("Another runner serves this task store")), 1);
    EXPECT_EQ(Ask(S("PING")), S("PONG"));
    EXPECT_TRUE(Store->SocketPath().startsWith(Store->Root() + QLatin1Char('/')));
    EXPECT_EQ(QDir(Path(S("tmp"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    for (const char* folder : {"runtime-1", "runtime-2"})
        EXPECT_FALSE(QFileInfo::exists(Path(S(folder)))) << folder;

    // The program, with yet another runtime folder, finds the runner.
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_DATA_HOME", QFile::encodeName(Path(S("data"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(Path(S("runtime-3"))));
    auto launcher = std::make_shared<FakeLauncher>();
    EXPECT_TRUE(TRunnerServiceControl(launcher, Runner()).IsRunning());
    qputenv("XDG_DATA_HOME", savedData);
    savedRuntime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", savedRuntime);

    // A one-time run falls due: it runs once.
    const QDateTime at = QDateTime::currentDateTime().addSecs(2);
    Save(S("Once"), S("true"), [&at](TTaskDefinition& definition) {
        definition.Triggers().Create(tkTime)->StartBoundary = at.toString(S("yyyy-MM-ddThh:mm:ss"));
    });
    EXPECT_EQ(Ask(S("RELOAD")), S("OK"));
    ASSERT_TRUE(WaitUntil([this] { return State(S("Once")).HasRun && !State(S("Once")).Running; }, 15000));
    // A second runner started now leaves too.
    EXPECT_TRUE(Ended(Start(otherRuntime), 0));
    QThread::msleep(1500);
    EXPECT_EQ(Pids(S("Once")).size(), 1);
}

TEST_F(Taskd, ALockOrSocketOfAnotherUserIsAnError)
{
    const QList<std::pair<QString, const char*>> cases = {
        {Store->RunnerLockPath(), "it is not the user's own"},
        {Store->SocketPath(), "is not the user's own"},
        {Store->RunFolder(), "it is not the user's own"},
    };
    for (const auto& [planted, error] : cases) {
        SCOPED_TRACE(planted.toStdString());
        QDir(Store->Root()).removeRecursively();
        ASSERT_TRUE(TTaskStore::MakePrivateFolder(Store->RunFolder(), nullptr));
        if (planted == Store->RunFolder())
            ASSERT_TRUE(QDir(planted).removeRecursively() && QDir().mkpath(planted));
        else
            ASSERT_TRUE(QFile(planted).open(QIODevice::WriteOnly));
        ASSERT_EQ(::chown(QFile::encodeName(planted).constData(), nobodyUid, nobodyUid), 0);
        QProcess* runner = Start(Env);
        EXPECT_TRUE(Ended(runner, 1));
        EXPECT_TRUE(runner->readAllStandardError().contains(error));
        EXPECT_TRUE(Log().contains(S(error))) << Log().toStdString();
        EXPECT_NE(Ask(S("PING")), S("PONG"));
    }
}

TEST_F(Taskd, OnlyTheUsersOwnSmallWellNamedTaskFilesRun)
{
    Save(S("Normal"), S("true"));
    // Valid task texts, each planted one way.
    auto text = [this](const QString& name) {
        auto definition = std::make_shared<TTaskDefinition>();
        auto& touch = As<TExecAction>(definition->Actions().Create(atExec));
        touch.Path = S("/bin/touch");
        touch.Arguments = Path(S("planted"));
        return QJsonDocument(QJsonObject{{"format", 1}, {"name", name}, {"definition", definition->ToJson()}}).toJson();
    };
    const QString tasks = Store->Folder(tkTask20);
    auto plant = [&](const QString& file, const QByteArray& bytes, QFileDevice::Permissions permissions) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        QFile::setPermissions(file, permissions);
    };
    const QFileDevice::Permissions own = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    plant(Path(S("elsewhere.json")), text(S("Linked")), own);
    ASSERT_TRUE(QFile::link(Path(S("elsewhere.json")), tasks + S("/Linked.json")));
    plant(tasks + S("/Foreign.json"), text(S("Foreign")), own);
    ASSERT_EQ(::chown(QFile::encodeName(tasks + S("/Foreign.json")).constData(), nobodyUid, nobodyUid), 0);
    plant(tasks + S("/Shared.json"), text(S("Shared")), own | QFileDevice::WriteGroup | QFileDevice::ReadGroup);
    const QString forged = S("Forged\n[2024-01-01 00:00:00:000] [info] forged line");
    plant(Store->FileOf(tkTask20, forged), text(forged), own);
    QFile huge(tasks + S("/Huge.json"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(50 << 20));
    huge.close();
    QFile::setPermissions(huge.fileName(), own);
    ASSERT_TRUE(QDir().mkpath(Store->Folder(tkJob10)));
    ::chmod(QFile::encodeName(Store->Folder(tkJob10)).constData(), 0733);

    QProcess* runner = StartAnswering(Env);
    for (const char* name : {"Linked", "Foreign", "Shared", "Huge"})
        EXPECT_EQ(Ask(S("RUN tasks/") + S(name)), S("ERROR Unknown task")) << name;
    EXPECT_EQ(Ask(S("RUN tasks/Normal")), S("OK"));
    ASSERT_TRUE(WaitUntil([this] { return State(S("Normal")).HasRun && !State(S("Normal")).Running; }));
    EXPECT_EQ(Pids(S("Normal")).size(), 1);

    const QString log = Log();
    for (const auto& [file, why] : QList<std::pair<const char*, const char*>>{
             {"Linked", "it is a symbolic link"},
             {"Foreign", "it is not owned by the user"},
             {"Shared", "it is writable by group or others"},
             {"Huge", "it is larger than 1048576 bytes"},
             {"Forged%0A%5B2024-01-01%2000%3A00%3A00%3A000%5D%20%5Binfo%5D%20forged%20line",
              "The task name \"Forged\\n[2024-01-01"}})
        EXPECT_EQ(log.count(S("%1.json\" is skipped: %2").arg(S(file), S(why))), 1) << file << "\n" << log.toStdString();
    EXPECT_EQ(log.count(S("The folder \"%1\" of the task store is writable by group or others.").arg(Store->Folder(tkJob10))), 1);
    for (const QString& line : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        EXPECT_FALSE(line.startsWith(S("[2024-01-01"))) << "a forged line: " << line.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(S("planted"))));

    // The huge file was never read whole.
    const QString status = QString::fromLatin1(ReadAll(S("/proc/%1/status").arg(runner->processId())));
    const qint64 peakKiB = status.section(S("VmHWM:"), 1).trimmed().section(QLatin1Char(' '), 0, 0).toLongLong();
    EXPECT_GT(peakKiB, 0);
    EXPECT_LT(peakKiB, 100 * 1024);

    // Folders the runner makes are owner-only whatever the umask (000 here).
    for (const QString& folder : {Store->StateFolder(), Store->RunFolder()}) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder.toStdString();
    }
}

TEST_F(Taskd, IdleLooksAtTheStoreWriteNoStateFile)
{
    for (int i = 0; i < 50; ++i) {
        Save(S("Daily%1").arg(i), S("true"), [](TTaskDefinition& definition) {
            // Due once a day, never within this test.
            const QTime at = QTime::currentTime().addSecs(6 * 3600);
            definition.Triggers().Create(tkDaily)->StartBoundary = S("2024-01-01T") + at.toString(S("hh:mm:ss"));
        });
    }
    StartAnswering(Env);
    EXPECT_EQ(Ask(S("RELOAD")), S("OK"));
    auto stamps = [this] {
        QStringList list;
        for (const QFileInfo& state : QDir(Store->StateFolder()).entryInfoList({S("task-*.json")}, QDir::Files, QDir::Name)) {
            struct stat info {};
            ::stat(QFile::encodeName(state.filePath()).constData(), &info);
            list << S("%1 %2 %3.%4").arg(state.fileName()).arg(info.st_ino).arg(info.st_mtim.tv_sec).arg(info.st_mtim.tv_nsec);
        }
        return list;
    };
    const QStringList before = stamps();
    EXPECT_EQ(before.size(), 50);
    // What the minute's wake-up does, three times over some seconds.
    for (int i = 0; i < 3; ++i) {
        QThread::msleep(1100);
        EXPECT_EQ(Ask(S("RELOAD")), S("OK"));
    }
    EXPECT_EQ(stamps(), before);
}

TEST_F(Taskd, HelpTellsWhatItIsAndAnUnknownArgumentIsRefused)
{
    const vqtest::ProcessResult help = vqtest::RunProcess(Runner(), {S("--help")}, Env, 10000);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--login"));
    EXPECT_TRUE(help.out.contains("task runner"));
    const vqtest::ProcessResult unknown = vqtest::RunProcess(Runner(), {S("--halp")}, Env, 10000);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("--halp"));
    EXPECT_FALSE(QFileInfo::exists(Store->Root())) << "a runner was started";
}
