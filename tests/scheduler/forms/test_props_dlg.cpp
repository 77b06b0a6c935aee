// The task properties dialog on fixture tasks in a temporary store, on both
// branches, driven while it runs modally.
#include "scheduler/TaskItemTestSupport.h"
#include "scheduler/forms/Props.h"
#include "scheduler/forms/TaskList.h"
#include "base/UAppException.h"
#include "support/VqFakePrompter.h"
#include "support/VqWidgetTestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

using namespace tasksched;
using namespace tasktest;

namespace {

class PropsDlg : public TaskItemTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        TaskItemTest::SetUp();
        TPropsDlg::AccountAsker() = [this](QString& user, QString& password) {
            AccountAsked << user;
            if (!AccountAnswer)
                return false;
            user = AccountAnswer->first;
            password = AccountAnswer->second;
            return true;
        };
    }
    void TearDown() override
    {
        TPropsDlg::AccountAsker() = nullptr;
        TaskItemTest::TearDown();
    }

    // Runs the dialog on the task, lets look() see and change it, then OK or Cancel.
    bool Run(TTaskItem* item, const std::function<void(TPropsDlg&)>& look, bool ok = true)
    {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TPropsDlg*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ADD_FAILURE() << "no dialog";
                return;
            }
            look(*dialog);
            ok ? dialog->accept() : dialog->reject();
        });
        return ExecuteTaskProperties(item);
    }

    // A stored task with what prepare() sets, read afresh.
    TTaskItem* Stored(const std::function<void(TTaskItem*)>& prepare)
    {
        TTaskItem* item = NewItem();
        prepare(item);
        item->Triggers().UpdateTriggers();
        item->Deactivate(true);
        return Reloaded();
    }

    ::TTrigger* AddTrigger(TTaskItem* item, TTriggerType type, const TTriggerTypeUnion& details)
    {
        ::TTrigger* trigger = item->Triggers().Add(type);
        trigger->SetBeginDate(DateTimeToSerial(QDateTime(QDate(2021, 8, 11), QTime(0, 0))));
        trigger->SetStartTime(QTime(8, 30).msecsSinceStartOfDay() / 86400000.0);
        trigger->SetDetails(details);
        return trigger;
    }

    QStringList AccountAsked;
    std::optional<std::pair<QString, QString>> AccountAnswer;
};
INSTANTIATE_TEST_SUITE_P(Branches, PropsDlg, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Job10" : "Task20"; });
class ServicePropsDlg : public PropsDlg {};
INSTANTIATE_TEST_SUITE_P(Branch, ServicePropsDlg, ::testing::Values(false), [](const auto&) { return "Task20"; });
class JobPropsDlg : public PropsDlg {};
INSTANTIATE_TEST_SUITE_P(Branch, JobPropsDlg, ::testing::Values(true), [](const auto&) { return "Job10"; });

bool ListChecked(const QListWidget* list, int row)
{
    return list->item(row)->checkState() == Qt::Checked;
}

}  // namespace

TEST_P(ServicePropsDlg, DurationBoxesLoadAndSave)
{
    enum TAct { None, Check, Uncheck };
    const struct {
        QString TTaskTimeProperties::*field;
        const char* box;
        const char* check;
        const char* loaded;
        int index;
        TAct act;
        const char* saved;
    } cases[] = {
        {&TTaskTimeProperties::ExecutionTimeLimit, "EditStopRuning", "CheckStopRuning", "PT1H", 0, None, "PT1H"},
        // A value no item shows is kept by an untouched OK.
        {&TTaskTimeProperties::ExecutionTimeLimit, "EditStopRuning", "CheckStopRuning", "PT72H", -1, None, "PT72H"},
        {&TTaskTimeProperties::RestartInterval, "EditRestartTime", "CheckTaskFails", "PT1M", 0, None, "PT1M"},
        {&TTaskTimeProperties::DeleteExpiredTaskAfter, "EditDeleteAfter", "CheckDeleteAfter", "", -1, Check, "P180D"},
        {&TTaskTimeProperties::DeleteExpiredTaskAfter, "EditDeleteAfter", "CheckDeleteAfter", "P30D", 1, Uncheck, ""},
        {&TTaskTimeProperties::DeleteExpiredTaskAfter, "EditDeleteAfter", "CheckDeleteAfter", "Immediately", 0, None,
         "Immediately"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loaded);
        TTaskItem* item = Stored([&](TTaskItem* task) {
            TTaskTimeProperties times;
            task->GetTimeProperties(times);
            times.IdleWaitTimeout = S("PT0S");
            times.*c.field = S(c.loaded);
            task->SetTimeProperties(times);
            task->SetVistaFlags({tfvNeedLogon});
        });
        EXPECT_TRUE(Run(item, [&](TPropsDlg& dialog) {
            auto* box = dialog.findChild<QComboBox*>(S(c.box));
            auto* check = dialog.findChild<QCheckBox*>(S(c.check));
            EXPECT_EQ(box->currentIndex(), c.index);
            EXPECT_EQ(check->isChecked(), c.index >= 0);
            EXPECT_EQ(box->isEnabled(), c.index >= 0);
            EXPECT_EQ(dialog.EditIdleWait->currentIndex(), -1);   // PT0S
            if (c.act != None)
                check->click();
        }));
        TTaskTimeProperties got;
        Reloaded()->GetTimeProperties(got);
        EXPECT_EQ(got.*c.field, S(c.saved));
        EXPECT_EQ(got.IdleWaitTimeout, S("PT0S"));
        Scheduler->DeleteTask(S("Nightly"));
    }
}

