#include "Props.h"

#include "AccountDetails.h"
#include "UFormParts.h"

#include "base/UAppException.h"
#include "base/UPrompter.h"
#include "widgets/UAppIcons.h"
#include "scheduler/UScheduleTaskUtil.h"
#include "scheduler/UTaskScheduler.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace formparts;

namespace {

const QString KindProgram = QStringLiteral("Start a programm");
const QString KindEMail = QStringLiteral("Send e-mail");
const QString KindMessage = QStringLiteral("Display message");

// A labelled row whose label is the field's buddy.
template <class T>
T* AddRow(QFormLayout* form, const QString& caption, T* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    form->addRow(label, field);
    if (field->accessibleName().isEmpty())
        field->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return field;
}

// The same with the field under its label, across the whole width.
template <class T>
T* AddWideRow(QFormLayout* form, const QString& caption, T* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    form->addRow(label);
    form->addRow(field);
    field->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return field;
}

QComboBox* DropDown(const char* name, const QStringList& items)
{
    auto* box = Named(new QComboBox, name);
    box->addItems(items);
    return box;
}

}  // namespace

TTaskAccountAsker& TPropsDlg::AccountAsker()
{
    static TTaskAccountAsker asker = ExecuteTaskAccountDialog;
    return asker;
}

TPropsDlg::TPropsDlg(TTaskItem* task, QWidget* parent) : QDialog(parent), FTaskItem(task)
{
    setObjectName(QStringLiteral("PropsDlg"));
    // The property sheet shows the program's icon.
    setWindowIcon(ApplicationIcon());
    resize(416, 442);
    auto* layout = new QVBoxLayout(this);
    PageControl = Named(new QTabWidget, "PageControl");
    PageControl->addTab(MakeTaskTab(), QStringLiteral("Task"));
    PageControl->addTab(MakeScheduleTab(), QStringLiteral("Schedule"));
    PageControl->addTab(MakeSettingsTab(), QStringLiteral("Settings"));
    PageControl->addTab(MakeCustomTab(), QStringLiteral("Custom"));
    layout->addWidget(PageControl);
    auto* buttons = new QDialogButtonBox;
    btnOK = Named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), "btnOK");
    btnCancel = Named(buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole), "btnCancel");
    btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    FormCreate();
}

