#pragma once

#include "platform/tasksched/UWorkItem.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TTaskItem;
class TTaskScheduler;

// The scheduled tasks of the user, with New, Run, Delete, Properties and
// Refresh. The rows borrow the scheduler's items until the next refresh.
class TTaskListForm : public QDialog {
    Q_OBJECT
public:
    // context empty: the user's own task store.
    explicit TTaskListForm(QWidget* parent = nullptr, tasksched::TServiceContextPtr context = nullptr,
                           bool useTaskScheduler1Only = false);
    ~TTaskListForm() override;

    // The new-task wizard with the program preset, then a refresh whatever
    // the wizard's outcome.
    void ScheduleProgram(const QString& programPath);
    void TaskSchedulerRefresh();
    void FillTaskListItem(QTreeWidgetItem* row);
    static TTaskItem* RowTask(const QTreeWidgetItem* row);

    // Enables the actions for the selection.
    void UpdateActions();
    // A right-button press at pos (viewport co-ordinates) pops up the menu
    // that fits the selection.
    void ListViewMouseDown(Qt::MouseButton button, const QPoint& pos);
    void ListViewDblClick();

    // The properties dialog: true when it saved the task. Empty: Properties
    // does nothing.
    std::function<bool(TTaskItem*)> ExecuteTaskProperties;

    std::unique_ptr<TTaskScheduler> Scheduler;
    QTreeWidget* ListView;
    QToolBar* ToolBar;
    QLabel* pnlTarget;
    QStatusBar* StatusBar1;
    QAction* acRefresh;
    QAction* acProperties;
    QAction* acNew;
    QAction* acRun;
    QAction* acDelete;
    QAction* acClose;
    QMenu* popSelected;
    QMenu* popView;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint,
                        void (TTaskListForm::*handler)());
    void FormCreate();
    void acRefreshExecute();
    void acPropertiesExecute();
    void acNewExecute();
    void acRunExecute();
    void acDeleteExecute();
    void acCloseExecute();
};