TEST_P(ServicePropsDlg, IdleFlagGreysItsItemsAndBoxes)
{
    TTaskItem* item = Stored([](TTaskItem* task) { task->SetVistaFlags({tfvNeedLogon, tfvEnabled}); });
    Run(item, [](TPropsDlg& dialog) {
        QListWidget* flags = dialog.ListVistaFlags;
        ASSERT_EQ(flags->count(), 13);
        EXPECT_EQ(flags->item(1)->text(), S("Force stop runing task"));
        EXPECT_EQ(flags->item(5)->text(), S("Hiden"));
        EXPECT_EQ(flags->item(9)->text(), S("Start if the connection Avaible"));
        EXPECT_TRUE(ListChecked(flags, tfvEnabled));
        for (bool idle : {false, true, false}) {
            flags->item(tfvRunOnlyIfIdle)->setCheckState(idle ? Qt::Checked : Qt::Unchecked);
            EXPECT_EQ(dialog.EditIdle->isEnabled(), idle);
            EXPECT_EQ(dialog.EditIdleWait->isEnabled(), idle);
            EXPECT_EQ(bool(flags->item(tfvStopOnIdleEnd)->flags() & Qt::ItemIsEnabled), idle);
            EXPECT_EQ(bool(flags->item(tfvRestartOnIdle)->flags() & Qt::ItemIsEnabled), idle);
        }
    }, false);
}

TEST_P(ServicePropsDlg, WithoutLogonTheAccountIsAskedAndCancelKeepsIt)
{
    TTaskItem* item = Stored([](TTaskItem* task) { task->SetVistaFlags({tfvNeedLogon}); });
    const QString account = item->AccountName();
    // Unchecking the logon flag asks for the account on OK; Cancel there still saves the rest.
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        dialog.ListVistaFlags->item(tfvNeedLogon)->setCheckState(Qt::Unchecked);
        dialog.memComments->setPlainText(S("kept"));
    }));
    EXPECT_EQ(AccountAsked, QStringList({account}));
    TTaskItem* read = Reloaded();
    EXPECT_EQ(read->Comment(), S("kept"));
    EXPECT_EQ(read->AccountName(), account);
    EXPECT_FALSE(read->VistaFlags().Contains(tfvNeedLogon));
    // With the flag on nothing is asked.
    AccountAsked.clear();
    Run(read, [](TPropsDlg& dialog) { dialog.ListVistaFlags->item(tfvNeedLogon)->setCheckState(Qt::Checked); });
    EXPECT_TRUE(AccountAsked.isEmpty());
}

