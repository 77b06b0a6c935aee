// "Create && Schedule Task": the script is written, the new-task wizard makes
// a task that runs it, and the task list runs that task with the built runner
// against the test MariaDB.
#include "TaskFormsTestUtil.h"
#include "base/UAppException.h"
#include "base/UCommandLine.h"
#include "platform/tasksched/TaskSchedTestSupport.h"
#include "program/CmdLineTestRun.h"
#include "scheduler/RunnerTestSupport.h"
#include "scheduler/UTaskScheduler.h"
#include "scheduler/saUtils.h"
#include "scheduler/forms/TaskList.h"
#include "scheduler/forms/TaskWizard.h"
#include "transfer/ULobImportSession.h"
#include "transfer/ULogonBatchFileCreator.h"
#include "transfer/forms/ULogonBatchFileCreateDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <optional>

using namespace taskforms;

namespace {

enum TListColumn { colName, colSchedule, colNextRun, colLastRun, colStatus };

// An import task of folder "in" saved beside its script-to-be, on a database
// of its own, with the scheduler's platform replaced for the test.
class BatchFileScheduling : public cmdtest::CmdLineTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        CmdLineTest::SetUp();
        RegisterTaskSavingForms();
        FPreviousPlatform = SchedulerPlatform();
        SetAppExceptionHandler([this](const std::exception& e) { Errors << ExceptionMessage(e); });
        FillTestDbProfile(Profile);
        SetProgramArguments(vqtest::ProgramPath(), {});
    }
    void TearDown() override
    {
        SetAppExceptionHandler(nullptr);
        if (FPreviousPlatform)
            SetSchedulerPlatform(*FPreviousPlatform);
        UnregisterTaskSavingForms();
        SetProgramArguments(QString(), {});
        CmdLineTest::TearDown();
    }

    QString SaveImportTask()
    {
        WriteFile(S("in/a.bin"), QByteArray("\x00\xff\r\n\x80", 5));
        WriteFile(S("in/b.txt"), QByteArray("Gr\xc3\xbc\xc3\x9f" "e\n"));
        TLobImportSession task;
        task.Schema = Database;
        task.Table = S("files");
        task.LobField = S("body");
        task.LoadFolder = Path(S("in"));
        task.NameField = S("name");
        task.SaveToFile(Path(S("nightly.ilt")));
        return Path(S("nightly.ilt"));
    }

    TMysqlDBLogonOption Profile;
    TLogonBatchFileCreator Creator{S("task"), &Profile, &Profile};
    vqtest::FakePrompter Prompter;
    vqtest::FakeShellOpener Opener;
    QStringList Errors;

private:
    std::optional<tasksched::TPlatform> FPreviousPlatform;
};

// Through the wizard's pages: a one-time run tomorrow at 03:00.
void ScheduleForTomorrow(TNewTaskWizard* wizard, const QString& name)
{
    wizard->btnNext->click();
    ASSERT_EQ(wizard->PageControl->currentWidget(), wizard->tsTaskName);
    wizard->edtTaskName->setText(name);
    wizard->cbTriggerType->setCurrentIndex(0);
    wizard->ComboBox1Select();
    wizard->btnNext->click();
    ASSERT_EQ(wizard->pnlDetails->currentWidget(), wizard->pnlDetails->pnlOneTimeOnly);
    wizard->pnlDetails->dtStartDateOnce->setDate(QDate::currentDate().addDays(1));
    wizard->pnlDetails->dtStartTimeOnce->setTime(QTime(3, 0));
    wizard->btnNext->click();
    if (wizard->PageControl->currentWidget() == wizard->tsAccountInfo)
        wizard->btnNext->click();
    ASSERT_EQ(wizard->PageControl->currentWidget(), wizard->tsFinished);
    wizard->btnNext->click();
}

}  // namespace