QWidget* TPropsDlg::MakeTaskTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);

    PanelXPTask = Named(new QWidget, "PanelXPTask");
    auto* xp = new QFormLayout(PanelXPTask);
    Image1 = Named(new QLabel, "Image1");
    Image1->setAccessibleName(QStringLiteral("Program icon"));
    edtTaskName = Named(new QLineEdit, "edtTaskName");
    edtTaskName->setReadOnly(true);
    edtTaskName->setAccessibleName(QStringLiteral("Task name"));
    edtTaskName->setBackgroundRole(QPalette::Button);
    xp->addRow(Image1, edtTaskName);
    edtApplicationName = Named(new QLineEdit, "edtApplicationName");
    edtApplicationName->setReadOnly(true);
    btnBrowse = Named(new QPushButton(QStringLiteral("&Browse...")), "btnBrowse");
    auto* appRow = new QHBoxLayout;
    appRow->addWidget(edtApplicationName);
    appRow->addWidget(btnBrowse);
    auto* appLabel = new QLabel(QStringLiteral("&Application:"));
    appLabel->setBuddy(edtApplicationName);
    xp->addRow(appLabel, appRow);
    edtParameters = AddRow(xp, QStringLiteral("&Parameters:"), Named(new QLineEdit, "edtParameters"));
    edtWorkDir = AddRow(xp, QStringLiteral("&Work Dir:"), Named(new QLineEdit, "edtWorkDir"));
    edtCreator = AddRow(xp, QStringLiteral("&Creator:"), Named(new QLineEdit, "edtCreator"));
    layout->addWidget(PanelXPTask);

    PanelVistaTasks = Named(new QWidget, "PanelVistaTasks");
    auto* vista = new QVBoxLayout(PanelVistaTasks);
    StringGrid1 = Named(new QTableWidget(1, 2), "StringGrid1");
    StringGrid1->setAccessibleName(QStringLiteral("Actions"));
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    vista->addWidget(StringGrid1);

    PanelExec = Named(new QWidget, "PanelExec");
    auto* exec = new QFormLayout(PanelExec);
    LabeledEditName = AddRow(exec, QStringLiteral("&Name:"), Named(new QLineEdit, "LabeledEditName"));
    Button1 = Named(new QPushButton(QStringLiteral("Browse...")), "Button1");
    exec->addRow(QString(), Button1);
    LabeledEditParameters = AddRow(exec, QStringLiteral("&Parameters:"), Named(new QLineEdit, "LabeledEditParameters"));
    LabeledEditWorkDir = AddRow(exec, QStringLiteral("&Start in:"), Named(new QLineEdit, "LabeledEditWorkDir"));
    vista->addWidget(PanelExec);

    PanelEMail = Named(new QWidget, "PanelEMail");
    auto* mail = new QFormLayout(PanelEMail);
    EditFrom = AddRow(mail, QStringLiteral("&From:"), Named(new QLineEdit, "EditFrom"));
    EditTo = AddRow(mail, QStringLiteral("&To:"), Named(new QLineEdit, "EditTo"));
    EditSubject = AddRow(mail, QStringLiteral("&Subject:"), Named(new QLineEdit, "EditSubject"));
    EditMailMessage = AddRow(mail, QStringLiteral("&Message:"), Named(new QPlainTextEdit, "EditMailMessage"));
    EditSMTPServer = AddRow(mail, QStringLiteral("SMT&P Server:"), Named(new QLineEdit, "EditSMTPServer"));
    vista->addWidget(PanelEMail);

    PanelMessageBox = Named(new QWidget, "PanelMessageBox");
    auto* message = new QFormLayout(PanelMessageBox);
    EditMessageTitle = AddRow(message, QStringLiteral("&Title:"), Named(new QLineEdit, "EditMessageTitle"));
    EditMessage = AddRow(message, QStringLiteral("&Message:"), Named(new QPlainTextEdit, "EditMessage"));
    vista->addWidget(PanelMessageBox);

    ckbVistaHighestPrivileges =
        Named(new QCheckBox(QStringLiteral("Run with highest privileges")), "ckbVistaHighestPrivileges");
    vista->addWidget(ckbVistaHighestPrivileges);
    layout->addWidget(PanelVistaTasks);

    connect(btnBrowse, &QPushButton::clicked, this, Guarded([this] { BrowseInto(edtApplicationName); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this] { BrowseInto(LabeledEditName); }));
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, Guarded([this](int row, int, int, int) {
        // StringGrid1SelectCell: the row being left keeps its edits.
        if (FUpdating || row < 1 || row == FActionRow || FTaskItem->ActionsCount() == 0)
            return;
        SaveAction(FActionRow);
        FActionRow = row;
        FTaskItem->SetCurrentAction(row);
        ShowAction(row);
        ShowActionPanel(row);
    }));
    return tab;
}

QWidget* TPropsDlg::MakeScheduleTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto* times = new QFormLayout;
    lblNextRunTime = Named(new QLabel, "lblNextRunTime");
    lblNextRunTime->setAccessibleName(QStringLiteral("Next Run Time"));
    times->addRow(new QLabel(QStringLiteral("Next Run Time:")), lblNextRunTime);
    lblLastRunTime = Named(new QLabel, "lblLastRunTime");
    lblLastRunTime->setAccessibleName(QStringLiteral("Last Run Time"));
    times->addRow(new QLabel(QStringLiteral("Last Run Time:")), lblLastRunTime);
    cbSchedule = AddRow(times, QStringLiteral("&Schedule:"), Named(new QComboBox, "cbSchedule"));
    btnEdit = Named(new QPushButton(QStringLiteral("&Edit...")), "btnEdit");
    times->addRow(QString(), btnEdit);
    layout->addLayout(times);
    pnlDetails = new TTriggerPanels(TTriggerPanels::TMonthlyChoice::Many);
    layout->addWidget(pnlDetails);
    layout->addStretch();
    connect(cbSchedule, &QComboBox::currentIndexChanged, this, Guarded([this](int) {
        if (!FUpdating)
            ShowSelectedTrigger();
    }));
    connect(btnEdit, &QPushButton::clicked, this, Guarded([this] { btnEditClick(); }));
    return tab;
}

