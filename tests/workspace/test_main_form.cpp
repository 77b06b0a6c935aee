// The main window over the application object and the real MariaDB: its two
// logon states, the logon dialog on first show, logoff closing every child,
// and the Help entries.
#include "app/UProgram.h"
#include "app/UQuenmarel.h"
#include "app/base/UCommandLine.h"
#include "app/base/URttiUtil.h"
#include "app/base/USystemUtil.h"
#include "app/widgets/UHelpFile.h"
#include "db/UDBLogonForm.h"
#include "platform/dac/UUniConnection.h"
#include "support/VqFakeShellOpener.h"
#include "support/VqTestSupport.h"
#include "workspace/UDBFacade.h"
#include "workspace/UDBObjectView.h"
#include "support/VqWidgetTestSupport.h"
#include "workspace/UMDIPager.h"
#include "workspace/UMainForm.h"
#include "workspace/UMainFormActions.h"
#include "workspace/UQuenmarelFormManager.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>
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
            const vqtest::DbServer server = vqtest::TestDbServer();
            FConnection->SetServer(server.host);
            FConnection->SetPort(server.port);
            FConnection->SetUsername(server.user);
            FConnection->SetPassword(server.password);
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
        InitProgramUnits();
        SetProgramArguments(QStringLiteral("/x/Vantorquill"), {});
        TRttiUtil::RegisterComponentClass<TProbeLogonForm>(QStringLiteral("UMysqlLogonForm.TMysqlLogonForm"));
        TProbeLogonForm::Accept = true;
        TProbeLogonForm::Shown = 0;
        app.reset(TMainFormTestApp::Make());
        form = std::make_unique<TMainForm>();
    }

    void TearDown() override
    {
        form.reset();
        app.reset();
        DoneProgramUnits();
    }

    // A logon raises the server's packet limit; suites that watch that step
    // hold this lock while they do.
    void HoldPacketLimitLock()
    {
        const vqtest::DbServer server = vqtest::TestDbServer();
        lock.SetServer(server.host);
        lock.SetPort(server.port);
        lock.SetUsername(server.user);
        lock.SetPassword(server.password);
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
    std::unique_ptr<TQuenmarel> app;
    std::unique_ptr<TMainForm> form;
};

TEST_F(MainFormTest, TheLogonStatesSwitchActionsAndCaption)
{
    VQ_REQUIRE_TEST_DB();
    HoldPacketLimitLock();
    // Log On, Exit, the built Help entries and Options; every other action
    // waits for its window in both states. The Table menu follows the tree.
    const QStringList always = {"OpenExceptionFile1", "Options1", "ScheduledTasks1", "ShowLog1", "actExit",
                                "mniAbout", "mniContent", "mniEmail", "mniHomepage"};
    const QStringList tree = {"CreateTable1", "DropTable2", "cbbSchema", "mniRefresh", "mniViewStruct"};
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
         with(QStringList{"actLogoff"} + tree), loggedOn},
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

    form->Actions().actLogoff->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(form->MdiArea->subWindowList().isEmpty());
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
    EXPECT_FALSE(form->ObjectView()->DataItem()->isEnabled()) << "until the data window exists";
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
