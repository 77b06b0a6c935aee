#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;
class TMDIChildArea;
class TWindowMenu;

// The main window's action list, menus, toolbar and tree popup. The main
// window binds the handlers; an action whose window is not built yet stays
// disabled and unbound.
class TMainFormActions : public QObject {
    Q_OBJECT
public:
    // Builds the menu bar, the toolbar and the tree popup of form.
    TMainFormActions(QMainWindow* form, TMDIChildArea* childArea);

    // ActionList1.
    QAction* actLogon;
    QAction* actLogoff;
    QAction* actNewSql;
    QAction* actOpen;
    QAction* actSave;
    QAction* actEditData;
    QAction* actImportLob;
    QAction* actExportLob;
    QAction* actMergeLOBs;
    QAction* actOpenImportTask;
    QAction* actOpenExportTask;
    QAction* actCreateBatchFile;
    QAction* actExit;

    // Menu entries without an action of the list.
    QAction* mniRefresh;
    QAction* mniViewStruct;
    QAction* CreateTable1;
    QAction* DropTable2;
    QAction* ScheduledTasks1;
    QAction* Options1;
    QAction* mniContent;
    QAction* mniHomepage;
    QAction* mniEmail;
    QAction* ShowLog1;
    QAction* OpenExceptionFile1;
    QAction* Upgrade1;
    QAction* mniAbout;

    // MainMenu1.
    QMenu* File1;
    QMenu* mniLoadTask;
    QMenu* mniDatabase;
    QMenu* able1;
    QMenu* tools1;
    QMenu* Window1;
    QMenu* Help1;
    TWindowMenu* WindowMenu;

    QToolBar* ToolBar1;
    QToolButton* btnTaskList;

    // The popup of tvDB; its items follow their actions.
    QMenu* pmTree;
    QAction* pmiEditData;
    QAction* ImportLOB1;
    QAction* ExportLOB1;

private:
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint = QString());
    void BuildMenus(QMainWindow* form, TMDIChildArea* childArea);
    void BuildToolBar(QMainWindow* form);
    void BuildTreePopup(QMainWindow* form);

    QObject* FOwner;
};
