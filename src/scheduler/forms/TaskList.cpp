#include "TaskList.h"

#include "Props.h"

#include "TaskWizard.h"
#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "scheduler/UScheduleTaskUtil.h"
#include "scheduler/UTaskScheduler.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

enum TColumn { colName, colSchedule, colNextRun, colLastRun, colStatus, colCreator };
// Room beside a cell's text for the item's margins.
const int RunTimePadding = 10;

// The icon of a program by its name alone, so the file is never opened.
QIcon ProgramIcon(const QString& fileName)
{
    static const QMimeDatabase mimeTypes;
    const QMimeType type = mimeTypes.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const QIcon fallback = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
}

}  // namespace

TTaskListForm::TTaskListForm(QWidget* parent, tasksched::TServiceContextPtr context, bool useTaskScheduler1Only)
    : QDialog(parent),
      Scheduler(std::make_unique<TTaskScheduler>(nullptr, std::move(context))),
      ListView(new QTreeWidget(this)),
      ToolBar(new QToolBar(this)),
      pnlTarget(new QLabel(this)),
      StatusBar1(new QStatusBar(this)),
      popSelected(new QMenu(this)),
      popView(new QMenu(this))
{
    ExecuteTaskProperties = [this](TTaskItem* task) { return ::ExecuteTaskProperties(task, this); };
    setObjectName(QStringLiteral("TaskListForm"));
    setWindowTitle(QStringLiteral("Task Scheduler (Corvanta Software)"));
    resize(768, 516);
    ListView->setObjectName(QStringLiteral("ListView"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    pnlTarget->setObjectName(QStringLiteral("pnlTarget"));
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    popSelected->setObjectName(QStringLiteral("popSelected"));
    popView->setObjectName(QStringLiteral("popView"));

    Scheduler->SetAutoRefresh(false);
    Scheduler->SetDuplicate(tdError);
    Scheduler->SetUseTaskScheduler1Only(useTaskScheduler1Only);
    Scheduler->SetActive(true);

    acRefresh = MakeAction("acRefresh", QStringLiteral("Refresh"), QStringLiteral("Refresh|Refreshes the task list"),
                           &TTaskListForm::acRefreshExecute);
    acProperties = MakeAction("acProperties", QStringLiteral("Properties"),
                              QStringLiteral("Properties|Displays Properties Dialog"),
                              &TTaskListForm::acPropertiesExecute);
    acNew = MakeAction("acNew", QStringLiteral("New Task"), QStringLiteral("New|Creates a new task"),
                       &TTaskListForm::acNewExecute);
    acRun = MakeAction("acRun", QStringLiteral("Run"), QStringLiteral("Run|Runs the task immediately"),
                       &TTaskListForm::acRunExecute);
    acDelete = MakeAction("acDelete", QStringLiteral("Delete"), QStringLiteral("Delete|Deletes the seleceted task(s)"),
                          &TTaskListForm::acDeleteExecute);
    acClose = MakeAction("acClose", QStringLiteral("Close"), QStringLiteral("Close|Closes the application"),
                         &TTaskListForm::acCloseExecute);
    acNew->setIcon(QIcon::fromTheme(QStringLiteral("document-new")));
    acRun->setIcon(QIcon::fromTheme(QStringLiteral("media-playback-start")));
    acDelete->setIcon(QIcon::fromTheme(QStringLiteral("edit-delete")));
    acProperties->setIcon(QIcon::fromTheme(QStringLiteral("document-properties")));
    acRefresh->setIcon(QIcon::fromTheme(QStringLiteral("view-refresh")));

    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setIconSize(QSize(24, 24));
    ToolBar->addAction(acNew);
    ToolBar->addSeparator();
    ToolBar->addAction(acRun);
    ToolBar->addSeparator();
    ToolBar->addAction(acDelete);
    ToolBar->addAction(acProperties);
    ToolBar->addSeparator();
    ToolBar->addAction(acRefresh);
    for (QAction* action : ToolBar->actions()) {
        if (QWidget* button = ToolBar->widgetForAction(action); button && !action->isSeparator())
            button->setMinimumSize(56, 44);
    }
    popSelected->addAction(acRun);
    popSelected->addSeparator();
    popSelected->addAction(acDelete);
    popSelected->addAction(acProperties);
    popView->addAction(acNew);
    popView->addSeparator();
    popView->addAction(acRefresh);

    pnlTarget->setFixedHeight(26);
    QFont bold = pnlTarget->font();
    bold.setBold(true);
    pnlTarget->setFont(bold);
    pnlTarget->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    ListView->setRootIsDecorated(false);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Schedule"), QStringLiteral("Next Run Time"),
                               QStringLiteral("Last Run Time"), QStringLiteral("Status"), QStringLiteral("Creator")});
    int column = 0;
    for (int width : {148, 200, 123, 123, 80, 90})
        ListView->setColumnWidth(column++, width);
    // The run times show whole in the font at hand.
    const QString widest = RunTimeText(DateTimeToSerial(QDateTime(QDate(2000, 12, 28), QTime(20, 58, 58))));
    const int runTimeWidth = ListView->fontMetrics().horizontalAdvance(widest) + 2 * RunTimePadding;
    for (int runTime : {colNextRun, colLastRun})
        ListView->setColumnWidth(runTime, std::max(ListView->columnWidth(runTime), runTimeWidth));
    ListView->setAccessibleName(QStringLiteral("Scheduled tasks"));
    ListView->viewport()->installEventFilter(this);
    connect(ListView, &QTreeWidget::itemSelectionChanged, this, GuardedSlot([this] { UpdateActions(); }));
    connect(ListView, &QTreeWidget::itemDoubleClicked, this, GuardedSlot([this] { ListViewDblClick(); }));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar);
    layout->addWidget(pnlTarget);
    layout->addWidget(ListView, 1);
    layout->addWidget(StatusBar1);

    FormCreate();
}

