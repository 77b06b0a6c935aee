// The task item on both branches over a temporary store: its properties
// written, saved and read back from the store file, and its edge cases.
#include "TaskItemTestSupport.h"

#include <QBuffer>

using namespace tasksched;
using namespace tasktest;

namespace {

class TaskItem : public TaskItemTest {
protected:
    // "Task "Nightly" is not activated."
    static void ExpectNotActivated(const std::function<void()>& use)
    {
        try {
            use();
            ADD_FAILURE() << "no error";
        } catch (const ETaskError& e) {
            EXPECT_EQ(e.Message(), S("Task \"Nightly\" is not activated."));
        }
    }

    // A stored 2.0 task with the user's own account under the logon type.
    TTaskItem* Stored20(int logonType)
    {
        TTaskDefinitionPtr definition = Runnable(S("/bin/true"));
        definition->Principal().UserId = logonType == ltServiceAccount ? S("System") : S("alice");
        TTaskFolder(Context).RegisterTaskDefinition(S("Nightly"), *definition, TTaskFolder::TASK_CREATE_OR_UPDATE,
                                                    QString(), QString(), logonType);
        return Reloaded();
    }
};
INSTANTIATE_TEST_SUITE_P(Branches, TaskItem, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Job10" : "Task20"; });
// What only a 2.0 task has.
class ServiceItem : public TaskItem {};
INSTANTIATE_TEST_SUITE_P(Branch, ServiceItem, ::testing::Values(false), [](const auto&) { return "Task20"; });

QByteArray Bytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        bytes[i] = char(i * 7 + 3);
    return bytes;
}

}  // namespace

