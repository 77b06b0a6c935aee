#pragma once

#include "transfer/UBatchFileCreateDlg.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TBrowseFileEdit;
class TLogonBatchOptions;
class TTaskListForm;

// The "Create Batch File" window: the task, log and batch file names, the
// logon profiles that go into the task file (password masked), and the
// buttons that write the script and, on request, schedule it.
class TLogonBatchFileCreateDlg : public QDialog, public TBatchFileCreateDlg {
    Q_OBJECT
public:
    explicit TLogonBatchFileCreateDlg(QWidget* parent = nullptr);

    bool Execute() override;

    TLogonBatchOptions& LogonOptions() const;

protected:
    QString SessionFileText() const override;
    QString LogFileText() const override;
    QString BatchFileText() const override;
    void SetSessionFileText(const QString& text) override;
    void SetLogFileText(const QString& text) override;
    void SetBatchFileText(const QString& text) override;
    void SetSessionFileCaption(const QString& caption) override;

private:
    void btnOKClick();
    void btnCancelClick();
    void btnScheduleTaskClick();
    // The profile panels from the options.
    void ShowProfiles();

    QLabel* lblSessionFile;
    TBrowseFileEdit* edtSessionFile;
    QLabel* lblLogFile;
    TBrowseFileEdit* edtLogFile;
    QLabel* lblBatchFile;
    TBrowseFileEdit* edtBatchFile;
    QFrame* pnlSourceDB;
    QLabel* lblSourceDBType;
    QLabel* lblSourceDBOptionString;
    QFrame* pnlDestDB;
    QLabel* lblDestDBType;
    QLabel* lblDestDBOptionString;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnScheduleTask;
    // Made by the first "Create && Schedule Task", a child of this window.
    TTaskListForm* FTaskList = nullptr;
};