TTaskListForm::~TTaskListForm()
{
    // The rows borrow the scheduler's items: they go first.
    ListView->clear();
}

QAction* TTaskListForm::MakeAction(const char* name, const QString& caption, const QString& hint,
                                   void (TTaskListForm::*handler)())
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
    action->setStatusTip(hint.section(QLatin1Char('|'), 1));
    connect(action, &QAction::triggered, this, GuardedSlot([this, handler] { (this->*handler)(); }));
    addAction(action);
    return action;
}

void TTaskListForm::FormCreate()
{
    acRefresh->trigger();
    // The banner shows its own colours, not the themed background.
    pnlTarget->setAutoFillBackground(true);
    QPalette palette = pnlTarget->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Inactive, QPalette::Highlight).lighter(160));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::WindowText));
    pnlTarget->setPalette(palette);
    UpdateActions();
}

bool TTaskListForm::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        StatusBar1->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

bool TTaskListForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            // The row under the mouse is selected first, as a right click does.
            GuardedCall([&] {
                if (QTreeWidgetItem* row = ListView->itemAt(mouse->position().toPoint()); row && !row->isSelected())
                    ListView->setCurrentItem(row);
                ListViewMouseDown(Qt::RightButton, mouse->position().toPoint());
            });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

TTaskItem* TTaskListForm::RowTask(const QTreeWidgetItem* row)
{
    return row ? reinterpret_cast<TTaskItem*>(row->data(colName, Qt::UserRole).value<quintptr>()) : nullptr;
}

void TTaskListForm::TaskSchedulerRefresh()
{
    ListView->clear();
    Scheduler->Refresh();
    for (int i = 0; i < Scheduler->Count(); ++i) {
        TTaskItem* task = Scheduler->GetItem(i);
        auto* row = new QTreeWidgetItem(ListView, {task->Name()});
        row->setData(colName, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(task)));
        FillTaskListItem(row);
    }
    pnlTarget->setText(QStringLiteral(" Scheduled tasks on %1").arg(Scheduler->TargetComputer()));
    UpdateActions();
}

