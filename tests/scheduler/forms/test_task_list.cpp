#include "SchedulerFormsTestSupport.h"
#include "scheduler/UScheduleTaskUtil.h"
#include "scheduler/forms/TaskList.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

using namespace tasktest;

namespace {

class TaskList : public SchedulerFormTest {
protected:
    std::unique_ptr<TTaskListForm> OpenList() { return std::make_unique<TTaskListForm>(nullptr, Context, Job()); }
    QString Banner() const { return Job() ? S(" Scheduled tasks on \\\\deskbox") : S(" Scheduled tasks on deskbox"); }
    static QStringList Names(const TTaskListForm& form)
    {
        QStringList names;
        for (int i = 0; i < form.ListView->topLevelItemCount(); ++i)
            names << form.ListView->topLevelItem(i)->text(0);
        return names;
    }
    static void Select(TTaskListForm& form, std::initializer_list<int> rows)
    {
        form.ListView->clearSelection();
        for (int row : rows)
            form.ListView->topLevelItem(row)->setSelected(true);
    }
};
INSTANTIATE_TEST_SUITE_P(Branches, TaskList, ::testing::Values(false, true), BranchName);

TEST(ScheduleTexts, NeverAtOrBelowOneAndMidnightWithoutTime)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    for (double never : {0.0, 1.0, SystemTimeToDateTime(TSystemTime{}), -5.0})
        EXPECT_EQ(RunTimeText(never), S("Never")) << never;
    EXPECT_EQ(RunTimeText(DateTimeToSerial(QDateTime(QDate(2024, 5, 10), QTime(0, 0)))), S("10/05/2024"));
    EXPECT_EQ(RunTimeText(DateTimeToSerial(QDateTime(QDate(2024, 5, 10), QTime(7, 5, 9)))), S("10/05/2024 07:05:09"));
    QLocale::setDefault(QLocale::c());
}

TEST_P(TaskList, RepeatTextsOfDailyTriggersOnly)
{
    const struct {
        quint32 interval;
        const char* text;
    } cases[] = {{30, " every 30 minutes"}, {1, " every 1 minute"},  {60, " every 1 hour"},
                 {120, " every 2 hours"},   {90, " every 90 minutes"}, {1440, " every 24 hours"}, {0, ""}};
    auto scheduler = Open();
    TTaskItem* item = scheduler->CreateNewItem(S("Texts"));
    TTrigger* daily = item->Triggers().Add(ttDaily);
    TTrigger* weekly = item->Triggers().Add(ttWeekly);
    for (const auto& c : cases) {
        daily->SetInterval(c.interval);
        weekly->SetInterval(c.interval);
        EXPECT_EQ(GetRepeatIntervalText(*daily), S(c.text)) << c.interval;
        EXPECT_EQ(GetRepeatIntervalText(*weekly), QString()) << c.interval;
    }
    daily->SetInterval(60);
    QStringList lines;
    GetTriggerStringsWithInterval(*item, lines);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(S(" every 1 hour"))) << lines[0].toStdString();
    EXPECT_FALSE(lines[1].contains(S(" every 1 hour")));
    EXPECT_EQ(GetTaskScheduleText(*item), item->TriggerString() + S(" every 1 hour"));

    item->Triggers().Clear();
    GetTriggerStringsWithInterval(*item, lines);
    EXPECT_EQ(lines, QStringList{S("<Task not scheduled>")});
    EXPECT_EQ(GetTaskScheduleText(*item), item->TriggerString());
}

TEST_P(TaskList, RowsBannerAndFrame)
{
    MakeTask("Beta", 60);
    MakeTask("Alpha");
    auto form = OpenList();
    EXPECT_EQ(form->windowTitle(), S("Task Scheduler (Corvanta Software)"));
    EXPECT_EQ(form->pnlTarget->text(), Banner());
    ASSERT_EQ(Names(*form), (QStringList{S("Alpha"), S("Beta")}));
    QTreeWidgetItem* beta = form->ListView->topLevelItem(1);
    EXPECT_TRUE(beta->text(1).endsWith(S(" every 1 hour"))) << beta->text(1).toStdString();
    EXPECT_EQ(beta->text(3), S("Never"));
    EXPECT_NE(beta->text(2), S("Never"));
    EXPECT_EQ(beta->text(4), Job() ? S("Has not run") : S("Ready"));
    EXPECT_EQ(form->acDelete->toolTip(), S("Delete"));
    EXPECT_EQ(form->acDelete->statusTip(), S("Deletes the seleceted task(s)"));
}