QWidget* TPropsDlg::MakeSettingsTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);

    PanelXPSettings = Named(new QWidget, "PanelXPSettings");
    auto* xp = new QFormLayout(PanelXPSettings);
    clbFlags = AddRow(xp, QStringLiteral("&Flags:"),
                      CheckList("clbFlags",
                                {QStringLiteral("Interactive"), QStringLiteral("Delete When Done"),
                                 QStringLiteral("Disabled"), QStringLiteral("Hidden"),
                                 QStringLiteral("Run Only If Logged On"), QStringLiteral("Start Only If Idle"),
                                 QStringLiteral("System Required"), QStringLiteral("Kill On Idle End"),
                                 QStringLiteral("Restart On Idle Resume"), QStringLiteral("Dont Start If On Batteries"),
                                 QStringLiteral("Kill If Going On Batteries"),
                                 QStringLiteral("Run If Connected To Internet")},
                                1));
    cbPriority = AddRow(xp, QStringLiteral("P&riority:"),
                        DropDown("cbPriority", {QStringLiteral("Idle"), QStringLiteral("Normal"),
                                                QStringLiteral("High"), QStringLiteral("Real Time")}));
    auto* idle = Named(new QGroupBox(QStringLiteral(" Idle Time: ")), "gbIdleTime");
    auto* idleForm = new QFormLayout(idle);
    udIdleMinutes = AddRow(idleForm, QStringLiteral("Minimum idle time:"), SpinBox("seIdleMinutes", 0, 10000, 0));
    udIdleMinutes->setSuffix(QStringLiteral(" minute(s)"));
    udDeadlineMinutes =
        AddRow(idleForm, QStringLiteral("Wait for idle-time:"), SpinBox("seDeadlineMinutes", 0, 10000, 0));
    udDeadlineMinutes->setSuffix(QStringLiteral(" minute(s)"));
    xp->addRow(idle);
    layout->addWidget(PanelXPSettings);

    PanelVistaSettings = Named(new QWidget, "PanelVistaSettings");
    auto* vista = new QFormLayout(PanelVistaSettings);
    ListVistaFlags = AddWideRow(
        vista, QStringLiteral("Flags"),
        CheckList("ListVistaFlags",
                  {QStringLiteral("Allow task to be run on demand"), QStringLiteral("Force stop runing task"),
                   QStringLiteral("Start if the computer is on AC power"),
                   QStringLiteral("Stop if switches to battery power"), QStringLiteral("Enabled"),
                   QStringLiteral("Hiden"), QStringLiteral("Start if the computer is idle"),
                   QStringLiteral("Stop on idle end"), QStringLiteral("Restart if the idle resume"),
                   QStringLiteral("Start if the connection Avaible"), QStringLiteral("Start as soon as possible"),
                   QStringLiteral("Wake the computer to run task"), QStringLiteral("Start Only when user logged on")},
                  1));
    // Every flag shows without scrolling.
    ListVistaFlags->setMinimumHeight(ListVistaFlags->sizeHintForRow(0) * ListVistaFlags->count()
                                     + 2 * ListVistaFlags->frameWidth());
    auto* idleVista = Named(new QGroupBox(QStringLiteral(" Idle ")), "gbIdle");
    auto* idleVistaForm = new QFormLayout(idleVista);
    EditIdle = AddRow(idleVistaForm, QStringLiteral("Start if the computer is idle for"),
                      DropDown("EditIdle", IdleBox().Items));
    EditIdleWait = AddRow(idleVistaForm, QStringLiteral("Wait idle for"), DropDown("EditIdleWait", IdleWaitBox().Items));
    vista->addRow(idleVista);
    CheckTaskFails = Named(new QCheckBox(QStringLiteral("If task fails, restart every")), "CheckTaskFails");
    EditRestartTime = DropDown("EditRestartTime", RestartTimeBox().Items);
    EditRestartTime->setAccessibleName(QStringLiteral("Restart interval"));
    vista->addRow(CheckTaskFails, EditRestartTime);
    // A spin box: a count that is not a number cannot be typed.
    udRestartCount = AddRow(vista, QStringLiteral("Attempt to restart up to"), SpinBox("EditRestartCount", 0, 1000, 0));
    CheckStopRuning =
        Named(new QCheckBox(QStringLiteral("Stop the task, if it runs longer than")), "CheckStopRuning");
    EditStopRuning = DropDown("EditStopRuning", StopRuningBox().Items);
    EditStopRuning->setAccessibleName(QStringLiteral("Execution time limit"));
    vista->addRow(CheckStopRuning, EditStopRuning);
    CheckDeleteAfter = Named(new QCheckBox(QStringLiteral("If the task not scheduled to run again, delete after")),
                             "CheckDeleteAfter");
    EditDeleteAfter = DropDown("EditDeleteAfter", DeleteAfterBox().Items);
    EditDeleteAfter->setAccessibleName(QStringLiteral("Delete expired task after"));
    vista->addRow(CheckDeleteAfter, EditDeleteAfter);
    layout->addWidget(PanelVistaSettings);

    const auto flagsClicked = Guarded([this](QListWidgetItem*) {
        if (!FUpdating)
            clbFlagsClickCheck();
    });
    connect(clbFlags, &QListWidget::itemChanged, this, flagsClicked);
    connect(ListVistaFlags, &QListWidget::itemChanged, this, flagsClicked);
    connect(CheckTaskFails, &QCheckBox::toggled, this,
            Guarded([this] { DurationCheckClick(CheckTaskFails, EditRestartTime, RestartTimeBox().OnCheck); }));
    connect(CheckStopRuning, &QCheckBox::toggled, this,
            Guarded([this] { DurationCheckClick(CheckStopRuning, EditStopRuning, StopRuningBox().OnCheck); }));
    connect(CheckDeleteAfter, &QCheckBox::toggled, this,
            Guarded([this] { DurationCheckClick(CheckDeleteAfter, EditDeleteAfter, DeleteAfterBox().OnCheck); }));
    for (QComboBox* box : {EditIdle, EditIdleWait, EditRestartTime, EditStopRuning, EditDeleteAfter}) {
        connect(box, &QComboBox::activated, this, [this, box](int) { FTouchedBoxes << box; });
    }
    return tab;
}