TEST_P(ServicePropsDlg, ActionEditsSurviveTheRowChangeAndAllAreSaved)
{
    TTaskItem* item = Stored([](TTaskItem* task) {
        task->SetVistaFlags({tfvNeedLogon});
        task->SetParameters(S("--old"));
        task->InsertAction(atShowMessage);
        task->SetCurrentAction(2);
        task->SetMessTitle(S("Title"));
        task->SetMessText(S("Text"));
        task->InsertAction(atEmail);
        task->SetCurrentAction(3);
        task->SetMailSendTo(S("a@b.example"));
        task->SetMailSubject(S("Done"));
    });
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        QTableWidget* grid = dialog.StringGrid1;
        ASSERT_EQ(grid->rowCount(), 4);
        EXPECT_EQ(grid->item(0, 0)->text(), S("Action"));
        EXPECT_EQ(grid->item(0, 1)->text(), S("Details"));
        EXPECT_EQ(grid->item(1, 0)->text(), S("Start a programm"));
        EXPECT_FALSE(dialog.PanelExec->isHidden());
        EXPECT_TRUE(dialog.PanelMessageBox->isHidden());
        EXPECT_EQ(dialog.LabeledEditParameters->text(), S("--old"));
        dialog.LabeledEditParameters->setText(S("--new"));

        grid->setCurrentCell(2, 0);
        EXPECT_TRUE(dialog.PanelExec->isHidden());
        EXPECT_FALSE(dialog.PanelMessageBox->isHidden());
        EXPECT_EQ(dialog.EditMessageTitle->text(), S("Title"));
        dialog.EditMessage->setPlainText(S("Changed"));

        grid->setCurrentCell(3, 0);
        EXPECT_FALSE(dialog.PanelEMail->isHidden());
        EXPECT_TRUE(dialog.PanelMessageBox->isHidden());
        EXPECT_EQ(dialog.EditTo->text(), S("a@b.example"));
        EXPECT_EQ(dialog.EditSubject->text(), S("Done"));

        grid->setCurrentCell(1, 0);
        EXPECT_EQ(dialog.LabeledEditParameters->text(), S("--new"));
    }));
    TTaskItem* read = Reloaded();
    read->SetCurrentAction(1);
    EXPECT_EQ(read->Parameters(), S("--new"));
    read->SetCurrentAction(2);
    EXPECT_EQ(read->MessText(), S("Changed"));
    read->SetCurrentAction(3);
    EXPECT_EQ(read->MailSendTo(), S("a@b.example"));
}

TEST_P(JobPropsDlg, UntouchedBinaryDataComesBackByteForByte)
{
    const QByteArray bytes("a\0b\nc\r\nd", 9);
    TTaskItem* item = Stored([&](TTaskItem* task) {
        QBuffer data;
        data.setData(bytes);
        data.open(QIODevice::ReadOnly);
        task->SetBinaryData(data);
        task->SetFlags({tfStartOnlyIfIdle});
        task->SetIdleTime({90, 20000});
    });
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        EXPECT_FALSE(dialog.PanelXPTask->isHidden());
        EXPECT_TRUE(dialog.PanelVistaTasks->isHidden());
        EXPECT_FALSE(dialog.btnEdit->isHidden());
        EXPECT_EQ(dialog.edtTaskName->text(), S("Nightly"));
        // An idle time beyond the box's range is shown as it is.
        EXPECT_EQ(dialog.udDeadlineMinutes->value(), 20000);
        EXPECT_TRUE(dialog.udIdleMinutes->isEnabled());
        dialog.clbFlags->item(tfStartOnlyIfIdle)->setCheckState(Qt::Unchecked);
        EXPECT_FALSE(dialog.udIdleMinutes->isEnabled());
        dialog.clbFlags->item(tfHidden)->setCheckState(Qt::Checked);
        dialog.edtParameters->setText(S("--x"));
    }));
    TTaskItem* read = Reloaded();
    QBuffer data;
    data.open(QIODevice::ReadWrite);
    read->GetBinaryData(data);
    EXPECT_EQ(data.data(), bytes);
    EXPECT_EQ(read->Flags(), TTaskFlags({tfHidden}));
    EXPECT_EQ(read->Parameters(), S("--x"));
    EXPECT_EQ(read->IdleTime().wDeadlineMinutes, 20000);

    // An edit of the box is written.
    Run(read, [](TPropsDlg& dialog) { dialog.memData->setPlainText(S("new data")); });
    QBuffer edited;
    edited.open(QIODevice::ReadWrite);
    Reloaded()->GetBinaryData(edited);
    EXPECT_EQ(edited.data(), QByteArray("new data"));
}

TEST_P(PropsDlg, ATaskWithoutTriggersThatNeverRan)
{
    TTaskItem* item = Stored([](TTaskItem* task) { task->SetVistaFlags({tfvNeedLogon}); });
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        EXPECT_EQ(dialog.lblLastRunTime->text(), S("Never"));
        EXPECT_EQ(dialog.lblNextRunTime->text(), S("Never"));
        EXPECT_EQ(dialog.cbSchedule->currentText(), S("<Task not scheduled>"));
        for (QWidget* panel : {dialog.pnlDetails->pnlOneTimeOnly, dialog.pnlDetails->pnlDaily, dialog.pnlDetails->pnlWeekly, dialog.pnlDetails->pnlMonthly})
            EXPECT_TRUE(panel->isHidden());
        dialog.cbSchedule->setCurrentIndex(0);
    }));
    EXPECT_EQ(Reloaded()->Triggers().Count(), 0);
}