void TTaskListForm::FillTaskListItem(QTreeWidgetItem* row)
{
    TTaskItem* task = RowTask(row);
    if (!task)
        return;
    task->Activate();
    struct Release {
        TTaskItem* task;
        ~Release()
        {
            try {
                task->Deactivate(false);
            } catch (...) {
            }
        }
    } release{task};
    for (int column = colSchedule; column <= colCreator; ++column)
        row->setText(column, QString());
    row->setIcon(colName, ProgramIcon(task->ApplicationName()));
    row->setText(colSchedule, GetTaskScheduleText(*task));
    row->setText(colNextRun, RunTimeText(task->NextRunTime()));
    row->setText(colLastRun, RunTimeText(task->MostRecentRunTime()));
    row->setText(colStatus, TaskStatusText(task->Status()));
    row->setText(colCreator, task->Creator());
}

void TTaskListForm::UpdateActions()
{
    const int selected = int(ListView->selectedItems().size());
    acProperties->setEnabled(selected == 1);
    acRun->setEnabled(selected >= 1);
    acDelete->setEnabled(selected >= 1);
    for (QAction* action : {acNew, acRefresh, acClose})
        action->setEnabled(true);
}

void TTaskListForm::ListViewMouseDown(Qt::MouseButton button, const QPoint& pos)
{
    if (button != Qt::RightButton)
        return;
    UpdateActions();
    QMenu* menu = ListView->selectedItems().isEmpty() ? popView : popSelected;
    menu->popup(ListView->viewport()->mapToGlobal(pos));
}

void TTaskListForm::ListViewDblClick()
{
    UpdateActions();
    if (acProperties->isEnabled())
        acProperties->trigger();
}

void TTaskListForm::ScheduleProgram(const QString& programPath)
{
    TTaskItem* task = nullptr;
    ExecuteNewTaskWizard(Scheduler.get(), programPath, task);
    acRefresh->trigger();
}

void TTaskListForm::acRefreshExecute()
{
    TaskSchedulerRefresh();
}

void TTaskListForm::acPropertiesExecute()
{
    const QList<QTreeWidgetItem*> selected = ListView->selectedItems();
    QTreeWidgetItem* row = selected.isEmpty() ? nullptr : selected.first();
    TTaskItem* task = RowTask(row);
    if (!task || !ExecuteTaskProperties)
        return;
    if (ExecuteTaskProperties(task))
        FillTaskListItem(row);
    else
        TaskSchedulerRefresh();
}

void TTaskListForm::acNewExecute()
{
    TTaskItem* task = nullptr;
    ExecuteNewTaskWizard(Scheduler.get(), QString(), task);
    acRefresh->trigger();
}

void TTaskListForm::acRunExecute()
{
    for (int i = 0; i < ListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView->topLevelItem(i);
        TTaskItem* task = row->isSelected() ? RowTask(row) : nullptr;
        if (!task)
            continue;
        task->Activate();
        try {
            task->Run();
        } catch (...) {
            task->Deactivate(false);
            throw;
        }
        task->Deactivate(false);
    }
}

void TTaskListForm::acDeleteExecute()
{
    if (TPrompter::Instance().Ask(QStringLiteral("Are you sure you want to delete the selected task(s)?"),
                                  pbYes | pbNo, TPromptKind::Warning)
        != TPromptAnswer::Yes)
        return;
    for (int i = ListView->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* row = ListView->topLevelItem(i);
        if (!row->isSelected())
            continue;
        // One task that cannot go keeps its row; the others still go.
        try {
            if (TTaskItem* task = RowTask(row))
                Scheduler->DeleteTask(task->Name());
            delete row;
        } catch (...) {
        }
    }
    UpdateActions();
}

void TTaskListForm::acCloseExecute()
{
    close();
}