TEST_F(BatchFileScheduling, TheScheduledScriptRunsFromTheListAndTheListShowsTheRun)
{
    Exec(S("CREATE TABLE files (name VARCHAR(100) PRIMARY KEY, body LONGBLOB)"));
    const QString taskFile = SaveImportTask();
    const QString script = Path(S("nightly.sh"));
    auto launcher = std::make_shared<runnertest::RecordingLauncher>();
    SetSchedulerPlatform(runnertest::RunnerPlatform(launcher, vqtest::ProgramPath()));
    struct StopRunner {
        runnertest::RecordingLauncher& launcher;
        ~StopRunner() { EXPECT_TRUE(runnertest::StopRunner(launcher)); }
    } stopRunner{*launcher};

    QString wizardProgram;
    QStringList shown, afterRun;
    bool scriptWrittenFirst = false;
    WhenModal<TLogonBatchFileCreateDlg>([&](TLogonBatchFileCreateDlg* dialog) {
        WhenModal<TNewTaskWizard>([&](TNewTaskWizard* wizard) {
            scriptWrittenFirst = QFileInfo::exists(script);
            wizardProgram = wizard->edtApplicationName->text();
            ScheduleForTomorrow(wizard, S("Nightly import"));
        });
        WhenModal<TTaskListForm>([&](TTaskListForm* list) {
            ASSERT_EQ(list->ListView->topLevelItemCount(), 1);
            QTreeWidgetItem* row = list->ListView->topLevelItem(0);
            for (int column = colName; column <= colStatus; ++column)
                shown << row->text(column);
            list->ListView->setCurrentItem(row);
            list->acRun->trigger();
            const auto finished = [&] {
                const tasksched::TRegisteredTaskPtr task =
                    list->Scheduler->TaskService()->GetFolder(QString())->GetTask(S("Nightly import"));
                return task->LastRunTime().isValid() && task->State() != tasksched::tsRunning;
            };
            EXPECT_TRUE(runnertest::WaitFor(finished, 60000)) << "the run did not end";
            list->acRefresh->trigger();
            row = list->ListView->topLevelItem(0);
            for (int column = colName; column <= colStatus; ++column)
                afterRun << row->text(column);
            list->acClose->trigger();
        });
        Click(dialog, "btnScheduleTask");
        EXPECT_TRUE(dialog->Result());
        EXPECT_FALSE(dialog->isVisible());
    });
    Creator.ExecuteFor(taskFile);

    EXPECT_TRUE(Errors.isEmpty()) << Errors.join(S("; ")).toStdString();
    EXPECT_TRUE(scriptWrittenFirst);
    EXPECT_EQ(wizardProgram, script);
    EXPECT_TRUE(Opener.Documents.isEmpty()) << "scheduling does not open the script";

    // The stored task: the script, once, tomorrow.
    TTaskScheduler scheduler;
    scheduler.SetActive(true);
    const tasksched::TTaskDefinitionPtr definition =
        scheduler.TaskService()->GetFolder(QString())->GetTask(S("Nightly import"))->Definition();
    ASSERT_EQ(definition->Actions().Count(), 1);
    EXPECT_EQ(tasksched::As<tasksched::TExecAction>(definition->Actions().Item(1)).Path, script);
    ASSERT_EQ(definition->Triggers().Count(), 1);
    EXPECT_EQ(definition->Triggers().Item(1)->Type(), tasksched::tkTime);
    EXPECT_EQ(definition->Triggers().Item(1)->StartBoundary,
              QDate::currentDate().addDays(1).toString(S("yyyy-MM-dd")) + S("T03:00:00"));

    // Listed before the run: due tomorrow, never run; after it: run, ready.
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[colName], S("Nightly import"));
    EXPECT_NE(shown[colNextRun], S("Never"));
    EXPECT_EQ(shown[colLastRun], S("Never"));
    ASSERT_EQ(afterRun.size(), 5);
    EXPECT_NE(afterRun[colLastRun], S("Never"));
    EXPECT_EQ(afterRun[colStatus], S("Ready"));
    EXPECT_EQ(afterRun[colNextRun], shown[colNextRun]);
    EXPECT_EQ(Rows(S("SELECT name, HEX(body) FROM files ORDER BY name")),
              QStringList({S("a|00FF0D0A80"), S("b|4772C3BCC39F650A")}));
}

TEST_F(BatchFileScheduling, WithoutTheTaskServiceTheScriptStaysWrittenAndTheDialogOpen)
{
    const QString taskFile = SaveImportTask();
    tasksched::TPlatform platform = tasksched::TPlatform::Default();
    auto service = std::make_shared<tasktest::FakeService>();
    service->StartSucceeds = false;
    platform.Service = service;
    SetSchedulerPlatform(platform);

    bool stayedOpen = false;
    WhenModal<TLogonBatchFileCreateDlg>([&stayedOpen](TLogonBatchFileCreateDlg* dialog) {
        Click(dialog, "btnScheduleTask");
        stayedOpen = dialog->isVisible() && !dialog->Result();
        Click(dialog, "btnCancel");
    });
    Creator.ExecuteFor(taskFile);

    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Errors, QStringList{S("Task Scheduler service is not running.")});
    EXPECT_TRUE(ReadBytes(Path(S("nightly.sh"))).contains("task=\"" + taskFile.toUtf8() + "\""));
}
