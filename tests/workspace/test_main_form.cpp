// The main window over the application object and the real MariaDB: its two
// logon states, the logon dialog on first show, logoff closing every child,
// the Help entries, and the openers of the launcher, the batch-file dialog
// and the update check.
#include "app/AppTestUtil.h"
#include "app/UProgram.h"
#include "app/UQuenmarel.h"
#include "app/UUpdateCheckRunner.h"
#include "base/UCommandLine.h"
#include "base/UMakerSite.h"
#include "base/URttiUtil.h"
#include "base/USystemUtil.h"
#include "settings/UAppSettings.h"
#include "widgets/UHelpFile.h"
#include "db/UDBLogonForm.h"
#include "platform/dac/UUniConnection.h"
#include "dataview/UDBGridModel.h"
#include "dataview/USqlForm.h"
#include "db/UDBDictionary.h"
#include "platform/dac/UUniQuery.h"
#include "support/VqFakePrompter.h"
#include "support/VqFakeShellOpener.h"
#include "support/VqHttpTestServer.h"
#include "support/VqTestSupport.h"
#include "workspace/UDBFacade.h"
#include "workspace/UCreateTableDesign.h"
#include "workspace/UDBObjectView.h"
#include "support/VqWidgetTestSupport.h"
#include "workspace/UMDIPager.h"
#include "workspace/UMainForm.h"
#include "workspace/UMainFormActions.h"
#include "workspace/UQuenmarelFormManager.h"
#include "platform/registry/UMruList.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobImportSession.h"
#include "transfer/forms/UStartTaskDlg.h"
#include "transfer/forms/UTaskSavingForms.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class TMainFormTestApp : public TQuenmarel {
public:
    static TMainFormTestApp* Make()
    {
        std::unique_ptr<TMainFormTestApp> app(new TMainFormTestApp());
        app->Construct();
        return app.release();
    }

protected:
    void CreateLobObjectFactory() override {}
};

// The logon dialog of these tests: logs on to the test server, or is
// cancelled, as the test says.
class TProbeLogonForm : public TDBLogonForm {
public:
    using TDBLogonForm::TDBLogonForm;
    static inline bool Accept = true;
    static inline int Shown = 0;

    int ShowModal() override
    {
        ++Shown;
        if (Accept) {
            apptest::PointAtTestServer(*FConnection);
            FConnection->SetDatabase(QStringLiteral("mysql"));
            FConnection->Connect();
        }
        return 0;
    }

protected:
    void OnConnectionSet() override {}
};