TEST_P(TaskItem, EveryPropertyRoundTripsThroughTheStore)
{
    TTaskItem* item = NewItem();
    item->SetParameters(S("--all \"x y\""));
    item->SetWorkingDirectory(S("/tmp/work dir"));
    item->SetComment(S("Grüße"));
    item->SetCreator(S("Bob"));
    if (Job()) {
        item->SetFlags({tfInteractive, tfHidden, tfRunOnlyIfLoggedOn, tfStartOnlyIfIdle, tfKillOnIdleEnd});
        item->SetPriority(tpHigh);
        item->SetMaxRunTime(5400000);
        item->SetIdleTime({15, 45});
    } else {
        item->SetTaskInstancesPolicy(tipQueue);
        item->SetMaxRunTime(5400000);
        item->InsertAction(atEmail);
        item->InsertAction(atShowMessage);
        item->SetCurrentAction(2);
        item->SetMailSendTo(S("a@b.example"));
        item->SetMailSendFrom(S("c@d.example"));
        item->SetMailSubject(S("Done"));
        item->SetMailContent(S("Body"));
        item->SetMailServer(S("smtp.example"));
        item->SetCurrentAction(3);
        item->SetMessTitle(S("Title"));
        item->SetMessText(S("Text"));
    }
    item->Deactivate(true);

    TTaskItem* read = Reloaded();
    ASSERT_NE(read, nullptr);
    read->SetCurrentAction(1);
    EXPECT_EQ(read->ApplicationName(), S("/bin/true"));
    EXPECT_EQ(read->Parameters(), S("--all \"x y\""));
    EXPECT_EQ(read->WorkingDirectory(), S("/tmp/work dir"));
    EXPECT_EQ(read->Comment(), S("Grüße"));
    EXPECT_EQ(read->Creator(), S("Bob"));
    EXPECT_EQ(read->AccountName(), S("alice"));
    if (Job())
        EXPECT_EQ(std::get<TWorkItemPtr>(read->TaskInterface()), read->GetInterface<TWorkItem>());
    else
        EXPECT_EQ(std::get<TRegisteredTaskPtr>(read->TaskInterface()), read->GetInterface<TRegisteredTask>());
    if (Job()) {
        EXPECT_EQ(read->Flags(),
                  TTaskFlags({tfInteractive, tfHidden, tfRunOnlyIfLoggedOn, tfStartOnlyIfIdle, tfKillOnIdleEnd}));
        EXPECT_EQ(read->Priority(), tpHigh);
        EXPECT_EQ(read->MaxRunTime(), 5400000u);
        EXPECT_EQ(read->IdleTime().wIdleMinutes, 15);
        EXPECT_EQ(read->IdleTime().wDeadlineMinutes, 45);
        EXPECT_FALSE(read->IsDirty());
        EXPECT_TRUE(read->CurFile().endsWith(S(".json"))) << read->CurFile().toStdString();
        EXPECT_EQ(read->TaskInstancesPolicy(), tipIgnoreNew);
        EXPECT_EQ(read->VistaFlags(), TTaskVistaFlags());
        EXPECT_EQ(read->ActionsCount(), 0);
        EXPECT_EQ(read->MailSendTo(), QString());
        ExpectNotActivated([&] { read->SetMailSendTo(S("x")); });
    } else {
        EXPECT_EQ(read->TaskInstancesPolicy(), tipQueue);
        EXPECT_EQ(read->TaskDefinition()->Settings().ExecutionTimeLimit, S("PT1H30M"));
        EXPECT_EQ(read->ActionsCount(), 3);
        EXPECT_THROW(read->MailSendTo(), ENotSupported);   // action 1 is a program
        read->SetCurrentAction(0);
        EXPECT_EQ(read->MailSendTo(), QString());
        read->SetCurrentAction(2);
        EXPECT_EQ(read->ApplicationName(), S("Send e-mail"));
        EXPECT_EQ(read->MailSendTo(), S("a@b.example"));
        EXPECT_EQ(read->MailSendFrom(), S("c@d.example"));
        EXPECT_EQ(read->MailSubject(), S("Done"));
        EXPECT_EQ(read->MailContent(), S("Body"));
        EXPECT_EQ(read->MailServer(), S("smtp.example"));
        EXPECT_THROW(read->MessTitle(), ENotSupported);
        read->SetCurrentAction(3);
        EXPECT_EQ(read->ApplicationName(), S("Display message"));
        EXPECT_EQ(read->MessTitle(), S("Title"));
        EXPECT_EQ(read->MessText(), S("Text"));
        QStringList targets, kinds;
        read->GetTasksLists(targets, kinds);
        EXPECT_EQ(kinds, QStringList({S("Start a programm"), S("Send e-mail"), S("Display message")}));
        EXPECT_EQ(targets, QStringList({S("/bin/true"), S("a@b.example Done"), S("Title")}));
        // 1.0-only properties raise and change nothing.
        EXPECT_THROW(read->Flags(), ENotSupported);
        EXPECT_THROW(read->SetPriority(tpIdle), ENotSupported);
        EXPECT_THROW(read->MaxRunTime(), ENotSupported);
        EXPECT_THROW(read->IdleTime(), ENotSupported);
        EXPECT_THROW(read->IsDirty(), ENotSupported);
        EXPECT_THROW(read->CurFile(), ENotSupported);
        EXPECT_THROW(read->DisplayTaskPages(nullptr, {ptTask}, S("x")), ENotSupported);
        EXPECT_EQ(read->TaskDefinition()->Settings().Priority, 7);
    }
}

TEST_P(ServiceItem, VistaFlagsEachAloneUnderEveryLogonType)
{
    Info->Admin = true;
    for (int logonType : {ltPassword, ltInteractiveToken, ltServiceAccount}) {
        TTaskItem* item = Stored20(logonType);
        ASSERT_NE(item, nullptr);
        const TTaskVistaFlags original = item->VistaFlags();
        // Written back unchanged: every setting and the logon type stay.
        item->SetVistaFlags(original);
        item->Deactivate(true);
        TTaskItem* read = Reloaded();
        EXPECT_EQ(read->VistaFlags(), original) << logonType;
        EXPECT_TRUE(read->VistaFlags().Contains(tfvAllowHardTerminate));
        EXPECT_EQ(read->TaskDefinition()->Principal().LogonType, logonType);

        for (int flag = tfvAllowDemandStart; flag <= tfvNeedLogon; ++flag) {
            TTaskVistaFlags toggled = original;
            toggled.Set(TTaskVistaFlag(flag), !original.Contains(TTaskVistaFlag(flag)));
            read->SetVistaFlags(toggled);
            int expectedLogon = logonType;
            if (flag == tfvNeedLogon)
                expectedLogon = logonType == ltInteractiveToken ? ltPassword : ltInteractiveToken;
            EXPECT_EQ(read->TaskDefinition()->Principal().LogonType, expectedLogon) << logonType << " " << flag;
            if (flag == tfvNeedLogon && logonType == ltServiceAccount) {
                // "System" runs as a service account whatever is asked.
                read->SetVistaFlags(original);
                continue;
            }
            read->Deactivate(true);
            read = Reloaded();
            EXPECT_EQ(read->VistaFlags(), toggled) << logonType << " " << flag;
            read->SetVistaFlags(original);
            read->Deactivate(true);
            read = Reloaded();
        }
    }
}

