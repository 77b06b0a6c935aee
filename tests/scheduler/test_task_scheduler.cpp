// The scheduler component on both branches, over a temporary store with a
// fake service control.
#include "platform/tasksched/TaskSchedTestSupport.h"
#include "scheduler/UTaskScheduler.h"

using namespace tasksched;
using namespace tasktest;

namespace {

// Param: the 1.0 branch or not, and the locale.
class TaskScheduler : public TaskStoreTest, public ::testing::WithParamInterface<std::tuple<bool, const char*>> {
protected:
    void SetUp() override
    {
        TaskStoreTest::SetUp();
        QLocale::setDefault(QLocale(S(std::get<1>(GetParam()))));
        Service->Running = true;
        Scheduler = std::make_unique<TTaskScheduler>(nullptr, Context);
        Scheduler->SetUseTaskScheduler1Only(Job());
        Scheduler->SetActive(true);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    bool Job() const { return std::get<0>(GetParam()); }
    // The name the list holds for a plain name.
    QString Listed(const char* plain) const { return Job() ? S(plain) + S(".job") : S(plain); }

    void Add(const char* plain, bool hidden = false)
    {
        const TTaskDefinitionPtr definition = Runnable(S("/bin/true"));
        definition->Settings().Hidden = hidden;
        Store->Save(TStoredTask{Job() ? tkJob10 : tkTask20, Listed(plain), definition, {}});
    }

    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < Scheduler->Count(); ++i)
            names << Scheduler->Items(i)->FTaskName;
        return names;
    }

    std::unique_ptr<TTaskScheduler> Scheduler;
};

}  // namespace

TEST_P(TaskScheduler, ListsSortedIgnoringCaseAndLooksUpByCase)
{
    for (const char* name : {"cleanup", "Backup", "archive"})
        Add(name);
    Scheduler->Refresh();
    EXPECT_EQ(Names(), QStringList({Listed("archive"), Listed("Backup"), Listed("cleanup")}));
    TTaskItem* backup = Scheduler->Items(1);
    EXPECT_EQ(backup->Name(), S("Backup"));
    EXPECT_EQ(Scheduler->ActivateTask(S("Backup")), backup);
    EXPECT_EQ(Scheduler->ActivateTask(S("Backup.job")), backup);
    if (Job()) {
        EXPECT_EQ(TTaskScheduler::JobName(S("Backup.JOB")), S("Backup.JOB"));
    }
    // Not in the list by case: the service is asked, and its names ignore case.
    TTaskItem* upper = Scheduler->ActivateTask(S("BACKUP"));
    ASSERT_NE(upper, nullptr);
    EXPECT_NE(upper, backup);
    EXPECT_EQ(upper->FTaskName, Listed("BACKUP"));
    EXPECT_EQ(Scheduler->Count(), 4);
    EXPECT_EQ(Scheduler->ActivateTask(S("nosuch")), nullptr);
    if (!Job()) {
        EXPECT_EQ(upper->TaskDefinition()->Actions().Count(), 1);
        EXPECT_TRUE(upper->RegisteredTask() != nullptr);
    }
}

TEST_P(TaskScheduler, HiddenTasksAndTheVetoHook)
{
    Add("shown");
    Add("secret", true);
    Scheduler->Refresh();
    EXPECT_EQ(Scheduler->Count(), Job() ? 2 : 1);   // 1.0 has no hidden listing
    Scheduler->SetShowHidden(true);
    Scheduler->Refresh();
    EXPECT_EQ(Scheduler->Count(), 2);

    int offered = 0;
    Scheduler->OnBeforeTaskAdded = [&](TObject* sender, TTaskItem* task, bool& canAdd) {
        EXPECT_EQ(sender, Scheduler.get());
        EXPECT_NE(task, nullptr);
        ++offered;
        canAdd = false;
    };
    Scheduler->Refresh();
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(Scheduler->Count(), 0);
}