class MainFormTest : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        units = std::make_unique<apptest::ProgramUnits>();
        TRttiUtil::RegisterComponentClass<TProbeLogonForm>(QStringLiteral("UMysqlLogonForm.TMysqlLogonForm"));
        TProbeLogonForm::Accept = true;
        TProbeLogonForm::Shown = 0;
        // The launcher after the first logon only where a test switches it on.
        TAppSettings::ShowLaunch = false;
        app.reset(TMainFormTestApp::Make());
        form = std::make_unique<TMainForm>();
    }

    void TearDown() override
    {
        form.reset();
        app.reset();
        units.reset();
    }

    // A logon raises the server's packet limit; suites that watch that step
    // hold this lock while they do.
    void HoldPacketLimitLock()
    {
        apptest::PointAtTestServer(lock);
        lock.Connect();
        lock.ExecSQL(QStringLiteral("do get_lock('vq_max_allowed_packet', 120)"));
    }

    // The names of the enabled actions of the action list and menus, and of
    // the other controls the logon switch concerns.
    QStringList EnabledEntries() const
    {
        QStringList names;
        for (const QAction* action : form->findChildren<QAction*>()) {
            if (action->parent() == form.get() && action->isEnabled())
                names << action->objectName();
        }
        const TMainFormActions& a = form->Actions();
        for (QWidget* control : {static_cast<QWidget*>(a.mniLoadTask), static_cast<QWidget*>(a.btnTaskList),
                                 static_cast<QWidget*>(form->cbbSchema)}) {
            if (control->isEnabled())
                names << control->objectName();
        }
        names.sort();
        return names;
    }

    TUniConnection lock;
    std::unique_ptr<apptest::ProgramUnits> units;
    std::unique_ptr<TQuenmarel> app;
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainFormTest, TheLogonStatesSwitchActionsAndCaption)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    // Log On, Exit, the built Help entries and Options; every other action
    // waits for its window in both states. The Table menu follows the tree.
    const QStringList always = {"OpenExceptionFile1", "Options1", "ScheduledTasks1", "ShowLog1", "Upgrade1", "actExit", "mniAbout",
                                "mniContent", "mniEmail", "mniHomepage"};
    const QStringList tree = {"CreateTable1", "DropTable2", "cbbSchema", "mniRefresh", "mniViewStruct",
                              "actNewSql", "actOpen", "actSave", "actEditData"};
    const auto with = [&](const QStringList& more) {
        QStringList names = always + more;
        names.sort();
        return names;
    };
    struct Step {
        const char* name;
        std::function<void()> act;
        QStringList enabled;
        QString caption;
    };
    const QString loggedOn = QStringLiteral("Vantorquill -- MySQL (") + vqtest::TestDbServer().user
                             + QLatin1Char('@') + vqtest::TestDbServer().host + QLatin1Char(':')
                             + QString::number(vqtest::TestDbServer().port) + QStringLiteral(":mysql)");
    const Step steps[] = {
        {"start", [] {}, with({"actLogon"}), "Quenmarel"},
        {"cancelled logon",
         [&] {
             TProbeLogonForm::Accept = false;
             form->Actions().actLogon->trigger();
         },
         with({"actLogon"}), "Quenmarel"},
        {"logon",
         [&] {
             TProbeLogonForm::Accept = true;
             form->Actions().actLogon->trigger();
         },
         with(QStringList{"actLogoff", "actImportLob", "actExportLob", "actMergeLOBs", "actOpenImportTask",
                          "actOpenExportTask", "mniLoadTask", "actCreateBatchFile", "btnTaskList"} + tree),
         loggedOn},
        {"logoff", [&] { form->Actions().actLogoff->trigger(); }, with({"actLogon"}), TMainForm::CaptionNotLoggedOn()},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(EnabledEntries(), step.enabled);
        EXPECT_EQ(form->windowTitle(), step.caption);
    }
    EXPECT_FALSE(form->DBFacade()->IsConnected());
}

TEST_F(MainFormTest, TheLogonDialogOpensOnFirstShowOnly)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(TProbeLogonForm::Shown, 1);
    EXPECT_TRUE(form->IsLoggedOn());

    form->showMinimized();
    QCoreApplication::processEvents();
    form->showNormal();
    QCoreApplication::processEvents();
    form->hide();
    form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(TProbeLogonForm::Shown, 1);
}

TEST_F(MainFormTest, LogoffClosesEveryChildWindow)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    form->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->IsLoggedOn());
    for (const char* caption : {"Query", "Edit t"}) {
        QWidget* child = form->FormManager()->NewWindow<QWidget>(QLatin1String(caption));
        ASSERT_NE(child, nullptr);
        child->show();
    }
    // Opened without the manager: no tab, closed all the same.
    QMdiSubWindow* direct = form->MdiArea->addSubWindow(new QWidget);
    direct->setAttribute(Qt::WA_DeleteOnClose);
    direct->show();
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 3);
    ASSERT_EQ(form->pgcChild->count(), 2);
    EXPECT_EQ(form->ActiveChild(), direct->widget());

    form->Actions().actLogoff->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(form->MdiArea->subWindowList().isEmpty());
    EXPECT_EQ(form->ActiveChild(), nullptr);
    EXPECT_EQ(form->pgcChild->count(), 0);
    EXPECT_FALSE(form->pgcChild->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vantorquill -- Not Logged On"));
}

TEST_F(MainFormTest, HelpEntriesOpenTheirTargets)
{
    vqtest::FakeShellOpener opener;
    TMainFormActions& a = form->Actions();
    struct Entry {
        QAction* action;
        QString target;
    } const entries[] = {
        {a.mniContent, HelpFilePath(QStringLiteral("index.html"))},
        {a.mniHomepage, QStringLiteral("https://www.corvanta.example/")},
        {a.mniEmail, QStringLiteral("mailto:support@corvanta.example")},
        {a.OpenExceptionFile1, GetExceptionLogFile(QStringLiteral("Vantorquill"))},
    };
    for (const Entry& entry : entries) {
        opener.Documents.clear();
        entry.action->trigger();
        EXPECT_EQ(opener.Documents, QStringList{entry.target}) << entry.action->objectName().toStdString();
    }
    EXPECT_TRUE(QFile::exists(HelpFilePath(QStringLiteral("index.html"))));
}

}  // namespace