TEST_P(TaskItem, AccountCases)
{
    if (Job()) {
        TTaskItem* item = NewItem();
        item->SetAccountInformation(S("alice"), S("secret"));
        EXPECT_EQ(item->AccountName(), S("alice"));
        EXPECT_THROW(item->SetAccountInformation(QString(), QString()), EServiceError);
        Info->Admin = true;
        item->SetAccountInformation(QString(), QString());
        EXPECT_EQ(item->AccountName(), S("System"));
        return;
    }
    struct Case {
        const char* user;
        const char* password;
        bool admin;
        const char* storedUser;
        int logonType;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"alice", "secret", false, "alice", ltPassword, nullptr},
        {"alice", "", false, "alice", ltInteractiveToken, nullptr},
        {"", "", true, "System", ltServiceAccount, nullptr},
        {"", "", false, nullptr, 0, "Tasks run as alice; other accounts are not supported."},
        {"bob", "pw", false, nullptr, 0, "Tasks run as alice; other accounts are not supported."},
    };
    for (const Case& c : cases) {
        Info->Admin = c.admin;
        Store->Remove(tkTask20, S("Nightly"));
        Scheduler->Clear();
        TTaskItem* item = NewItem();
        item->TaskDefinition()->Principal().UserId = S("alice");
        if (c.error != nullptr) {
            try {
                item->SetAccountInformation(S(c.user), S(c.password));
                ADD_FAILURE() << c.user;
            } catch (const EServiceError& e) {
                EXPECT_EQ(e.Message(), S(c.error));
            }
            // Nothing stored and the item as it was.
            EXPECT_EQ(item->AccountName(), S("alice"));
            EXPECT_EQ(item->TaskDefinition()->Principal().LogonType, int(ltInteractiveToken));
            EXPECT_EQ(Reloaded(), nullptr);
            continue;
        }
        item->SetAccountInformation(S(c.user), S(c.password));
        EXPECT_EQ(item->RegisteredTask(), nullptr);   // registered, but the item's handle is unchanged
        TTaskItem* read = Reloaded();
        ASSERT_NE(read, nullptr) << c.user;
        EXPECT_EQ(read->AccountName(), S(c.storedUser));
        EXPECT_EQ(read->TaskDefinition()->Principal().LogonType, c.logonType) << c.user;
        // A later save registers again with the principal's type, which the
        // password case left as it was.
        const int principalType = item->TaskDefinition()->Principal().LogonType;
        EXPECT_EQ(principalType, c.password[0] ? int(ltInteractiveToken) : c.logonType);
        item->SetComment(S("again"));
        item->Deactivate(true);
        read = Reloaded();
        EXPECT_EQ(read->Comment(), S("again"));
        EXPECT_EQ(read->AccountName(), S(c.storedUser));
        EXPECT_EQ(read->TaskDefinition()->Principal().LogonType, principalType) << c.user;
    }
}

TEST_P(TaskItem, BinaryData)
{
    TTaskItem* item = NewItem();
    QBuffer odd;
    odd.setData(Bytes(7));
    odd.open(QIODevice::ReadOnly);
    item->SetBinaryData(odd);
    item->Deactivate(true);
    TTaskItem* read = Reloaded();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    read->GetBinaryData(out);
    // 2.0 keeps text: whole UTF-16 units, the odd byte left in the stream.
    EXPECT_EQ(out.data(), Bytes(Job() ? 7 : 6));
    EXPECT_EQ(odd.pos(), Job() ? 7 : 6);

    QBuffer large;
    large.setData(Bytes(65536));
    large.open(QIODevice::ReadOnly);
    if (Job()) {
        read->SetComment(S("dirty"));
        EXPECT_THROW(read->SetBinaryData(large), ETaskError);
        EXPECT_EQ(large.pos(), 0);
        read->Deactivate(true);
        read = Reloaded();
        QBuffer kept;
        kept.open(QIODevice::WriteOnly);
        read->GetBinaryData(kept);
        EXPECT_EQ(kept.data(), Bytes(7));
        QBuffer limit;
        limit.setData(Bytes(65535));
        limit.open(QIODevice::ReadOnly);
        read->SetBinaryData(limit);
    } else {
        read->SetBinaryData(large);
        read->Deactivate(true);
        read = Reloaded();
        QBuffer back;
        back.open(QIODevice::WriteOnly);
        read->GetBinaryData(back);
        EXPECT_EQ(back.data(), Bytes(65536));
    }
}

