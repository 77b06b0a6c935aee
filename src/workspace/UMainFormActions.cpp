#include "UMainFormActions.h"

#include "UWindowMenu.h"

#include "widgets/UAppIcons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {
// A popup entry that stands for action: same text, same enabled state, and a
// click triggers it. Its own visibility stays free for the popup's rules.
QAction* AddProxyItem(QMenu* menu, const char* name, QAction* action)
{
    QAction* item = menu->addAction(action->text());
    item->setObjectName(QLatin1String(name));
    item->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::changed, item, [item, action] { item->setEnabled(action->isEnabled()); });
    QObject::connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    return item;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& title)
{
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}
}  // namespace

TMainFormActions::TMainFormActions(QMainWindow* form, TMDIChildArea* childArea) : QObject(form), FOwner(form)
{
    actLogon = MakeAction("actLogon", QStringLiteral("Log On"));
    actLogoff = MakeAction("actLogoff", QStringLiteral("Log Off"));
    actNewSql = MakeAction("actNewSql", QStringLiteral("Query"));
    actOpen = MakeAction("actOpen", QStringLiteral("Open Sql"), QStringLiteral("Open Sql File"));
    actSave = MakeAction("actSave", QStringLiteral("Save Sql"), QStringLiteral("Save Sql File"));
    actEditData = MakeAction("actEditData", QStringLiteral("View/Edit Data"));
    actImportLob = MakeAction("actImportLob", QStringLiteral("Import LOB"), QStringLiteral("Import LOB"));
    actExportLob = MakeAction("actExportLob", QStringLiteral("Export LOB"), QStringLiteral("Export LOB"));
    actMergeLOBs = MakeAction("actMergeLOBs", QStringLiteral("Merge LOBs to a file"),
                              QStringLiteral("Merge LOBs to a file"));
    actOpenImportTask = MakeAction("actOpenImportTask", QStringLiteral("Import Lob Task"));
    actOpenExportTask = MakeAction("actOpenExportTask", QStringLiteral("Export Lob Task"));
    actCreateBatchFile = MakeAction("actCreateBatchFile", QStringLiteral("Create Batch File"));
    actExit = MakeAction("actExit", QStringLiteral("Exit"));

    mniRefresh = MakeAction("mniRefresh", QStringLiteral("Refresh"));
    mniViewStruct = MakeAction("mniViewStruct", QStringLiteral("View Table Info"));
    CreateTable1 = MakeAction("CreateTable1", QStringLiteral("Create Table"));
    DropTable2 = MakeAction("DropTable2", QStringLiteral("Drop Table"));
    ScheduledTasks1 = MakeAction("ScheduledTasks1", QStringLiteral("Scheduled Tasks"));
    Options1 = MakeAction("Options1", QStringLiteral("Options"));
    mniContent = MakeAction("mniContent", QStringLiteral("Content"));
    mniHomepage = MakeAction("mniHomepage", QStringLiteral("Homepage"));
    mniEmail = MakeAction("mniEmail", QStringLiteral("Support Email"));
    ShowLog1 = MakeAction("ShowLog1", QStringLiteral("Show Log"));
    OpenExceptionFile1 = MakeAction("OpenExceptionFile1", QStringLiteral("Open Exception File"));
    Upgrade1 = MakeAction("Upgrade1", QStringLiteral("Check for Upgrade"));
    mniAbout = MakeAction("mniAbout", QStringLiteral("About"));

    actLogoff->setEnabled(false);
    // Disabled until the logon enables them.
    for (QAction* action : {actNewSql, actOpen, actSave, actEditData, actImportLob, actExportLob, actMergeLOBs,
                            actOpenImportTask, actOpenExportTask, actCreateBatchFile})
        action->setEnabled(false);
    // Their windows and dialogs are not built yet.
    for (QAction* action : {mniRefresh, mniViewStruct, CreateTable1, DropTable2, ScheduledTasks1, Options1,
                            ShowLog1, Upgrade1, mniAbout})
        action->setEnabled(false);

    BuildMenus(form, childArea);
    BuildToolBar(form);
    BuildTreePopup(form);
}

