#pragma once

#include "TriggerPanels.h"

#include "scheduler/UTaskWizardRules.h"
#include "scheduler/UTriggers.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;
class TTaskItem;
class TTaskScheduler;

// Builds one scheduled task page by page: program, name and kind, the
// schedule's details, the account and a summary.
class TNewTaskWizard : public QDialog {
    Q_OBJECT
public:
    explicit TNewTaskWizard(QWidget* parent = nullptr);

    // The scheduler (borrowed) and the variant of the pages it asks for.
    void SetScheduler(TTaskScheduler* scheduler);
    TTaskItem* Task() const { return FTask; }

    void UpdateButtons();
    // Enables Next for the page shown.
    void UpdateNextState();
    void btnNextClick();
    void btnBackClick();
    void btnBrowseClick();
    void btnAdvancedClick();
    void ComboBox1Select();
    void FinishTask();
    void DiscardTask();
    TTriggerType GetTriggerType() const;

    QStackedWidget* PageControl;
    QWidget* tsCustomData;
    QWidget* tsTaskName;
    QWidget* tsTriggerDetails;
    QWidget* tsAccountInfo;
    QWidget* tsFinished;
    QPushButton* btnBack;
    QPushButton* btnNext;
    QPushButton* btnCancel;

    QLineEdit* edtApplicationName;
    QPushButton* btnBrowse;
    QLineEdit* edtParameters;
    QLineEdit* edtWorkDir;
    QLineEdit* edtCreator;
    QPlainTextEdit* memComments;
    QCheckBox* ckbVistaHighestPrivileges;

    QLineEdit* edtTaskName;
    QComboBox* cbTriggerType;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton7;
    QRadioButton* RadioButton8;
    QLineEdit* edUser;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton9;
    QRadioButton* RadioButton10;

    TTriggerPanels* pnlDetails;

    QLineEdit* edtAccount;
    QLineEdit* edtPassword1;

    QLabel* lblTaskResult;
    QLabel* lblTaskNextTime;
    QLabel* lblAdvanced;
    QPushButton* btnAdvanced;

private:
    void BuildCustomData();
    void BuildTaskName();
    void BuildTriggerDetails();
    void BuildAccountInfo();
    void BuildFinished();
    QWidget* NewPage(const char* name, const QString& caption);
    void FormCreate();
    void CreateTask();
    void FillFinishPage();
    // What Next does on the page before it moves on; false: stay.
    bool NameDone();
    void DetailsDone();
    bool AccountDone();
    taskwizard::TWizardPage CurrentPage() const;
    void GoTo(taskwizard::TWizardPage page);
    bool NtFamily() const;
    bool Vista() const;
    void UserChoiceClick();

    TTaskItem* FTask = nullptr;
    TTaskScheduler* FScheduler = nullptr;
    TTriggerType FTriggerType = ttOnce;
    bool FCommentsWidened = false;
    // The account page saved the task: it exists and Finish keeps it.
    bool FSavedByAccountPage = false;
};

// Runs the new-task wizard on scheduler, the program box preset to
// programPath when it is not empty. True on Finish; task is the item made
// (none after Cancel).
bool ExecuteNewTaskWizard(TTaskScheduler* scheduler, const QString& programPath, TTaskItem*& task);
