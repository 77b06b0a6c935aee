#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"
#include "platform/registry/UMruList.h"
#include "support/VqWidgetTestSupport.h"
#include "transfer/ULobExportSession.h"
#include "transfer/ULobImportSession.h"
#include "transfer/forms/UStartTaskDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// The hand-overs that reached the main window, with whether the launcher was
// still open under them.
struct HandOvers {
    QStringList names;
    bool launcherOpenDuring = true;

    void Record(TStartTaskDlg& dialog, const QString& name)
    {
        names << name;
        launcherOpenDuring = launcherOpenDuring && dialog.isVisible();
    }

    void ConnectTo(TStartTaskDlg& dialog)
    {
        QObject::connect(&dialog, &TStartTaskDlg::NewImportLobRequested, [&] { Record(dialog, S("actImportLob")); });
        QObject::connect(&dialog, &TStartTaskDlg::NewExportLobRequested, [&] { Record(dialog, S("actExportLob")); });
        QObject::connect(&dialog, &TStartTaskDlg::OpenImportTaskRequested,
                         [&] { Record(dialog, S("actOpenImportTask")); });
        QObject::connect(&dialog, &TStartTaskDlg::OpenExportTaskRequested,
                         [&] { Record(dialog, S("actOpenExportTask")); });
        QObject::connect(&dialog, &TStartTaskDlg::OpenImportTaskFileRequested,
                         [&](const QString& file) { Record(dialog, S("OpenImportTaskFile ") + file); });
        QObject::connect(&dialog, &TStartTaskDlg::OpenExportTaskFileRequested,
                         [&](const QString& file) { Record(dialog, S("OpenExportTaskFile ") + file); });
    }
};

class StartTaskDlg : public vqtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ImportList.Clear();
        ExportList.Clear();
        TAppSettings::ShowLaunch = true;
    }

    static QStringList Captions(const QMenu* menu)
    {
        QStringList captions;
        for (const QAction* item : menu->actions())
            captions << item->text();
        return captions;
    }

    TMruList ImportList {TLobImportSession::RecentKey};
    TMruList ExportList {TLobExportSession::RecentKey};
};

}  // namespace

TEST_F(StartTaskDlg, RecentMenusComeFromTheListsNewestFirst)
{
    ImportList.Add(S("/t/old.ilt"));
    ImportList.Add(S("/t/R&D/a && b.ilt"));
    ExportList.Add(S("/t/gone.elt"));
    TStartTaskDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), S("Start a task - Vantorquill"));
    EXPECT_EQ(Captions(dialog.ImportTasksMenu()), QStringList({S("/t/R&&D/a &&&& b.ilt"), S("/t/old.ilt")}));
    EXPECT_EQ(Captions(dialog.ExportTasksMenu()), QStringList{S("/t/gone.elt")});

    HandOvers handOvers;
    handOvers.ConnectTo(dialog);
    dialog.show();
    dialog.ImportTasksMenu()->actions().first()->trigger();
    EXPECT_EQ(handOvers.names, QStringList{S("OpenImportTaskFile /t/R&D/a && b.ilt")});
    EXPECT_TRUE(handOvers.launcherOpenDuring);
    EXPECT_FALSE(dialog.isVisible());

    // A file that no longer exists is handed on as it is.
    TStartTaskDlg second;
    HandOvers more;
    more.ConnectTo(second);
    second.show();
    second.ExportTasksMenu()->actions().first()->trigger();
    EXPECT_EQ(more.names, QStringList{S("OpenExportTaskFile /t/gone.elt")});
    EXPECT_FALSE(second.isVisible());
}

TEST_F(StartTaskDlg, EachChoiceHandsOverThenCloses)
{
    const struct Case {
        const char* control;
        QStringList handOvers;
    } cases[] = {
        {"alblNewImportLob", {S("actImportLob")}},
        {"alblNewExportLob", {S("actExportLob")}},
        {"alblLoadImportTask", {S("actOpenImportTask")}},
        // With empty lists the "..." buttons still open the file dialog.
        {"btnImportTasks", {S("actOpenImportTask")}},
        {"alblLoadExportTask", {S("actOpenExportTask")}},
        {"btnExportTasks", {S("actOpenExportTask")}},
        {"alblEditLob", {}},
        {"btnClose", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        TStartTaskDlg dialog;
        EXPECT_TRUE(dialog.ImportTasksMenu()->isEmpty());
        EXPECT_TRUE(dialog.ExportTasksMenu()->isEmpty());
        HandOvers handOvers;
        handOvers.ConnectTo(dialog);
        dialog.show();
        auto* control = dialog.findChild<QAbstractButton*>(S(c.control));
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(control->text().isEmpty() && control->accessibleName().isEmpty());
        if (auto* split = qobject_cast<QToolButton*>(control)) {
            EXPECT_EQ(split->text(), S("..."));
            EXPECT_EQ(split->popupMode(), QToolButton::MenuButtonPopup);
            QTest::mouseClick(split, Qt::LeftButton, {}, QPoint(4, split->height() / 2));
        } else {
            QTest::mouseClick(control, Qt::LeftButton);
        }
        EXPECT_EQ(handOvers.names, c.handOvers);
        EXPECT_TRUE(handOvers.launcherOpenDuring);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(StartTaskDlg, DoNotShowOnStartIsStoredForTheNextStart)
{
    const QString key = QLatin1String(TAppSettings::RegistryKey);
    TStartTaskDlg dialog;
    auto* check = dialog.findChild<QCheckBox*>(S("chkNotShow"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), S("Do not show on start"));
    EXPECT_FALSE(check->isChecked());
    dialog.show();

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(TAppSettings::ShowLaunch);
    EXPECT_EQ(RegReadString(key, S("NotShowLaunch")), S("-1"));
    EXPECT_TRUE(dialog.isVisible()) << "the box does not close the launcher";

    // The next start reads it.
    TAppSettings::ShowLaunch = true;
    TAppSettings::Load();
    EXPECT_FALSE(TAppSettings::ShowLaunch);
    TStartTaskDlg next;
    EXPECT_TRUE(next.findChild<QCheckBox*>(S("chkNotShow"))->isChecked());

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(RegReadString(key, S("NotShowLaunch")), S("0"));
    TAppSettings::Load();
    EXPECT_TRUE(TAppSettings::ShowLaunch);
}