TEST_F(MainFormTest, TheTreeFollowsLogonAndItsPopupKeepsEightItems)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    TMainFormActions& a = form->Actions();
    a.actLogon->trigger();
    ASSERT_TRUE(form->IsLoggedOn());
    EXPECT_EQ(form->cbbSchema->currentText(), QStringLiteral("mysql"));
    ASSERT_EQ(form->tvDB->topLevelItemCount(), 1);
    EXPECT_EQ(form->tvDB->topLevelItem(0)->text(0), QStringLiteral("mysql"));
    EXPECT_GT(form->tvDB->topLevelItem(0)->child(0)->childCount(), 0) << "the tables of mysql";

    a.actLogoff->trigger();
    EXPECT_EQ(form->tvDB->topLevelItemCount(), 0);
    EXPECT_EQ(form->cbbSchema->count(), 0);
    EXPECT_FALSE(a.mniRefresh->isEnabled());
    a.actLogon->trigger();
    EXPECT_EQ(a.pmTree->actions().size(), 8);

    QTreeWidgetItem* tables = form->tvDB->topLevelItem(0)->child(0);
    form->tvDB->setCurrentItem(tables);
    Q_EMIT a.pmTree->aboutToShow();
    EXPECT_FALSE(a.pmiEditData->isVisible()) << "a branch is no table";
    EXPECT_FALSE(a.DropTable2->isEnabled());
    form->tvDB->setCurrentItem(tables->child(0));
    Q_EMIT a.pmTree->aboutToShow();
    EXPECT_TRUE(a.pmiEditData->isVisible());
    EXPECT_TRUE(a.DropTable2->isEnabled() && a.mniViewStruct->isEnabled());
    EXPECT_TRUE(form->ObjectView()->DataItem()->isEnabled());
}

TEST_F(MainFormTest, AboutOptionsAndShowLogOpenTheirDialogs)
{
    TMainFormActions& a = form->Actions();
    QStringList titles;
    for (QAction* action : {a.mniAbout, a.Options1, a.ShowLog1}) {
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            titles << dialog->windowTitle();
            dialog->close();
        });
        action->trigger();
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("About"), QStringLiteral("Options"), QStringLiteral("Log")}));
}

namespace {

// Closes every start-a-task dialog that opens modally, counting them; a
// check runs on each one first when the test gives it.
class LauncherWatch {
public:
    explicit LauncherWatch(std::function<void(TStartTaskDlg&)> onShown = {}) : FOnShown(std::move(onShown))
    {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            // A closed launcher is no longer the modal widget.
            auto* launcher = qobject_cast<TStartTaskDlg*>(QApplication::activeModalWidget());
            if (!launcher || !launcher->isVisible())
                return;
            ++Shown;
            if (FOnShown)
                FOnShown(*launcher);
            if (launcher->isVisible())
                launcher->reject();
        });
        FTimer.start();
    }

    int Shown = 0;

private:
    std::function<void(TStartTaskDlg&)> FOnShown;
    QTimer FTimer;
};

// A main window that records the launcher's hand-overs instead of opening
// the transfer dialogs.
class TWatchedMainForm : public TMainForm {
public:
    QStringList HandOvers;

    void actImportLobExecute() override { HandOvers << QStringLiteral("actImportLob"); }
    void actExportLobExecute() override { HandOvers << QStringLiteral("actExportLob"); }
    void actOpenImportTaskExecute() override { HandOvers << QStringLiteral("actOpenImportTask"); }
    void actOpenExportTaskExecute() override { HandOvers << QStringLiteral("actOpenExportTask"); }
    void OpenImportTaskFile(const QString& fileName) override { HandOvers << QStringLiteral("Import ") + fileName; }
    void OpenExportTaskFile(const QString& fileName) override { HandOvers << QStringLiteral("Export ") + fileName; }
};

}  // namespace

