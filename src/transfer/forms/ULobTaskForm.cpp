#include "ULobTaskForm.h"

#include "base/UException.h"
#include "transfer/USessionExecutor.h"
#include "transfer/USessionManager.h"
#include "transfer/UTaskSession.h"

void TLobTaskForm::BindTask(TTaskSession* session, TSessionExecutor* executor, QPushButton* stopButton,
                            const QList<QWidget*>& runButtons)
{
    FTask = session;
    FExecutor = executor;
    FStopButton = stopButton;
    FRunButtons = runButtons;
    FExecutor->SetSession(session);
    FExecutor->SetOutputer(&Outputer());
}

void TLobTaskForm::LoadTask(const QString& fileName)
{
    FTask->LoadFromFile(fileName);
    SessionToForm();
}

void TLobTaskForm::SaveTask()
{
    FormToSession();
    if (!Services().SessionManager)
        throw Exception(QStringLiteral("No session manager to save the task."));
    Services().SessionManager->SaveSession(*FTask);
}

void TLobTaskForm::RunTask()
{
    Outputer().Clear();
    FormToSession();
    GuardRun(FStopButton, FRunButtons, [this] { FExecutor->Execute(); });
}

void TLobTaskForm::StopRun()
{
    FExecutor->Stop();
}

void TLobTaskForm::CloseQuery()
{
    FormToSession();
    if (TSessionManager::QuerySaveSession(*FTask))
        SaveTask();
}
