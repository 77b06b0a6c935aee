#include "SchedulerFormsTestSupport.h"
#include "scheduler/UTaskWizardRules.h"
#include "scheduler/forms/TaskWizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>

using namespace tasktest;

namespace {

enum TKindIndex { kiOnce, kiDaily, kiWeekly, kiMonthly, kiStartup, kiLogon, kiIdle, kiConnect, kiDisconnect, kiLock,
                  kiUnlock };

class Wizard : public SchedulerFormTest {
protected:
    void SetUp() override
    {
        SchedulerFormTest::SetUp();
        Scheduler->Refresh();
        Form = std::make_unique<TNewTaskWizard>();
        Form->edtApplicationName->setText(S("/bin/echo"));
        Form->SetScheduler(Scheduler.get());
        Form->UpdateButtons();
    }

    QWidget* Page() const { return Form->PageControl->currentWidget(); }

    // From the first page to the page after the name page.
    void NamePage(const char* name, int kind)
    {
        if (Page() == Form->tsCustomData)
            Form->btnNext->click();
        Form->edtTaskName->setText(S(name));
        Form->cbTriggerType->setCurrentIndex(kind);
        Form->ComboBox1Select();
        Form->btnNext->click();
    }
    // Account page, then Finish.
    void AccountAndFinish()
    {
        ASSERT_EQ(Page(), Form->tsAccountInfo);
        Form->btnNext->click();
        ASSERT_EQ(Page(), Form->tsFinished);
        EXPECT_EQ(Form->btnNext->text(), S("&Finish"));
        Form->FinishTask();
    }

    std::unique_ptr<TNewTaskWizard> Form;
};
INSTANTIATE_TEST_SUITE_P(Branches, Wizard, ::testing::Values(false, true), BranchName);
class ServiceWizard : public Wizard {};
INSTANTIATE_TEST_SUITE_P(Branch, ServiceWizard, ::testing::Values(false), BranchName);

TEST(WizardRules, ParametersNameTheTaskOnlyForTheRunningProgram)
{
    const QString self = S("/opt/vq/Vantorquill");
    const struct {
        const char *program, *parameters, *expected;
    } cases[] = {{"/opt/vq/Vantorquill", "P", "P \"name\""},
                 {"/opt/vq/Vantorquill", "", " \"name\""},
                 {"/opt/vq/vantorquill", "P", "P"},
                 {"/bin/echo", "P", "P"}};
    for (const auto& c : cases)
        EXPECT_EQ(taskwizard::TaskParameters(S(c.program), S(c.parameters), S("name"), self), S(c.expected))
            << c.program;
    EXPECT_EQ(taskwizard::WorkingFolderOf(S("/usr/bin/env")), S("/usr/bin"));
    EXPECT_EQ(taskwizard::WorkingFolderOf(S("/env")), S("/"));
}

TEST_P(Wizard, RunningProgramGetsTheTaskNameAfterItsParameters)
{
    Form->edtApplicationName->setText(QCoreApplication::applicationFilePath());
    Form->edtParameters->setText(S("-task"));
    NamePage("Self", kiLogon);
    AccountAndFinish();
    TTaskItem* task = Reloaded("Self");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->Parameters(), S("-task \"Self\""));
}