TEST_F(MainFormTest, TheLauncherFollowsTheFirstLogonWhileSwitchedOnAndTaskListShowsItEveryTime)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    for (const bool showLaunch : {true, false}) {
        SCOPED_TRACE(showLaunch ? "switched on" : "switched off");
        form = std::make_unique<TMainForm>();
        TAppSettings::ShowLaunch = showLaunch;
        LauncherWatch watch;
        form->show();
        ASSERT_TRUE(vqtest::ProcessEventsUntil([&] { return form->IsLoggedOn(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(watch.Shown, showLaunch ? 1 : 0) << "after the first logon";

        TMainFormActions& a = form->Actions();
        a.actLogoff->trigger();
        EXPECT_FALSE(a.btnTaskList->isEnabled());
        a.actLogon->trigger();
        ASSERT_TRUE(a.btnTaskList->isEnabled());
        EXPECT_EQ(watch.Shown, showLaunch ? 1 : 0) << "a second logon shows nothing";

        QTest::mouseClick(a.btnTaskList, Qt::LeftButton);
        QTest::mouseClick(a.btnTaskList, Qt::LeftButton);
        EXPECT_EQ(watch.Shown, showLaunch ? 3 : 2) << "Task List shows it every time";
        // The next window's first show logs on again.
        a.actLogoff->trigger();
        form.reset();
    }
}

TEST_F(MainFormTest, EachLauncherHandOverReachesItsMainWindowOperation)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    TMruList importList(TLobImportSession::RecentKey);
    TMruList exportList(TLobExportSession::RecentKey);
    importList.Clear();
    exportList.Clear();
    importList.Add(QStringLiteral("/t/R&D/a && b.ilt"));
    exportList.Add(QStringLiteral("/t/gone.elt"));
    auto* watched = new TWatchedMainForm;
    form.reset(watched);
    form->Actions().actLogon->trigger();
    ASSERT_TRUE(form->IsLoggedOn());

    const auto clickControl = [](const char* name) {
        return [name](TStartTaskDlg& launcher) {
            auto* control = launcher.findChild<QAbstractButton*>(QString::fromLatin1(name));
            ASSERT_NE(control, nullptr);
            QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(4, control->height() / 2));
        };
    };
    const struct Case {
        const char* name;
        std::function<void(TStartTaskDlg&)> choose;
        QString handOver;
    } cases[] = {
        {"new import", clickControl("alblNewImportLob"), QStringLiteral("actImportLob")},
        {"new export", clickControl("alblNewExportLob"), QStringLiteral("actExportLob")},
        {"load import task", clickControl("alblLoadImportTask"), QStringLiteral("actOpenImportTask")},
        {"load export task", clickControl("btnExportTasks"), QStringLiteral("actOpenExportTask")},
        {"recent import task", [](TStartTaskDlg& l) { l.ImportTasksMenu()->actions().first()->trigger(); },
         QStringLiteral("Import /t/R&D/a && b.ilt")},
        {"recent export task", [](TStartTaskDlg& l) { l.ExportTasksMenu()->actions().first()->trigger(); },
         QStringLiteral("Export /t/gone.elt")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        watched->HandOvers.clear();
        bool closedAfter = false;
        LauncherWatch watch([&](TStartTaskDlg& launcher) {
            c.choose(launcher);
            closedAfter = !launcher.isVisible();
        });
        form->Actions().btnTaskList->click();
        EXPECT_EQ(watch.Shown, 1);
        EXPECT_EQ(watched->HandOvers, QStringList{c.handOver});
        EXPECT_TRUE(closedAfter) << "the launcher closes after its hand-over";
    }
    importList.Clear();
    exportList.Clear();
}

TEST_F(MainFormTest, CreateBatchFileOpensTheBatchDialog)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    RegisterTaskSavingForms();
    form->Actions().actLogon->trigger();
    ASSERT_TRUE(form->Actions().actCreateBatchFile->isEnabled());
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        dialog->close();
    });
    form->Actions().actCreateBatchFile->trigger();
    UnregisterTaskSavingForms();
    EXPECT_EQ(title, QStringLiteral("Create Batch File"));
}