QAction* TMainFormActions::MakeAction(const char* name, const QString& caption, const QString& hint)
{
    auto* action = new QAction(caption, FOwner);
    action->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

void TMainFormActions::BuildMenus(QMainWindow* form, TMDIChildArea* childArea)
{
    QMenuBar* bar = form->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = AddMenu(bar, "File1", QStringLiteral("File"));
    File1->addActions({actNewSql, actOpen, actSave});
    mniLoadTask = File1->addMenu(QStringLiteral("Load Task"));
    mniLoadTask->setObjectName(QStringLiteral("mniLoadTask"));
    mniLoadTask->addActions({actOpenImportTask, actOpenExportTask});
    mniLoadTask->setEnabled(false);
    File1->addAction(actExit);

    mniDatabase = AddMenu(bar, "mniDatabase", QStringLiteral("Database"));
    mniDatabase->addActions({actLogon, actLogoff});

    able1 = AddMenu(bar, "able1", QStringLiteral("Table"));
    able1->addActions({mniRefresh, actEditData, mniViewStruct, CreateTable1, DropTable2});

    tools1 = AddMenu(bar, "tools1", QStringLiteral("Tools"));
    tools1->addActions({actImportLob, actExportLob, actMergeLOBs, actCreateBatchFile, ScheduledTasks1, Options1});

    Window1 = AddMenu(bar, "Window1", QStringLiteral("Window"));
    WindowMenu = new TWindowMenu(Window1, childArea);

    Help1 = AddMenu(bar, "Help1", QStringLiteral("Help"));
    Help1->addAction(mniContent);
    Help1->addSeparator();
    Help1->addActions({mniHomepage, mniEmail});
    Help1->addSeparator();
    Help1->addActions({ShowLog1, OpenExceptionFile1, Upgrade1, mniAbout});
}

void TMainFormActions::BuildToolBar(QMainWindow* form)
{
    ToolBar1 = form->addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(24, 24));

    // The pictures by the desktop's standard names; the menus show them too.
    const struct {
        QAction* action;
        const char* name;
        const char* hint;
        const char* icon;
        QStyle::StandardPixmap fallback;
    } buttons[] = {
        {actLogon, "tbLogon", "LogOn", "network-server", QStyle::SP_DriveNetIcon},
        {actLogoff, "tbLogoff", "LogOff", "system-log-out", QStyle::SP_BrowserStop},
        {nullptr, nullptr, nullptr, nullptr, {}},
        {actOpen, "tbOpen", nullptr, "document-open", QStyle::SP_DialogOpenButton},
        {actEditData, "ToolButton2", nullptr, "document-properties", QStyle::SP_FileDialogDetailedView},
        {actNewSql, "tbNewSql", "Open Sql Window", "document-new", QStyle::SP_FileIcon},
        {actImportLob, "btnImportLob", nullptr, "go-down", QStyle::SP_ArrowDown},
        {actExportLob, "btnExportLob", nullptr, "go-up", QStyle::SP_ArrowUp},
        {nullptr, nullptr, nullptr, nullptr, {}},
    };
    for (const auto& button : buttons) {
        if (!button.action) {
            ToolBar1->addSeparator();
            continue;
        }
        button.action->setIcon(ThemeIcon(button.icon, button.fallback));
        ToolBar1->addAction(button.action);
        QWidget* widget = ToolBar1->widgetForAction(button.action);
        widget->setObjectName(QLatin1String(button.name));
        widget->setMinimumSize(79, 36);
        if (button.hint)
            widget->setToolTip(QLatin1String(button.hint));
    }
    btnTaskList = new QToolButton(ToolBar1);
    btnTaskList->setObjectName(QStringLiteral("btnTaskList"));
    btnTaskList->setText(QStringLiteral("Task List"));
    btnTaskList->setIcon(ThemeIcon("x-office-calendar", QStyle::SP_FileDialogListView));
    btnTaskList->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    btnTaskList->setToolTip(QStringLiteral("Select Task"));
    btnTaskList->setMinimumSize(79, 36);
    btnTaskList->setEnabled(false);
    ToolBar1->addWidget(btnTaskList);
    ScheduledTasks1->setIcon(btnTaskList->icon());
    actSave->setIcon(ThemeIcon("document-save", QStyle::SP_DialogSaveButton));
}

void TMainFormActions::BuildTreePopup(QMainWindow* form)
{
    pmTree = new QMenu(form);
    pmTree->setObjectName(QStringLiteral("pmTree"));
    pmiEditData = AddProxyItem(pmTree, "pmiEditData", actEditData);
    ImportLOB1 = AddProxyItem(pmTree, "ImportLOB1", actImportLob);
    ExportLOB1 = AddProxyItem(pmTree, "ExportLOB1", actExportLob);
}