TEST_P(Wizard, NextRules)
{
    Form->btnNext->click();
    ASSERT_EQ(Page(), Form->tsTaskName);
    EXPECT_FALSE(Form->btnNext->isEnabled()) << "empty name";
    Form->edtTaskName->setText(S("Weekly"));
    EXPECT_TRUE(Form->btnNext->isEnabled());
    Form->cbTriggerType->setCurrentIndex(-1);
    Form->UpdateNextState();
    EXPECT_FALSE(Form->btnNext->isEnabled()) << "no kind";

    Form->cbTriggerType->setCurrentIndex(kiWeekly);
    Form->btnNext->click();
    ASSERT_EQ(Page(), Form->tsTriggerDetails);
    EXPECT_FALSE(Form->btnNext->isEnabled()) << "no week day";
    Form->pnlDetails->WeekDayBoxes[1]->setChecked(true);
    EXPECT_TRUE(Form->btnNext->isEnabled());

    Form->btnBack->click();
    Form->cbTriggerType->setCurrentIndex(kiMonthly);
    Form->btnNext->click();
    ASSERT_EQ(Page(), Form->tsTriggerDetails);
    EXPECT_FALSE(Form->btnNext->isEnabled()) << "no month";
    Form->pnlDetails->MonthBoxes[0]->setChecked(true);
    EXPECT_TRUE(Form->btnNext->isEnabled());
    Form->btnNext->click();
    ASSERT_EQ(Page(), Form->tsAccountInfo);
    Form->edtAccount->clear();
    EXPECT_FALSE(Form->btnNext->isEnabled()) << "no account";
    Form->edtAccount->setText(S(" \t "));
    Form->btnNext->click();
    EXPECT_EQ(Page(), Form->tsAccountInfo) << "blank account";
}

TEST_P(Wizard, DailyAndMonthlyDetailsAreStored)
{
    const struct {
        const char* name;
        bool repeat;
        int value, unit;
        quint32 interval, duration;
    } cases[] = {{"Plain", false, 5, 0, 1440, 1440}, {"TwoHours", true, 2, 1, 120, 1440},
                 {"TenMinutes", true, 10, 0, 10, 1440}};
    for (const auto& c : cases) {
        SetUp();
        NamePage(c.name, kiDaily);
        Form->pnlDetails->chkRepeatTask->setChecked(c.repeat);
        Form->pnlDetails->edtIntervalMinutesOrHours->setValue(c.value);
        Form->pnlDetails->cbbIntervalUnit->setCurrentIndex(c.unit);
        Form->btnNext->click();
        AccountAndFinish();
        TTaskItem* task = Reloaded(c.name);
        ASSERT_NE(task, nullptr) << c.name;
        ASSERT_EQ(task->Triggers().Count(), 1);
        EXPECT_EQ(task->Triggers()[0]->TriggerType(), ttDaily);
        EXPECT_EQ(task->Triggers()[0]->Interval(), c.interval) << c.name;
        EXPECT_EQ(task->Triggers()[0]->Duration(), c.duration) << c.name;
    }

    SetUp();
    NamePage("Monthly", kiMonthly);
    Form->pnlDetails->rbMonthlyDow->setChecked(true);
    EXPECT_TRUE(Form->pnlDetails->cbWhichWeek->isEnabled());
    Form->pnlDetails->cbWhichWeek->setCurrentIndex(1);
    Form->pnlDetails->cbDaysOfTheWeek->setCurrentIndex(2);
    Form->pnlDetails->MonthBoxes[2]->setChecked(true);
    Form->btnNext->click();
    AccountAndFinish();
    TTaskItem* task = Reloaded("Monthly");
    ASSERT_NE(task, nullptr);
    TTrigger* trigger = task->Triggers()[0];
    EXPECT_EQ(trigger->TriggerType(), ttMonthlyDow);
    const TTaskTriggerRecord record = Job() ? trigger->Record() : trigger->GetMonthlyDOWTrigger();
    EXPECT_EQ(record.Type.MonthlyDOW.wWhichWeek, 2);
    EXPECT_EQ(record.Type.MonthlyDOW.rgfDaysOfTheWeek, 4);
    EXPECT_EQ(record.Type.MonthlyDOW.rgfMonths, 4);
}

