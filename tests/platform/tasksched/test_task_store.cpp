// The store: fields, names, damaged files and two writers at once; the
// registration rules and the 2.0 and 1.0 operations over it.
#include "TaskSchedTestSupport.h"
#include "platform/tasksched/UWorkItem.h"
#include "support/VqTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>

using namespace tasksched;
using namespace tasktest;

namespace {

// A definition with every field away from its default and every kind of
// action and trigger.
TTaskDefinitionPtr FullDefinition()
{
    auto d = std::make_shared<TTaskDefinition>();
    d->RegistrationInfo() = {S("what it does"), S("alice"), S("2024-05-10T12:00:00")};
    d->Principal() = {S("alice"), ltPassword, rlHighest};
    TTaskSettings& s = d->Settings();
    s.AllowDemandStart = false;
    s.AllowHardTerminate = false;
    s.DisallowStartIfOnBatteries = false;
    s.StopIfGoingOnBatteries = false;
    s.Enabled = false;
    s.Hidden = true;
    s.RunOnlyIfIdle = true;
    s.RunOnlyIfNetworkAvailable = true;
    s.StartWhenAvailable = true;
    s.WakeToRun = true;
    s.ExecutionTimeLimit = S("PT2H");
    s.RestartInterval = S("PT5M");
    s.RestartCount = 3;
    s.DeleteExpiredTaskAfter = S("P30D");
    s.MultipleInstances = ipQueue;
    s.Priority = 4;
    s.IdleSettings = {S("PT20M"), S("PT2H"), false, true};
    d->Data = S("ünïcode data");
    auto& exec = As<TExecAction>(d->Actions().Create(atExec));
    exec.Path = S("/opt/x/run me.sh");
    exec.Arguments = S("a \"b c\"");
    exec.WorkingDirectory = S("/tmp");
    auto& com = As<TComHandlerAction>(d->Actions().Create(atComHandler));
    com.ClassId = S("{1}");
    com.Data = S("d");
    auto& mail = As<TEmailAction>(d->Actions().Create(atEmail));
    mail = TEmailAction();
    mail.To = S("to");
    mail.From = S("from");
    mail.Subject = S("subject");
    mail.Body = S("body");
    mail.Server = S("server");
    auto& message = As<TShowMessageAction>(d->Actions().Create(atShowMessage));
    message.Title = S("title");
    message.MessageBody = S("text");
    for (const int kind : {tkEvent, tkTime, tkDaily, tkWeekly, tkMonthly, tkMonthlyDOW, tkIdle, tkRegistration, tkBoot,
                           tkLogon, tkSessionStateChange}) {
        const std::shared_ptr<TTrigger> t = d->Triggers().Create(kind);
        t->Id = QString::number(kind);
        t->StartBoundary = S("2024-05-10T08:30:00");
        t->EndBoundary = S("2025-05-10T00:00:00");
        t->Enabled = false;
        t->ExecutionTimeLimit = S("PT1H");
        t->Repetition = {S("PT15M"), S("PT2H"), true};
    }
    auto& triggers = d->Triggers();
    As<TEventTrigger>(triggers.Item(1)).Subscription = S("<query/>");
    As<TTimeTrigger>(triggers.Item(2)).RandomDelay = S("PT1M");
    As<TDailyTrigger>(triggers.Item(3)).DaysInterval = 3;
    auto& weekly = As<TWeeklyTrigger>(triggers.Item(4));
    weekly.DaysOfWeek = 0x22;
    weekly.WeeksInterval = 2;
    auto& monthly = As<TMonthlyTrigger>(triggers.Item(5));
    monthly.DaysOfMonth = 0x40000001;
    monthly.MonthsOfYear = 0x841;
    monthly.RunOnLastDayOfMonth = true;
    auto& dow = As<TMonthlyDOWTrigger>(triggers.Item(6));
    dow.DaysOfWeek = 0x20;
    dow.WeeksOfMonth = 0x18;
    dow.MonthsOfYear = 0xFFF;
    dow.RunOnLastWeekOfMonth = true;
    As<TRegistrationTrigger>(triggers.Item(8)).Delay = S("PT30S");
    As<TBootTrigger>(triggers.Item(9)).Delay = S("PT1M");
    auto& logon = As<TLogonTrigger>(triggers.Item(10));
    logon.Delay = S("PT2M");
    logon.UserId = S("alice");
    auto& session = As<TSessionStateChangeTrigger>(triggers.Item(11));
    session.StateChange = 7;
    session.UserId = S("alice");
    return d;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TaskStore : public TaskStoreTest {};

TEST_F(TaskStore, EveryFieldRoundTripsThroughAnOwnerOnlyFile)
{
    const TTaskDefinitionPtr definition = FullDefinition();
    Store->Save(TStoredTask{tkTask20, S("Full"), definition, {}});
    TStoredTask read;
    ASSERT_TRUE(Store->Find(tkTask20, S("full"), read));
    EXPECT_EQ(read.Name, S("Full"));
    EXPECT_EQ(QJsonDocument(read.Definition->ToJson()).toJson(), QJsonDocument(definition->ToJson()).toJson());
    // The clone is as deep as the file.
    EXPECT_EQ(QJsonDocument(definition->Clone()->ToJson()).toJson(), QJsonDocument(definition->ToJson()).toJson());

    const QString file = Store->FileOf(tkTask20, S("Full"));
    EXPECT_EQ(QFile::permissions(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                            | QFileDevice::WriteUser);
    EXPECT_EQ(QJsonDocument::fromJson(ReadAll(file)).object().value(S("format")).toInt(), 1);
}

TEST_F(TaskStore, NamesAreCheckedEncodedAndUniqueIgnoringCase)
{
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "tab\there", "line\nbreak"}) {
        EXPECT_THROW(Store->Save(TStoredTask{tkTask20, S(bad), Runnable(S("/bin/true")), {}}), EStoreError) << bad;
    }
    EXPECT_EQ(Store->Save(TStoredTask{tkTask20, S("Backup 100% ünï"), Runnable(S("/bin/true")), {}}), S("Backup 100% ünï"));
    EXPECT_TRUE(QFileInfo::exists(Store->Folder(tkTask20) + S("/Backup%20100%25%20%C3%BCn%C3%AF.json")));

    Store->Save(TStoredTask{tkTask20, S("Backup"), Runnable(S("/bin/true")), {}});
    EXPECT_EQ(Store->Save(TStoredTask{tkTask20, S("BACKUP"), Runnable(S("/bin/false")), {}}), S("Backup"));
    const QList<TStoredTask> tasks = Store->List(tkTask20);
    ASSERT_EQ(tasks.size(), 2);
    TStoredTask backup;
    ASSERT_TRUE(Store->Find(tkTask20, S("backup"), backup));
    EXPECT_EQ(As<TExecAction>(backup.Definition->Actions().Item(1)).Path, S("/bin/false"));
}

TEST_F(TaskStore, ADamagedOrNewerFileIsSkippedWithAWarningAndMovedAsideWhenRegisteredAgain)
{
    Store->Save(TStoredTask{tkTask20, S("Good"), Runnable(S("/bin/true")), {}});
    QDir().mkpath(Store->Folder(tkTask20));
    const QList<std::pair<const char*, QByteArray>> damaged = {
        {"Broken", "{ not json"},
        {"Newer", R"({"format": 2, "name": "Newer", "definition": {}})"},
        {"WrongType", R"({"format": 1, "name": "WrongType", "definition": {"settings": {"enabled": "yes"}}})"},
        {"Renamed", R"({"format": 1, "name": "Other", "definition": {}})"}};
    for (const auto& [name, bytes] : damaged) {
        QFile file(Store->FileOf(tkTask20, S(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const QList<TStoredTask> tasks = Store->List(tkTask20);
    ASSERT_EQ(tasks.size(), 1);
    EXPECT_EQ(tasks.first().Name, S("Good"));
    const QString log = QString::fromUtf8(ReadAll(Store->RunnerLog()));
    for (const auto& [name, bytes] : damaged)
        EXPECT_EQ(log.count(S("%1.json\" is skipped").arg(S(name))), 1) << name;

    Store->Save(TStoredTask{tkTask20, S("Broken"), Runnable(S("/bin/true")), {}});
    TStoredTask broken;
    EXPECT_TRUE(Store->Find(tkTask20, S("Broken"), broken));
    const QStringList aside = QDir(Store->Folder(tkTask20)).entryList({S("Broken.json.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(ReadAll(Store->Folder(tkTask20) + QLatin1Char('/') + aside.first()), QByteArray("{ not json"));
}

// The child side of the next test: registers its share of tasks.
TEST_F(TaskStore, ChildRegistersItsShare)
{
    const QString root = qEnvironmentVariable("VQ_TASKSTORE_CHILD_ROOT");
    if (root.isEmpty())
        return;   // only as the child of TwoProcessesRegisterAtOnce
    TTaskStore store(root);
    const QString prefix = qEnvironmentVariable("VQ_TASKSTORE_CHILD_PREFIX");
    for (int i = 0; i < 25; ++i) {
        store.Save(TStoredTask{tkTask20, prefix + QString::number(i), Runnable(S("/bin/true")), {}});
        store.Save(TStoredTask{tkTask20, S("Shared"), Runnable(prefix), {}});
    }
}

TEST_F(TaskStore, TwoProcessesRegisterAtOnce)
{
    QList<QProcess*> children;
    for (const char* prefix : {"a", "b"}) {
        auto* child = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(S("VQ_TASKSTORE_CHILD_ROOT"), Store->Root());
        env.insert(S("VQ_TASKSTORE_CHILD_PREFIX"), S(prefix));
        child->setProcessEnvironment(env);
        child->start(QCoreApplication::applicationFilePath(), {S("--gtest_filter=TaskStore.ChildRegistersItsShare")});
        children << child;
    }
    for (QProcess* child : children) {
        ASSERT_TRUE(child->waitForFinished(60000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().toStdString();
        delete child;
    }
    const QList<TStoredTask> tasks = Store->List(tkTask20);
    EXPECT_EQ(tasks.size(), 51);
    EXPECT_EQ(QDir(Store->Folder(tkTask20)).entryList(QDir::Files).size(), 51);   // no leftovers
    EXPECT_FALSE(QFileInfo::exists(Store->RunnerLog()));                           // nothing damaged
}

class TaskService : public TaskStoreTest {};

TEST_F(TaskService, RegistrationChecksRefuseWhatCannotRun)
{
    struct TCase {
        const char* name;
        std::function<void(TTaskDefinition&)> change;
        QString user;
        const char* error;
    };
    const QList<TCase> cases = {
        {"no action", [](TTaskDefinition& d) { d.Actions().Clear(); }, {}, "The task has no program to run."},
        {"only a message", [](TTaskDefinition& d) { d.Actions().Clear(); d.Actions().Create(atShowMessage); }, {},
         "The task has no program to run."},
        {"an empty program path", [](TTaskDefinition& d) { d.Actions().Create(atExec); }, {},
         "A program action has no program path."},
        {"a start that does not parse",
         [](TTaskDefinition& d) { d.Triggers().Create(tkDaily)->StartBoundary = S("2024-13-01T00:00:00"); }, {},
         "The trigger 1 has a start or end boundary that is not a date and time."},
        {"a calendar trigger without start", [](TTaskDefinition& d) { d.Triggers().Create(tkDaily); }, {},
         "The trigger 1 has no start boundary."},
        {"a weekly trigger without days",
         [](TTaskDefinition& d) { d.Triggers().Create(tkWeekly)->StartBoundary = S("2024-01-01T00:00:00"); }, {},
         "The trigger 1 has a value out of range."},
        {"month bits beyond December",
         [](TTaskDefinition& d) {
             auto& m = As<TMonthlyTrigger>(d.Triggers().Create(tkMonthly));
             m.StartBoundary = S("2024-01-01T00:00:00");
             m.DaysOfMonth = 1;
             m.MonthsOfYear = 0x1000;
         },
         {}, "The trigger 1 has a value out of range."},
        {"a bad time limit", [](TTaskDefinition& d) { d.Settings().ExecutionTimeLimit = S("72 hours"); }, {},
         "The duration \"72 hours\" is not valid."},
        {"another user", [](TTaskDefinition&) {}, S("bob"), "Tasks run as alice; other accounts are not supported."},
        {"System without root", [](TTaskDefinition&) {}, S("System"), "Tasks run as alice; other accounts are not supported."},
    };
    TTaskFolder folder(Context);
    for (const TCase& c : cases) {
        const TTaskDefinitionPtr definition = Runnable(S("/bin/true"));
        c.change(*definition);
        try {
            folder.RegisterTaskDefinition(S("T"), *definition, TTaskFolder::TASK_CREATE_OR_UPDATE, c.user, QString(), ltPassword);
            ADD_FAILURE() << c.name << ": registered";
        } catch (const EServiceError& e) {
            EXPECT_EQ(e.Message(), S(c.error)) << c.name;
        }
    }
    EXPECT_TRUE(Store->List(tkTask20).isEmpty());
}

TEST_F(TaskService, TheAccountIsTheUserOrSystemForRootAndNoPasswordIsKept)
{
    TTaskFolder folder(Context);
    const TTaskDefinitionPtr definition = Runnable(S("/bin/true"));
    definition->Principal().UserId = S("deskbox\\alice");
    auto task = folder.RegisterTaskDefinition(S("Mine"), *definition, TTaskFolder::TASK_CREATE, QString(), S("secret-pw"),
                                              ltPassword);
    EXPECT_EQ(task->Definition()->Principal().UserId, S("alice"));
    EXPECT_EQ(task->Definition()->Principal().LogonType, int(ltPassword));
    EXPECT_FALSE(ReadAll(Store->FileOf(tkTask20, S("Mine"))).contains("secret-pw"));

    Info->Admin = true;
    task = folder.RegisterTaskDefinition(S("Mine"), *definition, TTaskFolder::TASK_UPDATE, S("System"), QString(),
                                         ltInteractiveToken);
    EXPECT_EQ(task->Definition()->Principal().UserId, S("System"));
    EXPECT_EQ(task->Definition()->Principal().LogonType, int(ltServiceAccount));
    EXPECT_THROW(folder.RegisterTaskDefinition(S("Mine"), *definition, TTaskFolder::TASK_CREATE, QString(), QString(), 3),
                 EServiceError);
    EXPECT_GE(Service->Reloads, 2);
    EXPECT_TRUE(QFile(AutostartEntryPath()).exists());
}

TEST_F(TaskService, DefinitionsAreLiveGraphsAndARegisteredTaskHandsOutCopies)
{
    TTaskService service(Context);
    EXPECT_THROW(service.GetFolder(QString()), EServiceError);   // not connected
    EXPECT_THROW(service.Connect(S("otherbox")), EServiceError);
    try {
        service.Connect(S("fileserver"));
    } catch (const EServiceError& e) {
        EXPECT_EQ(e.Message(), S("Remote computers are not supported."));
    }
    for (const char* local : {"", "deskbox", "DESKBOX", "localhost", "\\\\deskbox"})
        EXPECT_NO_THROW(service.Connect(S(local))) << local;
    EXPECT_EQ(service.TargetServer(), S("deskbox"));

    const TTaskDefinitionPtr fresh = service.NewTask(0);
    const TTaskSettings& s = fresh->Settings();
    EXPECT_TRUE(s.Enabled && s.AllowDemandStart && s.AllowHardTerminate && s.DisallowStartIfOnBatteries
                && s.StopIfGoingOnBatteries);
    EXPECT_EQ(s.ExecutionTimeLimit, S("PT72H"));
    EXPECT_EQ(s.MultipleInstances, int(ipIgnoreNew));

    // A handle changes its definition.
    const std::shared_ptr<TAction> action = fresh->Actions().Create(atExec);
    As<TExecAction>(action).Path = S("/bin/true");
    EXPECT_EQ(As<TExecAction>(fresh->Actions().Item(1)).Path, S("/bin/true"));
    EXPECT_THROW(As<TEmailAction>(action), ENotSupported);
    EXPECT_THROW(fresh->Actions().Item(2), EInvalidArgument);

    const TTaskFolderPtr folder = service.GetFolder(S("\\"));
    EXPECT_THROW(service.GetFolder(S("\\Other")), EServiceError);
    const TRegisteredTaskPtr task = folder->RegisterTaskDefinition(S("Copy"), *fresh, TTaskFolder::TASK_CREATE, QString(),
                                                                   QString(), ltInteractiveToken);
    As<TExecAction>(task->Definition()->Actions().Item(1)).Path = S("/changed");
    EXPECT_EQ(As<TExecAction>(task->Definition()->Actions().Item(1)).Path, S("/bin/true"));
    EXPECT_EQ(task->LastTaskResult(), 0x41303);
    EXPECT_EQ(task->State(), int(tsReady));

    fresh->Settings().Hidden = true;
    folder->RegisterTaskDefinition(S("Hidden"), *fresh, TTaskFolder::TASK_CREATE, QString(), QString(), 3);
    EXPECT_EQ(folder->GetTasks(0).size(), 1);
    EXPECT_EQ(folder->GetTasks(TTaskFolder::TASK_ENUM_HIDDEN).size(), 2);
    folder->DeleteTask(S("hidden"), 0);
    EXPECT_THROW(folder->DeleteTask(S("Hidden"), 0), EServiceError);
    EXPECT_THROW(folder->GetTask(S("Hidden")), EServiceError);
}

TEST_F(TaskService, WorkItemsKeepTheirValuesAndTriggerRecords)
{
    TJobScheduler scheduler(Context);
    EXPECT_THROW(scheduler.SetTargetComputer(S("fileserver")), EServiceError);
    const TWorkItemPtr item = scheduler.NewWorkItem(S("Nightly.job"));
    EXPECT_EQ(item->GetFlags(), quint32(jfDontStartIfOnBatteries | jfKillIfGoingOnBatteries | jfRunOnlyIfLoggedOn));
    item->SetApplicationName(S("/bin/true"));
    item->SetParameters(S("-x"));
    item->SetWorkingDirectory(S("/tmp"));
    item->SetComment(S("comment"));
    item->SetCreator(S("alice"));
    item->SetFlags(jfDisabled | jfHidden | jfDeleteWhenDone);
    item->SetPriority(jpHigh);
    item->SetMaxRunTime(5400000);
    item->SetIdleWait(15, 45);
    item->SetWorkItemData(QByteArray("\x00\x01\xff", 3));
    item->SetAccountInformation(S("alice"), S("pw"));
    EXPECT_EQ(item->GetAccountInformation(), S("alice"));
    EXPECT_THROW(item->SetAccountInformation(QString(), QString()), EServiceError);   // System, and no root

    TJobTriggerRecord record;
    record.wBeginYear = 2024;
    record.wBeginMonth = 5;
    record.wBeginDay = 10;
    record.wStartHour = 8;
    record.wStartMinute = 5;
    record.wEndYear = 2024;
    record.wEndMonth = 12;
    record.wEndDay = 31;
    record.rgFlags = jtfHasEndDate | jtfKillAtDurationEnd;
    record.MinutesInterval = 30;
    record.MinutesDuration = 120;
    record.TriggerType = jtMonthlyDow;
    record.Type.MonthlyDOW = {2, 0x22, 0x801};
    item->CreateTrigger()->SetTrigger(record);
    EXPECT_TRUE(item->IsDirty());
    item->Save();
    EXPECT_FALSE(item->IsDirty());
    EXPECT_EQ(scheduler.Enum(), QStringList({S("Nightly.job")}));
    EXPECT_THROW(scheduler.NewWorkItem(S("nightly.job")), EServiceError);

    const TWorkItemPtr read = scheduler.Activate(S("nightly.JOB"));
    EXPECT_EQ(read->GetApplicationName(), S("/bin/true"));
    EXPECT_EQ(read->GetParameters(), S("-x"));
    EXPECT_EQ(read->GetWorkingDirectory(), S("/tmp"));
    EXPECT_EQ(read->GetComment(), S("comment"));
    EXPECT_EQ(read->GetCreator(), S("alice"));
    EXPECT_EQ(read->GetFlags(), quint32(jfDisabled | jfHidden | jfDeleteWhenDone));
    EXPECT_EQ(read->GetPriority(), quint32(jpHigh));
    EXPECT_EQ(read->GetMaxRunTime(), 5400000u);
    quint16 idle = 0, deadline = 0;
    read->GetIdleWait(idle, deadline);
    EXPECT_EQ(std::make_pair(idle, deadline), std::make_pair(quint16(15), quint16(45)));
    EXPECT_EQ(read->GetWorkItemData(), QByteArray("\x00\x01\xff", 3));
    EXPECT_EQ(read->GetStatus(), quint32(jsDisabled));
    EXPECT_EQ(read->GetCurFile(), Store->FileOf(tkJob10, S("Nightly.job")));
    ASSERT_EQ(read->GetTriggerCount(), 1);
    const TJobTriggerRecord back = read->GetTrigger(0)->GetTrigger();
    auto fields = [](const TJobTriggerRecord& r) {
        return QList<quint32>{r.wBeginYear, r.wBeginMonth, r.wBeginDay, r.wEndYear, r.wEndMonth, r.wEndDay,
                              r.wStartHour, r.wStartMinute, r.MinutesDuration, r.MinutesInterval, r.rgFlags,
                              quint32(r.TriggerType), r.Type.MonthlyDOW.wWhichWeek, r.Type.MonthlyDOW.rgfDaysOfTheWeek,
                              r.Type.MonthlyDOW.rgfMonths};
    };
    EXPECT_EQ(fields(back), fields(record));
    EXPECT_EQ(read->GetTrigger(0)->GetTriggerString(QLocale::c()).toStdString(),
              std::string("Runs at 08:05:00 on the Second Monday, Friday of month 1, 12, starting 10 May 2024"));
    EXPECT_TRUE(read->Definition().Settings().Hidden);
    EXPECT_FALSE(read->Definition().Settings().Enabled);

    scheduler.Delete(S("Nightly.job"));
    EXPECT_THROW(scheduler.Activate(S("Nightly.job")), EServiceError);
}