QWidget* TPropsDlg::MakeCustomTab()
{
    auto* tab = new QWidget;
    auto* form = new QFormLayout(tab);
    memComments = AddRow(form, QStringLiteral("&Comments:"), Named(new QPlainTextEdit, "memComments"));
    memData = AddRow(form, QStringLiteral("&Binary Data:"), Named(new QPlainTextEdit, "memData"));
    memData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return tab;
}

void TPropsDlg::FormCreate()
{
    PageControl->setCurrentIndex(0);
    StringGrid1->setColumnWidth(0, 100);
    StringGrid1->setColumnWidth(1, 180);
    EditStopRuning->setCurrentIndex(StopRuningBox().AtCreation);
    EditRestartTime->setCurrentIndex(RestartTimeBox().AtCreation);
    EditDeleteAfter->setCurrentIndex(DeleteAfterBox().AtCreation);
    EditIdle->setCurrentIndex(IdleBox().AtCreation);
    EditIdleWait->setCurrentIndex(IdleWaitBox().AtCreation);
}

void TPropsDlg::ShowPanels(bool vista)
{
    FVista = vista;
    PanelXPTask->setVisible(!vista);
    PanelXPSettings->setVisible(!vista);
    PanelVistaTasks->setVisible(vista);
    PanelVistaSettings->setVisible(vista);
}

void TPropsDlg::ShowEditButton(bool visible)
{
    btnEdit->setVisible(visible);
}

int TPropsDlg::GetTimeIndex(const QComboBox* box, const QString& text)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return ::GetTimeIndex(items, text);
}

// ---- 1.0 ----