TEST_P(Wizard, VariantOfTheKindListAndAdvanced)
{
    QStringList kinds;
    for (int i = 0; i < Form->cbTriggerType->count(); ++i)
        kinds << Form->cbTriggerType->itemText(i);
    if (Job()) {
        EXPECT_EQ(kinds.size(), 6);
        EXPECT_EQ(kinds.last(), S("When I log on"));
        EXPECT_FALSE(Form->btnAdvanced->isHidden());
        EXPECT_TRUE(Form->ckbVistaHighestPrivileges->isHidden());
    } else {
        EXPECT_EQ(kinds.size(), 11);
        EXPECT_EQ(kinds[4], S("Wen my computer starts"));
        EXPECT_EQ(kinds[6], S("Wnen Idle"));
        EXPECT_TRUE(Form->btnAdvanced->isHidden());
        EXPECT_FALSE(Form->ckbVistaHighestPrivileges->isHidden());
        EXPECT_FALSE(Form->ckbVistaHighestPrivileges->isEnabled()) << "not an administrator";
    }
    const struct {
        int kind;
        bool users, sources;
    } groups[] = {{kiLogon, true, false}, {kiStartup, false, false}, {kiConnect, true, true}, {kiIdle, false, false}};
    for (const auto& g : groups) {
        if (g.kind >= Form->cbTriggerType->count())
            continue;
        Form->cbTriggerType->setCurrentIndex(g.kind);
        Form->ComboBox1Select();
        EXPECT_EQ(!Form->GroupBox1->isHidden(), g.users && !Job()) << g.kind;
        EXPECT_EQ(!Form->GroupBox2->isHidden(), g.sources && !Job()) << g.kind;
    }
    if (Job()) {
        NamePage("Advanced", kiDaily);
        Form->btnNext->click();
        Form->btnNext->click();
        Form->btnAdvanced->click();
        EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("; ")).toStdString();
        EXPECT_FALSE(Form->lblTaskNextTime->text().isEmpty());
    }
}

// Each kind reaches the stored definition with its state change and user,
// although the details page that writes triggers back is skipped.
TEST_P(ServiceWizard, EventKindsAreStoredAndReadBack)
{
    const struct {
        const char* name;
        int kind;
        int stateChange;   // 0: a logon trigger
        const char* user;
    } cases[] = {{"Lock", kiLock, 7, ""},
                 {"Unlock", kiUnlock, 8, ""},
                 {"Connect", kiConnect, 3, ""},
                 {"Logon", kiLogon, 0, "bob"}};
    for (const auto& c : cases) {
        SetUp();
        Form->btnNext->click();
        Form->edtTaskName->setText(S(c.name));
        Form->cbTriggerType->setCurrentIndex(c.kind);
        Form->ComboBox1Select();
        if (*c.user) {
            Form->RadioButton8->click();
            EXPECT_TRUE(Form->edUser->isEnabled());
            Form->edUser->setText(S(c.user));
        }
        Form->btnNext->click();
        AccountAndFinish();
        TTaskItem* task = Reloaded(c.name);
        ASSERT_NE(task, nullptr) << c.name;
        ASSERT_EQ(task->TaskDefinition()->Triggers().Count(), 1);
        const auto stored = task->TaskDefinition()->Triggers().Item(1);
        if (c.stateChange != 0) {
            ASSERT_EQ(stored->Type(), tasksched::tkSessionStateChange) << c.name;
            EXPECT_EQ(tasksched::As<tasksched::TSessionStateChangeTrigger>(stored).StateChange, c.stateChange)
                << c.name;
        } else {
            ASSERT_EQ(stored->Type(), tasksched::tkLogon);
            EXPECT_EQ(tasksched::As<tasksched::TLogonTrigger>(stored).UserId, S(c.user));
            EXPECT_EQ(task->Triggers()[0]->TriggerType(), ttAtLogon);
        }
    }
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("; ")).toStdString();
}

TEST_P(Wizard, ReplaceAsksAndKeepsThePageOnNo)
{
    MakeTask("Nightly");
    SetUp();
    NamePage("Nightly", kiLogon);
    EXPECT_EQ(Page(), Form->tsTaskName);
    ASSERT_EQ(Prompter.Messages(),
              QStringList{S("A task with the name Nightly already exists.  Do you want to replace it?")});
    EXPECT_EQ(Form->Task(), nullptr);
    TTaskItem* before = Reloaded("Nightly");
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->Triggers()[0]->TriggerType(), ttDaily);

    Prompter.QueueAnswer(TPromptAnswer::Yes);
    Form->btnNext->click();
    AccountAndFinish();
    TTaskItem* after = Reloaded("Nightly");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->ApplicationName(), S("/bin/echo"));
    ASSERT_EQ(after->Triggers().Count(), 1);
    EXPECT_EQ(after->Triggers()[0]->TriggerType(), ttAtLogon);
    if (!Job()) {
        EXPECT_EQ(after->ActionsCount(), 1);
    }
}