TEST_P(TaskItem, MaxRunTime)
{
    struct Case {
        quint32 value;
        const char* limit;
    };
    const std::vector<Case> cases = {
        {0xFFFFFFFF, "PT0S"}, {5400000, "PT1H30M"}, {90000000, "P1DT1H0M"}, {59999, "PT0M"}};
    for (const Case& c : cases) {
        Scheduler->Clear();
        Store->Remove(Job() ? tkJob10 : tkTask20, Job() ? S("Nightly.job") : S("Nightly"));
        TTaskItem* item = NewItem();
        item->SetMaxRunTime(c.value);
        item->Deactivate(true);
        TTaskItem* read = Reloaded();
        ASSERT_NE(read, nullptr);
        if (Job()) {
            // The work item keeps whole seconds.
            EXPECT_EQ(read->MaxRunTime(), c.value == 0xFFFFFFFF ? c.value : c.value / 1000 * 1000);
        } else {
            EXPECT_EQ(read->TaskDefinition()->Settings().ExecutionTimeLimit, S(c.limit));
        }
    }
}

TEST_P(TaskItem, TimeProperties)
{
    TTaskItem* item = NewItem();
    TTaskTimeProperties written{S("PT2H"), S("PT5M"), S("3"), S("P30D"), S("PT20M"), S("PT7M")};
    item->SetTimeProperties(written);
    item->Deactivate(true);
    TTaskItem* read = Reloaded();
    TTaskTimeProperties got{S("a"), S("b"), S("c"), S("d"), S("e"), S("f")};
    read->GetTimeProperties(got);
    if (Job()) {
        EXPECT_EQ(got.RestartCount, S("c"));   // left as it was
        return;
    }
    EXPECT_EQ(got.ExecutionTimeLimit, S("PT2H"));
    EXPECT_EQ(got.RestartInterval, S("PT5M"));
    EXPECT_EQ(got.RestartCount, S("3"));
    EXPECT_EQ(got.DeleteExpiredTaskAfter, S("P30D"));
    EXPECT_EQ(got.IdleWaitTimeout, S("PT20M"));
    EXPECT_EQ(got.IdleDuration, S("PT7M"));

    // A count that is no number stops before the later settings.
    TTaskTimeProperties bad{S("PT1H"), S("PT9M"), S("three"), S("P1D"), S("PT1M"), S("PT1M")};
    EXPECT_THROW(read->SetTimeProperties(bad), EConvertError);
    const TTaskSettings& settings = read->TaskDefinition()->Settings();
    EXPECT_EQ(settings.ExecutionTimeLimit, S("PT1H"));
    EXPECT_EQ(settings.RestartInterval, S("PT9M"));
    EXPECT_EQ(settings.RestartCount, 3);
    EXPECT_EQ(settings.DeleteExpiredTaskAfter, S("P30D"));
    TTaskItem* stored = Reloaded();
    stored->GetTimeProperties(got);
    EXPECT_EQ(got.ExecutionTimeLimit, S("PT2H"));
}

TEST_P(ServiceItem, ActionsOfANewTask)
{
    TTaskItem* item = Scheduler->CreateNewItem(S("Nightly"));
    EXPECT_EQ(item->ApplicationName(), S("Empty"));
    item->SetApplicationName(S("/usr/bin/backup"));
    EXPECT_EQ(item->CurrentAction(), 1);
    EXPECT_EQ(item->ActionsCount(), 1);
    EXPECT_EQ(item->ApplicationName(), S("/usr/bin/backup"));

    item->InsertAction(atExec);
    EXPECT_EQ(item->CurrentAction(), 1);
    As<TExecAction>(item->TaskDefinition()->Actions().Item(2)).Path = S("/usr/bin/second");
    item->SetCurrentAction(0);
    EXPECT_EQ(item->ApplicationName(), S("Multiple actions"));
    // A write with actions present and none chosen fails for index 0.
    EXPECT_THROW(item->SetApplicationName(S("x")), EInvalidArgument);
    item->SetCurrentAction(2);
    EXPECT_EQ(item->ApplicationName(), S("/usr/bin/second"));
    // Reading Parameters chooses the first action when none is chosen.
    item->SetCurrentAction(0);
    EXPECT_EQ(item->Parameters(), QString());
    EXPECT_EQ(item->CurrentAction(), 1);

    item->InsertAction(atComHandler);
    item->SetCurrentAction(3);
    EXPECT_EQ(item->ApplicationName(), S("COM Object"));
    for (int index : {0, 4, -1})
        item->RemoveAction(index);
    EXPECT_EQ(item->ActionsCount(), 3);
    item->RemoveAction(2);
    EXPECT_EQ(item->ActionsCount(), 2);
    EXPECT_EQ(item->TaskDefinition()->Actions().Item(2)->Type(), int(atComHandler));
}