void TPropsDlg::LoadXPTask()
{
    setWindowTitle(QStringLiteral("%1 Properties").arg(FTaskItem->Name()));
    edtTaskName->setText(FTaskItem->Name());
    edtApplicationName->setText(FTaskItem->ApplicationName());
    edtParameters->setText(FTaskItem->Parameters());
    edtWorkDir->setText(FTaskItem->WorkingDirectory());
    ShowApplicationIcon();
    edtCreator->setText(FTaskItem->Creator());
    memComments->setPlainText(FTaskItem->Comment());
    const TTaskFlags flags = FTaskItem->Flags();
    FUpdating = true;
    for (int i = 0; i <= tfRunIfConnectedToInternet; ++i)
        SetChecked(clbFlags, i, flags.Contains(TTaskFlag(i)));
    FUpdating = false;
    clbFlagsClickCheck();
    QBuffer data;
    data.open(QIODevice::ReadWrite);
    FTaskItem->GetBinaryData(data);
    memData->setPlainText(QString::fromUtf8(data.data()));
    FLoadedData = memData->toPlainText();   // as the box holds it: line ends made plain
    cbPriority->setCurrentIndex(FTaskItem->Priority());
    const TIdleTime idle = FTaskItem->IdleTime();
    ShowValue(udIdleMinutes, idle.wIdleMinutes);
    ShowValue(udDeadlineMinutes, idle.wDeadlineMinutes);
    FillSchedule();
}

void TPropsDlg::SaveXPTask()
{
    FTaskItem->SetApplicationName(edtApplicationName->text());
    ShowApplicationIcon();
    FTaskItem->SetParameters(edtParameters->text());
    FTaskItem->SetWorkingDirectory(edtWorkDir->text());
    FTaskItem->SetCreator(edtCreator->text());
    FTaskItem->SetComment(memComments->toPlainText());
    TTaskFlags flags;
    for (int i = 0; i <= tfRunIfConnectedToInternet; ++i) {
        if (IsChecked(clbFlags, i))
            flags.Include(TTaskFlag(i));
    }
    FTaskItem->SetFlags(flags);
    FTaskItem->SetPriority(TTaskPriority(cbPriority->currentIndex()));
    // The box shows the data as text: only an edit of it is written back, so
    // that untouched bytes (NULs, line ends) stay as they are.
    if (memData->toPlainText() != FLoadedData && !memData->toPlainText().isEmpty()) {
        QBuffer data;
        data.setData(memData->toPlainText().toUtf8());
        data.open(QIODevice::ReadOnly);
        FTaskItem->SetBinaryData(data);
    }
    TIdleTime idle;
    idle.wIdleMinutes = quint16(udIdleMinutes->value());
    idle.wDeadlineMinutes = quint16(udDeadlineMinutes->value());
    FTaskItem->SetIdleTime(idle);
}

void TPropsDlg::ShowApplicationIcon()
{
    static const QFileIconProvider icons;
    Image1->setPixmap(icons.icon(QFileInfo(edtApplicationName->text())).pixmap(32, 32));
}

void TPropsDlg::BrowseInto(QLineEdit* edit)
{
    TFileDialogOptions options;
    options.Filter = QStringLiteral("All Files (*)|*|Shell scripts (*.sh)|*.sh");
    options.InitialDir = QFileInfo(edit->text()).absolutePath();
    options.FileName = edit->text();
    const QString chosen = TPrompter::Instance().OpenFileName(options);
    if (chosen.isEmpty())
        return;
    edit->setText(QFileInfo(chosen).absoluteFilePath());
    ShowApplicationIcon();
}

void TPropsDlg::clbFlagsClickCheck()
{
    if (FVista) {
        RefreshStates();
        ListVistaFlags->viewport()->update();
        return;
    }
    const bool idle = IsChecked(clbFlags, tfStartOnlyIfIdle);
    for (QSpinBox* box : {udIdleMinutes, udDeadlineMinutes}) {
        box->setEnabled(idle);
        box->setBackgroundRole(idle ? QPalette::Base : QPalette::Button);
    }
}

// ---- 2.0 ----