TEST_P(Wizard, BackToTheNamePageTakesTheChangedNameOver)
{
    NamePage("First", kiLogon);
    ASSERT_EQ(Page(), Form->tsAccountInfo);
    Form->btnBack->click();
    ASSERT_EQ(Page(), Form->tsTaskName);
    Form->edtTaskName->setText(S("Second"));
    Form->btnNext->click();
    AccountAndFinish();
    EXPECT_EQ(Reloaded("First"), nullptr);
    ASSERT_NE(Reloaded("Second"), nullptr);
    EXPECT_EQ(StoredCount(), 1);

    // Back from the details page also starts over.
    SetUp();
    NamePage("Third", kiDaily);
    Form->btnBack->click();
    EXPECT_EQ(Form->Task(), nullptr);
    Form->edtTaskName->setText(S("Fourth"));
    Form->btnNext->click();
    Form->btnNext->click();
    AccountAndFinish();
    EXPECT_EQ(Reloaded("Third"), nullptr);
    EXPECT_NE(Reloaded("Fourth"), nullptr);
}

TEST_P(Wizard, StoredFilesAfterFinishAndCancel)
{
    // Cancel before the account page stores nothing.
    NamePage("Early", kiDaily);
    Form->btnNext->click();
    Form->DiscardTask();
    EXPECT_EQ(StoredCount(), 0);

    // After the account page the task exists; Cancel keeps it.
    SetUp();
    NamePage("Saved", kiDaily);
    Form->btnNext->click();
    Form->btnNext->click();
    ASSERT_EQ(Page(), Form->tsFinished);
    EXPECT_EQ(Form->lblTaskResult->text(), S("Saved"));
    EXPECT_TRUE(Form->lblTaskNextTime->text().endsWith(S(" every 24 hours")))
        << Form->lblTaskNextTime->text().toStdString();
    Form->DiscardTask();
    EXPECT_NE(Reloaded("Saved"), nullptr);

    // A full pass keeps its task with what the pages said.
    SetUp();
    Form->edtParameters->setText(S("-n"));
    Form->edtWorkDir->setText(S("/tmp"));
    NamePage("Full", kiDaily);
    Form->btnNext->click();
    AccountAndFinish();
    TTaskItem* task = Reloaded("Full");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->ApplicationName(), S("/bin/echo"));
    EXPECT_EQ(task->Parameters(), S("-n"));
    EXPECT_EQ(task->WorkingDirectory(), S("/tmp"));
    EXPECT_EQ(task->Creator(), S("alice"));
    EXPECT_EQ(StoredCount(), 2);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("; ")).toStdString();
}

TEST_P(Wizard, ExecutePresetsTheProgramAndCancelLeavesNoTask)
{
    QString program;
    ModalWatcher cancel([&](QWidget* modal) {
        auto* wizard = qobject_cast<TNewTaskWizard*>(modal);
        program = wizard->edtApplicationName->text();
        wizard->edtTaskName->setText(S("Cancelled"));
        wizard->btnNext->click();
        wizard->btnNext->click();
        wizard->btnCancel->click();
    });
    TTaskItem* task = reinterpret_cast<TTaskItem*>(1);
    EXPECT_FALSE(ExecuteNewTaskWizard(Scheduler.get(), S("/tmp/batch.sh"), task));
    EXPECT_EQ(task, nullptr);
    EXPECT_EQ(program, S("/tmp/batch.sh"));
    EXPECT_EQ(StoredCount(), 0);
}

}  // namespace