TEST_F(MainFormTest, CheckForUpgradeAsksTheMakersSiteAndShowsTheAnswer)
{
    VQ_REQUIRE_TEST_HTTP();
    vqtest::HttpTestServer server;
    server.SetAnswer(QStringLiteral("versioncheck.php"), 200, "99.1");
    SetMakerSite(server.Address());
    QStringList headers;
    TUpdateCheckRunner::SetPresenter([&](const TUpdateNotice& notice) { headers << notice.Header; });
    form->Actions().Upgrade1->trigger();
    EXPECT_TRUE(vqtest::ProcessEventsUntil([&] { return TUpdateCheckRunner::RunningCount() == 0; }));
    TUpdateCheckRunner::SetPresenter(nullptr);
    SetMakerSite(QString());
    EXPECT_EQ(server.Requests().size(), 1);
    EXPECT_EQ(headers, QStringList{QStringLiteral("Updates are available for Vantorquill, version 99.1")});
}

TEST_F(MainFormTest, TheDataWindowCommandsOpenRunAndSave)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    vqtest::FakePrompter prompter;
    TMainFormActions& a = form->Actions();
    a.actLogon->trigger();
    ASSERT_TRUE(form->IsLoggedOn());
    form->show();

    // Open Sql: a window of its own, without a tab, not maximised.
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("in.sql"));
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("select 1;\n");
    }
    prompter.QueueText(source);
    a.actOpen->trigger();
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(form->pgcChild->count(), 0);
    QMdiSubWindow* opened = form->MdiArea->subWindowList().last();
    EXPECT_FALSE(opened->isMaximized());
    EXPECT_EQ(qobject_cast<TSqlForm*>(opened->widget())->GetSqlText(), QStringLiteral("select 1;\n"));

    // View/Edit Data without a table: the message, nothing opened.
    form->tvDB->setCurrentItem(form->tvDB->topLevelItem(0));
    a.actEditData->trigger();
    EXPECT_EQ(prompter.Messages().value(0), QStringLiteral("Please select a table or view."));
    EXPECT_EQ(form->MdiArea->subWindowList().size(), 1);

    // A table of the tree: a tab "Edit " + name over its rows.
    QTreeWidgetItem* tables = form->tvDB->topLevelItem(0)->child(0);
    QTreeWidgetItem* table = nullptr;
    for (int i = 0; i < tables->childCount() && !table; ++i) {
        if (tables->child(i)->text(0) == QLatin1String("global_priv"))
            table = tables->child(i);
    }
    ASSERT_NE(table, nullptr);
    form->tvDB->setCurrentItem(table);
    form->ObjectView()->DataItem()->trigger();
    ASSERT_EQ(form->pgcChild->count(), 1);
    EXPECT_EQ(form->pgcChild->tabText(0), QStringLiteral("Edit global_priv"));
    auto* edit = qobject_cast<TSqlForm*>(form->MdiArea->subWindowList().value(1)->widget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetSqlText(), form->Dictionary()->GetSelectAllSql(QStringLiteral("mysql"), QStringLiteral("global_priv")));
    EXPECT_TRUE(edit->DataSetSql()->Active());
    EXPECT_GT(edit->GridModel()->rowCount(), 0);

    a.actNewSql->trigger();
    ASSERT_EQ(form->pgcChild->count(), 2);
    EXPECT_EQ(form->pgcChild->tabText(1), QStringLiteral("Query"));

    // Save Sql: the active window's text.
    form->MdiArea->setActiveSubWindow(opened);
    qobject_cast<TSqlForm*>(opened->widget())->SetSqlText(QStringLiteral("select 2;\n"));
    const QString target = dir.filePath(QStringLiteral("out.sql"));
    prompter.QueueText(target);
    a.actSave->trigger();
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("select 2;\n"));

    a.actLogoff->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form->MdiArea->subWindowList().isEmpty());
}