void TPropsDlg::LoadVistaTask()
{
    setWindowTitle(QStringLiteral("%1 Properties").arg(FTaskItem->Name()));
    const TTaskVistaFlags flags = FTaskItem->VistaFlags();
    FUpdating = true;
    for (int i = 0; i <= tfvNeedLogon; ++i)
        SetChecked(ListVistaFlags, i, flags.Contains(TTaskVistaFlag(i)));
    QStringList details;
    QStringList kinds;
    FTaskItem->GetTasksLists(details, kinds);
    if (!kinds.isEmpty()) {
        StringGrid1->setRowCount(kinds.size() + 1);
        StringGrid1->setItem(0, 0, new QTableWidgetItem(QStringLiteral("Action")));
        StringGrid1->setItem(0, 1, new QTableWidgetItem(QStringLiteral("Details")));
        for (int row = 0; row < 2; ++row)
            StringGrid1->item(0, row)->setFlags(Qt::ItemIsEnabled);
        for (int k = 1; k <= kinds.size(); ++k) {
            StringGrid1->setItem(k, 1, new QTableWidgetItem(details.value(k - 1)));
            StringGrid1->setItem(k, 0, new QTableWidgetItem(kinds.at(k - 1)));
            ShowAction(k);
        }
        StringGrid1->setCurrentCell(1, 0);
        FActionRow = 1;
        FTaskItem->SetCurrentAction(1);
        ShowAction(1);
        ShowActionPanel(1);
    } else {
        ShowAction(0);
    }
    FUpdating = false;

    FTaskItem->GetTimeProperties(FLoadedTimes);
    EditStopRuning->setCurrentIndex(GetTimeIndex(EditStopRuning, FLoadedTimes.ExecutionTimeLimit));
    EditRestartTime->setCurrentIndex(GetTimeIndex(EditRestartTime, FLoadedTimes.RestartInterval));
    EditDeleteAfter->setCurrentIndex(GetTimeIndex(EditDeleteAfter, FLoadedTimes.DeleteExpiredTaskAfter));
    EditIdle->setCurrentIndex(GetTimeIndex(EditIdle, FLoadedTimes.IdleDuration));
    EditIdleWait->setCurrentIndex(GetTimeIndex(EditIdleWait, FLoadedTimes.IdleWaitTimeout));
    if (!FLoadedTimes.RestartCount.isEmpty())
        ShowValue(udRestartCount, FLoadedTimes.RestartCount.toInt());
    FLoadedRestartCount = udRestartCount->value();
    FillSchedule();
    memComments->setPlainText(FTaskItem->Comment());
    ckbVistaHighestPrivileges->setChecked(FTaskItem->TaskDefinition()->Principal().RunLevel
                                          == tasksched::rlHighest);
    RefreshStates();
}

QString TPropsDlg::BoxDuration(QComboBox* box, const QString& loaded) const
{
    if (!FTouchedBoxes.contains(box))
        return loaded;
    return box->currentIndex() < 0 ? QString() : TextToDuration(box->currentText());
}

QString TPropsDlg::RestartCountText() const
{
    if (udRestartCount->value() == FLoadedRestartCount)
        return FLoadedTimes.RestartCount;
    return QString::number(udRestartCount->value());
}

void TPropsDlg::SaveVistaTask()
{
    FTaskItem->SetComment(memComments->toPlainText());
    if (ckbVistaHighestPrivileges->isEnabled()) {
        FTaskItem->TaskDefinition()->Principal().RunLevel =
            ckbVistaHighestPrivileges->isChecked() ? tasksched::rlHighest : tasksched::rlLua;
    }
    TTaskTimeProperties times;
    times.ExecutionTimeLimit = BoxDuration(EditStopRuning, FLoadedTimes.ExecutionTimeLimit);
    times.RestartInterval = BoxDuration(EditRestartTime, FLoadedTimes.RestartInterval);
    times.RestartCount = RestartCountText();
    times.DeleteExpiredTaskAfter = BoxDuration(EditDeleteAfter, FLoadedTimes.DeleteExpiredTaskAfter);
    times.IdleDuration = BoxDuration(EditIdle, FLoadedTimes.IdleDuration);
    times.IdleWaitTimeout = BoxDuration(EditIdleWait, FLoadedTimes.IdleWaitTimeout);
    FTaskItem->SetTimeProperties(times);
    SaveAllActions();
    TTaskVistaFlags flags;
    for (int i = 0; i <= tfvNeedLogon; ++i) {
        if (IsChecked(ListVistaFlags, i))
            flags.Include(TTaskVistaFlag(i));
    }
    if (!flags.Contains(tfvNeedLogon)) {
        QString user = FTaskItem->AccountName();
        QString password;
        const TTaskAccountAsker& asker = AccountAsker();
        if (asker && asker(user, password))
            FTaskItem->SetAccountInformation(user, password);
    }
    FTaskItem->SetVistaFlags(flags);
    FTaskItem->SetCurrentAction(1);
    SaveSelectedTrigger();
}

