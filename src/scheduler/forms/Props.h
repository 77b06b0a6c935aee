#pragma once

#include "TriggerPanels.h"

#include "scheduler/UPropsRules.h"
#include "scheduler/UTaskItem.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QWidget;

// The account question while a task that may run without a logged-on user is
// saved: user name and password in and out; false when the user cancelled.
using TTaskAccountAsker = std::function<bool(QString& userName, QString& password)>;

// Shows and edits one scheduled task in four tabs. The task item is the
// caller's; every change goes into it and reaches the store when the item is
// deactivated with saving after OK.
class TPropsDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPropsDlg(TTaskItem* task, QWidget* parent = nullptr);

    // The account dialog the save asks; tests put their own answer in.
    static TTaskAccountAsker& AccountAsker();

    void RefreshStates();
    static int GetTimeIndex(const QComboBox* box, const QString& text);

    void LoadXPTask();
    void SaveXPTask();
    void LoadVistaTask();
    void SaveVistaTask();
    void FillSchedule();
    void ShowSelectedTrigger();
    void SaveSelectedTrigger();
    void ShowEditButton(bool visible);
    void ShowPanels(bool vista);

    // What OK does before the dialog closes; a refusal keeps it open with
    // the user's edits.
    std::function<void()> OnAccept;
    void accept() override;

private:
    void FormCreate();
    QWidget* MakeTaskTab();
    QWidget* MakeScheduleTab();
    QWidget* MakeSettingsTab();
    QWidget* MakeCustomTab();

    void ShowAction(int row);
    void ShowActionPanel(int row);
    void SaveAction(int row);
    void SaveAllActions();
    void SelectActionRow(int row);
    QString ActionKind(int row) const;
    void ShowApplicationIcon();
    void BrowseInto(QLineEdit* edit);
    void clbFlagsClickCheck();
    void DurationCheckClick(QCheckBox* check, QComboBox* box, int onCheck);
    // The box's duration; a box the user left alone keeps what the task held.
    QString BoxDuration(QComboBox* box, const QString& loaded) const;
    QString RestartCountText() const;
    TTrigger* SelectedTrigger() const;
    void btnEditClick();

    TTaskItem* FTaskItem;
    bool FUpdating = false;
    bool FVista = false;
    QString FLoadedData;   // the binary data as the box first showed it
    TTaskTimeProperties FLoadedTimes;
    int FLoadedRestartCount = 0;
    QList<QComboBox*> FTouchedBoxes;
    int FActionRow = 0;

public:
    QTabWidget* PageControl;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    // Task
    QWidget* PanelXPTask;
    QLabel* Image1;
    QLineEdit* edtTaskName;
    QLineEdit* edtApplicationName;
    QPushButton* btnBrowse;
    QLineEdit* edtParameters;
    QLineEdit* edtWorkDir;
    QLineEdit* edtCreator;
    QWidget* PanelVistaTasks;
    QTableWidget* StringGrid1;
    QWidget* PanelExec;
    QLineEdit* LabeledEditName;
    QLineEdit* LabeledEditParameters;
    QLineEdit* LabeledEditWorkDir;
    QPushButton* Button1;
    QWidget* PanelEMail;
    QLineEdit* EditFrom;
    QLineEdit* EditTo;
    QLineEdit* EditSubject;
    QPlainTextEdit* EditMailMessage;
    QLineEdit* EditSMTPServer;
    QWidget* PanelMessageBox;
    QLineEdit* EditMessageTitle;
    QPlainTextEdit* EditMessage;
    QCheckBox* ckbVistaHighestPrivileges;
    // Schedule
    QLabel* lblNextRunTime;
    QLabel* lblLastRunTime;
    QComboBox* cbSchedule;
    QPushButton* btnEdit;
    TTriggerPanels* pnlDetails;
    // Settings
    QWidget* PanelXPSettings;
    QListWidget* clbFlags;
    QComboBox* cbPriority;
    QSpinBox* udIdleMinutes;
    QSpinBox* udDeadlineMinutes;
    QWidget* PanelVistaSettings;
    QListWidget* ListVistaFlags;
    QComboBox* EditIdle;
    QComboBox* EditIdleWait;
    QCheckBox* CheckTaskFails;
    QComboBox* EditRestartTime;
    QSpinBox* udRestartCount;
    QCheckBox* CheckStopRuning;
    QComboBox* EditStopRuning;
    QCheckBox* CheckDeleteAfter;
    QComboBox* EditDeleteAfter;
    // Custom
    QPlainTextEdit* memComments;
    QPlainTextEdit* memData;
};

// Shows the dialog for the task; true when the user confirmed and the task
// was saved. Failures of the load, the save or the final deactivation reach
// the caller.
bool ExecuteTaskProperties(TTaskItem* task, QWidget* parent = nullptr);