TEST_P(TaskScheduler, CreateNewItemWithAnExistingName)
{
    Add("Backup");
    Scheduler->Refresh();
    TTaskItem* listed = Scheduler->Items(0);
    try {
        Scheduler->CreateNewItem(S("Backup"));
        ADD_FAILURE() << "created twice";
    } catch (const ETaskError& e) {
        EXPECT_EQ(e.Message(), S("Task with the name \"Backup\" already exists."));
    }
    EXPECT_EQ(Scheduler->Count(), 1);
    Scheduler->SetDuplicate(tdActivateFirst);
    EXPECT_EQ(Scheduler->CreateNewItem(S("Backup")), listed);

    TTaskItem* fresh = Scheduler->CreateNewItem(S("Nightly"));
    EXPECT_EQ(fresh->FTaskName, Listed("Nightly"));
    EXPECT_EQ(Names(), QStringList({Listed("Backup"), Listed("Nightly")}));
    if (Job()) {
        EXPECT_EQ(fresh->WorkItem()->GetFlags(), quint32(jfDontStartIfOnBatteries | jfKillIfGoingOnBatteries));
    } else {
        EXPECT_EQ(fresh->RegisteredTask(), nullptr);
        EXPECT_EQ(fresh->TaskDefinition()->Principal().LogonType, int(ltInteractiveToken));
        EXPECT_TRUE(fresh->TaskDefinition()->Settings().Enabled);
    }
    TStoredTask stored;
    EXPECT_FALSE(Store->Find(Job() ? tkJob10 : tkTask20, Listed("Nightly"), stored));   // not saved yet
}

TEST_P(TaskScheduler, DeleteAsksTheServiceFirstAndKeepsTheItemWhenItFails)
{
    Add("Backup");
    Add("Other");
    Scheduler->Refresh();
    TTaskItem* backup = Scheduler->Items(0);
    // Gone behind the list's back: the service refuses, the row stays usable.
    Store->Remove(Job() ? tkJob10 : tkTask20, Listed("Backup"));
    EXPECT_THROW(Scheduler->DeleteTask(S("Backup")), Exception);
    ASSERT_EQ(Scheduler->Count(), 2);
    EXPECT_EQ(Scheduler->Items(0), backup);
    EXPECT_EQ(backup->Name(), S("Backup"));

    Scheduler->DeleteTask(S("Other"));
    EXPECT_EQ(Names(), QStringList({Listed("Backup")}));
    // Not in the list: still deleted in the service.
    Add("Unlisted");
    Scheduler->DeleteTask(S("Unlisted"));
    TStoredTask stored;
    EXPECT_FALSE(Store->Find(Job() ? tkJob10 : tkTask20, Listed("Unlisted"), stored));
}

TEST_P(TaskScheduler, IndexesTargetsStateAndVersion)
{
    for (const int index : {-1, 0}) {
        try {
            Scheduler->Items(index);
            ADD_FAILURE() << index;
        } catch (const ESchedulerError& e) {
            EXPECT_EQ(e.Message(), S("Task index out of bounds (%1)").arg(index));
        }
    }
    for (const char* computer : {"", "deskbox", "localhost"})
        EXPECT_NO_THROW(Scheduler->SetTargetComputer(S(computer))) << computer;
    try {
        Scheduler->SetTargetComputer(S("fileserver"));
        ADD_FAILURE() << "a remote computer";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), S("Remote computers are not supported."));
    }
    EXPECT_TRUE(Scheduler->TargetComputer().endsWith(S("deskbox")));

    Scheduler->SetVersion(S("1.0"));
    EXPECT_EQ(Scheduler->Version(), S("2.0.9"));
    EXPECT_TRUE(Scheduler->Active());
    Scheduler->SetActive(false);
    EXPECT_FALSE(Scheduler->Active());
    EXPECT_THROW(Scheduler->Refresh(), ESchedulerError);
    if (Job())
        EXPECT_EQ(Scheduler->TargetComputer(), QString());
    else
        EXPECT_THROW(Scheduler->TargetComputer(), ESchedulerError);
}

TEST_P(TaskScheduler, StartSchedulerPingsOrStartsTheRunner)
{
    Service->Running = true;
    Service->StartSucceeds = false;
    EXPECT_TRUE(Scheduler->StartScheduler());
    Service->Running = false;
    Service->StartSucceeds = true;
    EXPECT_TRUE(Scheduler->StartScheduler());
    Service->StartSucceeds = false;
    EXPECT_FALSE(Scheduler->StartScheduler());
    try {
        Scheduler->Open();
        ADD_FAILURE() << "opened";
    } catch (const ESchedulerError& e) {
        EXPECT_EQ(e.Message(), S("Task Scheduler service is not running."));
    }
    EXPECT_FALSE(Scheduler->Active());
}

INSTANTIATE_TEST_SUITE_P(Branches, TaskScheduler, ::testing::Combine(::testing::Values(false, true), ::testing::Values("C", "de_DE")),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "Version1_" : "Version2_") + std::get<1>(info.param);
                         });