void TPropsDlg::RefreshStates()
{
    FUpdating = true;
    const bool restart = EditRestartTime->currentIndex() >= 0;
    EditRestartTime->setEnabled(restart);
    udRestartCount->setEnabled(restart);
    CheckTaskFails->setChecked(restart);
    const bool stop = EditStopRuning->currentIndex() >= 0;
    EditStopRuning->setEnabled(stop);
    CheckStopRuning->setChecked(stop);
    const bool remove = EditDeleteAfter->currentIndex() >= 0;
    EditDeleteAfter->setEnabled(remove);
    CheckDeleteAfter->setChecked(remove);
    const bool idle = IsChecked(ListVistaFlags, tfvRunOnlyIfIdle);
    EditIdle->setEnabled(idle);
    EditIdleWait->setEnabled(idle);
    for (int i : {int(tfvStopOnIdleEnd), int(tfvRestartOnIdle)}) {
        QListWidgetItem* item = ListVistaFlags->item(i);
        item->setFlags(idle ? (item->flags() | Qt::ItemIsEnabled) : (item->flags() & ~Qt::ItemIsEnabled));
    }
    FUpdating = false;
}

void TPropsDlg::DurationCheckClick(QCheckBox* check, QComboBox* box, int onCheck)
{
    if (FUpdating)
        return;
    box->setCurrentIndex(check->isChecked() ? onCheck : -1);
    FTouchedBoxes << box;
    RefreshStates();
}

QString TPropsDlg::ActionKind(int row) const
{
    const QTableWidgetItem* item = StringGrid1->item(row, 0);
    return item != nullptr ? item->text() : QString();
}

void TPropsDlg::ShowActionPanel(int row)
{
    const QString kind = ActionKind(row);
    PanelExec->setVisible(kind == KindProgram);
    PanelEMail->setVisible(kind == KindEMail);
    PanelMessageBox->setVisible(kind == KindMessage);
}

void TPropsDlg::ShowAction(int row)
{
    FTaskItem->SetCurrentAction(row);
    PanelExec->hide();
    PanelEMail->hide();
    PanelMessageBox->hide();
    if (FTaskItem->ActionsCount() == 0 || row < 1)
        return;
    const QString kind = ActionKind(row);
    if (kind == KindProgram) {
        LabeledEditName->setText(FTaskItem->ApplicationName());
        LabeledEditParameters->setText(FTaskItem->Parameters());
        LabeledEditWorkDir->setText(FTaskItem->WorkingDirectory());
        PanelExec->show();
    } else if (kind == KindEMail) {
        EditFrom->setText(FTaskItem->MailSendFrom());
        EditTo->setText(FTaskItem->MailSendTo());
        EditSubject->setText(FTaskItem->MailSubject());
        EditMailMessage->setPlainText(FTaskItem->MailContent());
        EditSMTPServer->setText(FTaskItem->MailServer());
        PanelEMail->show();
    } else if (kind == KindMessage) {
        EditMessageTitle->setText(FTaskItem->MessTitle());
        EditMessage->setPlainText(FTaskItem->MessText());
        PanelMessageBox->show();
    }
}

void TPropsDlg::SaveAction(int row)
{
    if (row < 1)
        return;
    FTaskItem->SetCurrentAction(row);
    const QString kind = ActionKind(row);
    if (kind == KindProgram) {
        FTaskItem->SetApplicationName(LabeledEditName->text());
        FTaskItem->SetParameters(LabeledEditParameters->text());
        FTaskItem->SetWorkingDirectory(LabeledEditWorkDir->text());
    } else if (kind == KindEMail) {
        FTaskItem->SetMailSendFrom(EditFrom->text());
        FTaskItem->SetMailSendTo(EditTo->text());
        FTaskItem->SetMailSubject(EditSubject->text());
        FTaskItem->SetMailContent(EditMailMessage->toPlainText());
        FTaskItem->SetMailServer(EditSMTPServer->text());
    } else if (kind == KindMessage) {
        FTaskItem->SetMessTitle(EditMessageTitle->text());
        FTaskItem->SetMessText(EditMessage->toPlainText());
    }
}