TEST_P(TaskList, EmptyStoreAndDamagedFile)
{
    {
        auto form = OpenList();
        EXPECT_EQ(form->ListView->topLevelItemCount(), 0);
        EXPECT_EQ(form->pnlTarget->text(), Banner());
    }
    MakeTask("Good");
    MakeTask("Broken");
    QFile broken(Store->FileOf(Kind(), StoredName("Broken")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("{ not json");
    broken.close();
    auto form = OpenList();
    EXPECT_EQ(Names(*form), QStringList{S("Good")});
}

TEST_P(TaskList, EnableStatesMenusAndDoubleClick)
{
    MakeTask("A");
    MakeTask("B");
    auto form = OpenList();
    int propertiesCalls = 0;
    form->ExecuteTaskProperties = [&](TTaskItem*) {
        ++propertiesCalls;
        return true;
    };
    const struct {
        std::initializer_list<int> rows;
        bool properties, runDelete;
        QMenu* menu;
    } cases[] = {{{}, false, false, form->popView}, {{0}, true, true, form->popSelected},
                 {{0, 1}, false, true, form->popSelected}};
    for (const auto& c : cases) {
        Select(*form, c.rows);
        form->ListViewMouseDown(Qt::RightButton, QPoint(5, 5));
        EXPECT_EQ(form->acProperties->isEnabled(), c.properties) << c.rows.size();
        EXPECT_EQ(form->acRun->isEnabled(), c.runDelete);
        EXPECT_EQ(form->acDelete->isEnabled(), c.runDelete);
        EXPECT_TRUE(form->acNew->isEnabled() && form->acRefresh->isEnabled() && form->acClose->isEnabled());
        EXPECT_TRUE(c.menu->isVisible()) << c.rows.size();
        c.menu->hide();
        form->ListViewDblClick();
        EXPECT_EQ(propertiesCalls, c.properties ? 1 : 0) << c.rows.size();
        propertiesCalls = 0;
    }
    ASSERT_EQ(form->popSelected->actions().size(), 4);
    EXPECT_EQ(form->popSelected->actions()[0], form->acRun);
    EXPECT_EQ(form->popView->actions()[0], form->acNew);
    EXPECT_EQ(form->popView->actions()[2], form->acRefresh);
}

TEST_P(TaskList, PropertiesRefillsOrRebuilds)
{
    MakeTask("A");
    auto form = OpenList();
    Select(*form, {0});
    form->ExecuteTaskProperties = [](TTaskItem*) { return true; };
    QTreeWidgetItem* row = form->ListView->topLevelItem(0);
    form->acProperties->trigger();
    EXPECT_EQ(form->ListView->topLevelItem(0), row);   // refilled in place
    MakeTask("B");
    form->ExecuteTaskProperties = [](TTaskItem*) { return false; };
    form->acProperties->trigger();
    EXPECT_EQ(form->ListView->topLevelItemCount(), 2);   // rebuilt
}

TEST_P(TaskList, DeleteAsksThenSkipsAFailureSilently)
{
    MakeTask("A");
    MakeTask("B");
    MakeTask("C");
    auto form = OpenList();
    Select(*form, {0, 1, 2});
    form->acDelete->trigger();   // the question's escape answer: No
    EXPECT_EQ(form->ListView->topLevelItemCount(), 3);
    ASSERT_EQ(Prompter.Messages(), QStringList{S("Are you sure you want to delete the selected task(s)?")});
    EXPECT_EQ(Prompter.Prompts[0].kind, TPromptKind::Warning);

    // B is gone behind the list's back: its delete fails.
    ASSERT_TRUE(Store->Remove(Kind(), StoredName("B")));
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    form->acDelete->trigger();
    EXPECT_EQ(Names(*form), QStringList{S("B")});
    EXPECT_EQ(Prompter.Messages().size(), 2);
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(form->Scheduler->Count(), 1);
    EXPECT_EQ(TTaskListForm::RowTask(form->ListView->topLevelItem(0))->Name(), S("B"));
    auto fresh = Open();
    fresh->Refresh();
    EXPECT_EQ(fresh->Count(), 0);
}

TEST_P(TaskList, RunStopsAtTheFirstFailure)
{
    MakeTask("A");
    MakeTask("B");
    auto form = OpenList();
    Select(*form, {0, 1});
    form->acRun->trigger();
    EXPECT_EQ(Service->Runs.size(), 2);
    EXPECT_TRUE(Errors.isEmpty());

    Service->Runs.clear();
    Service->RunAnswer = S("ERR refused");
    form->acRun->trigger();
    EXPECT_EQ(Service->Runs.size(), 1);
    EXPECT_EQ(Errors, QStringList{S("refused")});
}

TEST_P(TaskList, ScheduleProgramThenCancelStillRefreshes)
{
    auto form = OpenList();
    MakeTask("Later");
    ModalWatcher cancel([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    form->ScheduleProgram(S("/tmp/batch.sh"));
    EXPECT_EQ(Names(*form), QStringList{S("Later")});
}

}  // namespace