TEST_P(ServicePropsDlg, DailyRepeatIntervals)
{
    const struct {
        quint32 interval;
        bool repeat;
        int value;
        const char* unit;
    } cases[] = {{1440, true, 24, "hour(s)"}, {90, true, 90, "minute(s)"}, {120, true, 2, "hour(s)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.interval);
        TTaskItem* item = Stored([&](TTaskItem* task) {
            task->SetVistaFlags({tfvNeedLogon});
            TTriggerTypeUnion details{};
            details.Daily.DaysInterval = 1;
            ::TTrigger* daily = AddTrigger(task, ttDaily, details);
            daily->SetInterval(c.interval);
            daily->SetDuration(600);
        });
        EXPECT_TRUE(Run(item, [&](TPropsDlg& dialog) {
            EXPECT_FALSE(dialog.pnlDetails->pnlDaily->isHidden());
            EXPECT_TRUE(dialog.pnlDetails->rbEveryDay->isChecked());
            EXPECT_EQ(dialog.pnlDetails->chkRepeatTask->isChecked(), c.repeat);
            EXPECT_EQ(dialog.pnlDetails->edtIntervalMinutesOrHours->value(), c.value);
            EXPECT_EQ(dialog.pnlDetails->cbbIntervalUnit->currentText(), S(c.unit));
            EXPECT_EQ(dialog.pnlDetails->dtStartTimeDaily->time(), QTime(8, 30));
        }));
        ::TTrigger* saved = Reloaded()->Triggers().Items(0);
        EXPECT_EQ(saved->Interval(), c.interval);
        EXPECT_EQ(saved->Duration(), 600u);
        Scheduler->DeleteTask(S("Nightly"));
    }
}

TEST_P(ServicePropsDlg, MonthlyDaysAndWeeks)
{
    TTaskItem* item = Stored([&](TTaskItem* task) {
        task->SetVistaFlags({tfvNeedLogon});
        TTriggerTypeUnion details{};
        details.MonthlyDate.rgfDays = (1u << 0) | (1u << 14);
        details.MonthlyDate.rgfMonths = 0x0FFF;
        AddTrigger(task, ttMonthlyDate, details);
    });
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        EXPECT_FALSE(dialog.pnlDetails->pnlMonthly->isHidden());
        EXPECT_TRUE(ListChecked(dialog.pnlDetails->seMonthDays, 0));
        EXPECT_TRUE(ListChecked(dialog.pnlDetails->seMonthDays, 14));
        EXPECT_FALSE(ListChecked(dialog.pnlDetails->seMonthDays, 1));
        EXPECT_FALSE(dialog.pnlDetails->rbMonthlyDow->isEnabled());
        auto* february = dialog.findChild<QCheckBox*>(S("chkFeb"));
        EXPECT_TRUE(february->isChecked());
        february->setChecked(false);
    }));
    TTriggerTypeUnion saved = Reloaded()->Triggers().Items(0)->Details();
    EXPECT_EQ(saved.MonthlyDate.rgfMonths, 0x0FFF & ~2);
    EXPECT_EQ(saved.MonthlyDate.rgfDays, (1u << 0) | (1u << 14));
    Scheduler->DeleteTask(S("Nightly"));

    // The last Friday keeps week 5 unchanged; a chosen "Second" reaches the trigger.
    for (int chosen : {-1, 1}) {
        TTaskItem* dow = Stored([&](TTaskItem* task) {
            task->SetVistaFlags({tfvNeedLogon});
            TTriggerTypeUnion details{};
            details.MonthlyDOW.wWhichWeek = 5;
            details.MonthlyDOW.rgfDaysOfTheWeek = 1 << 5;
            details.MonthlyDOW.rgfMonths = 0x0FFF;
            AddTrigger(task, ttMonthlyDow, details)->SetMonthlyDOWTrigger();
        });
        EXPECT_TRUE(Run(dow, [&](TPropsDlg& dialog) {
            EXPECT_EQ(dialog.pnlDetails->cbWhichWeek->currentText(), S("Last"));
            EXPECT_TRUE(ListChecked(dialog.pnlDetails->cbDaysOfTheWeeks, 5));
            EXPECT_FALSE(dialog.pnlDetails->rbMonthlyDate->isEnabled());
            EXPECT_FALSE(dialog.pnlDetails->seMonthDays->isEnabled());
            if (chosen >= 0)
                dialog.pnlDetails->cbWhichWeek->setCurrentIndex(chosen);
        }));
        EXPECT_EQ(Reloaded()->Triggers().Items(0)->Details().MonthlyDOW.wWhichWeek, chosen < 0 ? 5 : 2);
        Scheduler->DeleteTask(S("Nightly"));
    }
}

