#pragma once

#include "ULobTransferForm.h"

class TSessionExecutor;
class TTaskSession;

// The import and export dialogs: a task edited by the controls, run by its
// executor and saved through the session manager, also when the dialog
// closes with unsaved changes.
class TLobTaskForm : public TLobTransferForm {
    Q_OBJECT
public:
    // The controls into the task.
    virtual void FormToSession() = 0;
    // The task into the controls.
    virtual void SessionToForm() = 0;
    // Loads a task file into the task and the controls.
    void LoadTask(const QString& fileName);
    // The controls into the task, then the save dialog of the session manager.
    void SaveTask();

protected:
    using TLobTransferForm::TLobTransferForm;

    // Borrowed: the subclass owns both.
    void BindTask(TTaskSession* session, TSessionExecutor* executor, QPushButton* stopButton,
                  const QList<QWidget*>& runButtons);
    // Clears the output, takes the controls into the task and runs it.
    void RunTask();
    void StopRun() override;
    void CloseQuery() override;

private:
    TTaskSession* FTask = nullptr;
    TSessionExecutor* FExecutor = nullptr;
    QPushButton* FStopButton = nullptr;
    QList<QWidget*> FRunButtons;
};