TEST_P(TaskItem, ChecksLeaveTheItemAsItWas)
{
    TTaskItem* item = NewItem();
    if (Job()) {
        // A save the service refuses keeps the work item and its changes.
        item->SetApplicationName(QString());
        item->SetComment(S("not saved"));
        EXPECT_THROW(item->Deactivate(true), EServiceError);
        EXPECT_EQ(item->Comment(), S("not saved"));
        EXPECT_TRUE(item->IsDirty());
        item->Deactivate(false);
        // Released without saving: every 1.0 property wants Activate again.
        ExpectNotActivated([&] { item->ApplicationName(); });
        ExpectNotActivated([&] { item->SetFlags({}); });
        ExpectNotActivated([&] { item->Run(); });
        ExpectNotActivated([&] { item->Triggers(); });
        ExpectNotActivated([&] { item->InsertAction(atExec); });
        EXPECT_EQ(Reloaded(), nullptr);
        try {
            item->Activate();
            ADD_FAILURE() << "activated an unsaved task";
        } catch (const ESchedulerError& e) {
            EXPECT_EQ(e.Message(), S("Could not activate \"Nightly\" task."));
        }
        Scheduler->Close();
        EXPECT_THROW(item->Activate(), ESchedulerError);
        return;
    }
    // Never registered: run, status and times want the registered task.
    ExpectNotActivated([&] { item->Run(); });
    ExpectNotActivated([&] { item->Status(); });
    ExpectNotActivated([&] { item->NextRunTime(); });
    ExpectNotActivated([&] { item->ExitCode(); });
    ExpectNotActivated([&] { item->Flags(); });
    QStringList a, b;
    ExpectNotActivated([&] { item->GetTasksLists(a, b); });
    // A registration the service refuses keeps the item unregistered.
    item->SetApplicationName(QString());
    EXPECT_THROW(item->Deactivate(true), EServiceError);
    EXPECT_EQ(item->RegisteredTask(), nullptr);
    item->SetApplicationName(S("/bin/true"));
    item->Deactivate(true);
    ASSERT_NE(item->RegisteredTask(), nullptr);
    item->Run();
    EXPECT_EQ(Service->Runs.size(), 1);
    // With no definition every 2.0 property raises the not-activated error.
    item->FTaskDefinition.reset();
    ExpectNotActivated([&] { item->Comment(); });
    ExpectNotActivated([&] { item->SetMaxRunTime(1); });
}

TEST_P(TaskItem, RunStateOfATaskThatNeverRan)
{
    TTaskItem* item = NewItem();
    ::TTrigger* trigger = item->Triggers().Add(ttOnce);
    trigger->SetBeginDate(DateTimeToSerial(QDateTime(QDate(2024, 5, 11), QTime(0, 0))));
    trigger->SetStartTime(QTime(6, 15).msecsSinceStartOfDay() / 86400000.0);
    item->Triggers().UpdateTriggers();
    item->Deactivate(true);
    TTaskItem* read = Reloaded();
    EXPECT_LT(read->MostRecentRunTime(), 1.0);
    EXPECT_EQ(read->ExitCode(), Job() ? 0u : quint32(jsHasNotRun));
    EXPECT_EQ(read->Status(), Job() ? tsHasNotRun : ts2Ready);
    // The store's wall time is the clock's; the serial value is local time.
    EXPECT_EQ(SerialToDateTime(read->NextRunTime()), QDateTime(QDate(2024, 5, 11), QTime(6, 15), Clock->Zone()));
}