void TPropsDlg::SelectActionRow(int row)
{
    StringGrid1->setCurrentCell(row, 0);
}

void TPropsDlg::SaveAllActions()
{
    if (FTaskItem->ActionsCount() == 0)
        return;
    for (int row = 1; row < StringGrid1->rowCount(); ++row) {
        SelectActionRow(row);
        SaveAction(row);
    }
}

// ---- Schedule ----

void TPropsDlg::FillSchedule()
{
    lblLastRunTime->setText(PropsRunTimeText(FTaskItem->MostRecentRunTime()));
    lblNextRunTime->setText(PropsRunTimeText(FTaskItem->NextRunTime()));
    QStringList lines;
    GetTriggerStringsWithInterval(*FTaskItem, lines);
    const bool updating = FUpdating;
    FUpdating = true;
    cbSchedule->clear();
    cbSchedule->addItems(lines);
    cbSchedule->setCurrentIndex(lines.isEmpty() ? -1 : 0);
    FUpdating = updating;
    ShowSelectedTrigger();
}

TTrigger* TPropsDlg::SelectedTrigger() const
{
    // The placeholder line of a task without triggers has no trigger behind it.
    const int index = cbSchedule->currentIndex();
    if (index < 0 || index >= FTaskItem->Triggers().Count())
        return nullptr;
    return FTaskItem->Triggers().Items(index);
}

void TPropsDlg::ShowSelectedTrigger()
{
    pnlDetails->ShowKind(ttUnknown);
    TTrigger* trigger = SelectedTrigger();
    if (trigger == nullptr || !FTaskItem->TaskScheduler()->RunningVistaOrLater())
        return;
    pnlDetails->Show(TTriggerFormValues::FromTrigger(*trigger));
}

void TPropsDlg::SaveSelectedTrigger()
{
    TTrigger* trigger = SelectedTrigger();
    if (trigger == nullptr)
        return;
    // A repeating daily trigger keeps the duration it was read with.
    pnlDetails->Values(trigger->TriggerType()).ToTrigger(*trigger, TRepeatDuration::Kept);
    FTaskItem->Triggers().UpdateTriggers();
}

void TPropsDlg::accept()
{
    try {
        if (OnAccept)
            OnAccept();
    } catch (const std::exception& e) {
        HandleAppException(e);
        return;
    }
    QDialog::accept();
}

void TPropsDlg::btnEditClick()
{
    // The work item offers no property pages here: nothing is confirmed, so
    // the tab stays as it is.
    FTaskItem->DisplayTaskPages(this, TPageTypes{ptSchedule, ptSettings}, FTaskItem->Name());
}

bool ExecuteTaskProperties(TTaskItem* task, QWidget* parent)
{
    TPropsDlg dialog(task, parent);
    task->Activate();
    TTaskScheduler* scheduler = task->TaskScheduler();
    const bool vista = scheduler->RunningVistaOrLater();
    dialog.ShowPanels(vista);
    dialog.ckbVistaHighestPrivileges->setVisible(vista && !scheduler->UseTaskScheduler1Only());
    dialog.ckbVistaHighestPrivileges->setEnabled(IsUserAdmin());
    if (vista) {
        dialog.LoadVistaTask();
        if (!dialog.ckbVistaHighestPrivileges->isEnabled())
            dialog.ckbVistaHighestPrivileges->setChecked(false);
        dialog.ShowEditButton(false);
    } else {
        dialog.LoadXPTask();
        dialog.ShowEditButton(true);
    }
    // Saved while the dialog is still open, so that a refused save leaves
    // the user's edits in it. The save writes into the item's own
    // definition: Cancel after a refused save puts back the one it had.
    const tasksched::TTaskDefinitionPtr opened =
        vista && task->FTaskDefinition ? task->FTaskDefinition->Clone() : nullptr;
    dialog.OnAccept = [&dialog, task, vista] {
        vista ? dialog.SaveVistaTask() : dialog.SaveXPTask();
        task->Deactivate(true);
    };
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (!confirmed) {
        task->Deactivate(false);
        if (opened) {
            task->FTaskDefinition = opened;
            task->Triggers().InitTriggers();
        }
    }
    return confirmed;
}