TEST_F(MainFormTest, TreeActionsActOnTheTableNamedInTheTreeOnly)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    TUniConnection admin;
    apptest::PointAtTestServer(admin);
    admin.Connect();
    const QString database = QStringLiteral("vq_tree_%1").arg(QCoreApplication::applicationPid());
    admin.ExecSQL(QStringLiteral("drop database if exists `%1`").arg(database));
    admin.ExecSQL(QStringLiteral("create database `%1`").arg(database));
    struct DropDatabase {
        TUniConnection& Admin;
        QString Name;
        ~DropDatabase() { Admin.ExecSQL(QStringLiteral("drop database if exists `%1`").arg(Name)); }
    } dropDatabase{admin, database};
    admin.SetDatabase(database);
    // Each table has a column of its own and one row whose id tells it apart.
    const struct {
        const char* name;     // as the catalogue has it
        const char* quoted;   // how a test writes it
        const char* column;
    } tables[] = {
        {" victim", "` victim`", "blank_col"},
        {"`q`", "```q```", "tick_col"},
        {"a`b", "`a``b`", "ab_col"},
        {"a@b", "`a@b`", "at_col"},
        {"victim", "`victim`", "plain_col"},
    };
    const int count = int(std::size(tables));
    for (int i = 0; i < count; ++i) {
        admin.ExecSQL(QStringLiteral("create table %1 (id int primary key, %2 int)")
                          .arg(QLatin1String(tables[i].quoted), QLatin1String(tables[i].column)));
        admin.ExecSQL(QStringLiteral("insert into %1 values (%2, 0)").arg(QLatin1String(tables[i].quoted)).arg(i + 1));
    }
    const auto remaining = [&] {
        QStringList names;
        for (const auto& t : tables) {
            TUniQuery rows;
            rows.SetConnection(&admin);
            rows.SetSQL(QStringLiteral("select count(*) from information_schema.tables where table_schema = :s and table_name = :t"));
            rows.ParamByName(QStringLiteral("s"))->SetAsString(database);
            rows.ParamByName(QStringLiteral("t"))->SetAsString(QString::fromUtf8(t.name));
            rows.Open();
            if (rows.Fields(0)->AsInteger() == 1)
                names << QString::fromUtf8(t.name);
        }
        return names;
    };

    vqtest::FakePrompter prompter;
    form->Actions().actLogon->trigger();
    ASSERT_TRUE(form->IsLoggedOn());
    form->show();
    form->cbbSchema->setCurrentIndex(form->cbbSchema->findText(database));
    Q_EMIT form->cbbSchema->activated(form->cbbSchema->currentIndex());
    const auto select = [&](const char* name) {
        QTreeWidgetItem* branch = form->tvDB->topLevelItem(0)->child(0);
        for (int i = 0; i < branch->childCount(); ++i) {
            if (branch->child(i)->text(0) == QString::fromUtf8(name)) {
                form->tvDB->setCurrentItem(branch->child(i));
                return true;
            }
        }
        return false;
    };

    for (int i = 0; i < count; ++i) {
        const auto& t = tables[i];
        SCOPED_TRACE(t.name);
        ASSERT_TRUE(select(t.name));
        // View/Edit Data: the rows of this table.
        form->ObjectView()->DataItem()->trigger();
        auto* edit = qobject_cast<TSqlForm*>(form->MdiArea->subWindowList().last()->widget());
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->DataSetSql()->Active()) << prompter.Messages().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(edit->DataSetSql()->FieldNames(), (QStringList{QStringLiteral("id"), QLatin1String(t.column)}));
        EXPECT_EQ(edit->DataSetSql()->FieldByName(QStringLiteral("id"))->AsInteger(), i + 1);
        // View Table Info: the columns of this table.
        QStringList columns;
        QTimer::singleShot(0, [&] {
            auto* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* grid = dialog->findChild<QTableWidget*>(QStringLiteral("grdColumns"));
            for (int r = 0; grid && r < grid->rowCount(); ++r)
                columns << grid->item(r, cgFieldName)->text();
            dialog->close();
        });
        form->ObjectView()->StructItem()->trigger();
        EXPECT_EQ(columns, (QStringList{QStringLiteral("id"), QLatin1String(t.column)}));
    }
    EXPECT_TRUE(prompter.Messages().isEmpty()) << prompter.Messages().join(QLatin1Char('\n')).toStdString();

    // Drop Table: this table goes, every other stays.
    QStringList left = remaining();
    ASSERT_EQ(left.size(), count);
    for (const auto& t : tables) {
        SCOPED_TRACE(t.name);
        ASSERT_TRUE(select(t.name));
        prompter.Prompts.clear();
        prompter.QueueAnswer(TPromptAnswer::OK);
        form->ObjectView()->DropItem()->trigger();
        EXPECT_EQ(prompter.Messages(), QStringList{QStringLiteral("Drop table ") + QString::fromUtf8(t.name) + QLatin1Char('?')});
        left.removeOne(QString::fromUtf8(t.name));
        EXPECT_EQ(remaining(), left);
    }
}