TEST_P(ServicePropsDlg, SavingAWeeklyTriggerSetsToday)
{
    TTaskItem* item = Stored([&](TTaskItem* task) {
        task->SetVistaFlags({tfvNeedLogon});
        TTriggerTypeUnion details{};
        details.Weekly.WeeksInterval = 2;
        details.Weekly.rgfDaysOfTheWeek = 2 | 32;
        AddTrigger(task, ttWeekly, details);
    });
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        EXPECT_FALSE(dialog.pnlDetails->pnlWeekly->isHidden());
        EXPECT_EQ(dialog.pnlDetails->seWeekInterval->value(), 2);
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(S("chkMonday"))->isChecked());
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(S("chkFriday"))->isChecked());
        EXPECT_FALSE(dialog.findChild<QCheckBox*>(S("chkSunday"))->isChecked());
    }));
    ::TTrigger* saved = Reloaded()->Triggers().Items(0);
    EXPECT_EQ(SerialToDateTime(saved->BeginDate()).date(), QDate::currentDate());
    EXPECT_EQ(saved->Details().Weekly.rgfDaysOfTheWeek, 2 | 32);
}

TEST_P(ServicePropsDlg, ARefusedOkKeepsTheDialogOpenWithItsEditsAndSavesNothing)
{
    TTaskItem* item = Stored([](TTaskItem* task) { task->SetVistaFlags({tfvNeedLogon}); });
    AccountAnswer = std::make_pair(S("mallory"), S("secret"));
    QStringList errors;
    SetAppExceptionHandler([&errors](const std::exception& e) { errors << ExceptionMessage(e); });
    const std::shared_ptr<void> unset(nullptr, [](void*) { SetAppExceptionHandler({}); });
    EXPECT_FALSE(Run(item, [&errors](TPropsDlg& dialog) {
        dialog.ListVistaFlags->item(tfvNeedLogon)->setCheckState(Qt::Unchecked);
        dialog.memComments->setPlainText(S("kept"));
        dialog.accept();
        EXPECT_EQ(errors.size(), 1);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.memComments->toPlainText(), S("kept"));
        EXPECT_EQ(dialog.ListVistaFlags->item(tfvNeedLogon)->checkState(), Qt::Unchecked);
    }, false));
    // Cancel leaves the task as it was, in this program as in the store
    // (a new read replaces the scheduler that holds item).
    const auto unchanged = [](TTaskItem* task) {
        EXPECT_TRUE(task->Comment().isEmpty());
        EXPECT_TRUE(task->VistaFlags().Contains(tfvNeedLogon));
    };
    unchanged(item);
    unchanged(Reloaded());
}

TEST_P(ServicePropsDlg, TheMostRestartsTheBoxOffersAreSavedAndReadBack)
{
    TTaskItem* item = Stored([](TTaskItem* task) {
        TTaskTimeProperties times;
        task->GetTimeProperties(times);
        times.RestartInterval = S("PT1M");
        task->SetTimeProperties(times);
        task->SetVistaFlags({tfvNeedLogon});
    });
    EXPECT_TRUE(Run(item, [](TPropsDlg& dialog) {
        ASSERT_EQ(dialog.udRestartCount->maximum(), 1000);
        dialog.udRestartCount->setValue(1000);
    }));
    TTaskTimeProperties got;
    Reloaded()->GetTimeProperties(got);
    EXPECT_EQ(got.RestartCount, S("1000"));
    EXPECT_EQ(Scheduler->TaskService()->GetFolder(QString())->GetTask(S("Nightly"))->Definition()->Settings().RestartCount,
              1000);
}

TEST_P(PropsDlg, TheListsDoubleClickOpensTheDialogOnTheRowsTask)
{
    Stored([](TTaskItem* task) { task->SetVistaFlags({tfvNeedLogon}); });
    TTaskListForm list(nullptr, Context, Job());
    ASSERT_EQ(list.ListView->topLevelItemCount(), 1);
    list.ListView->topLevelItem(0)->setSelected(true);
    list.UpdateActions();
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TPropsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        dialog->memComments->setPlainText(S("from the list"));
        dialog->accept();
    });
    list.ListViewDblClick();
    EXPECT_EQ(caption, S("Nightly Properties"));
    EXPECT_EQ(Reloaded()->Comment(), S("from the list"));
    EXPECT_EQ(list.ListView->topLevelItemCount(), 1);
}
