#include "USessionManager.h"

#include "UBatchFileCreator.h"
#include "USessionSaver.h"
#include "UTaskSession.h"

#include <QFileInfo>

bool TSessionManager::QuerySaveSession(TTaskSession& task)
{
    return TSessionSaver(task).ConfirmSave();
}

bool TSessionManager::SaveSession(TTaskSession& task)
{
    TSessionSaver saver(task);
    saver.ShowSaveDialog();
    const bool saved = !task.FileName().isEmpty() && QFileInfo(task.FileName()).isFile();
    if (saved && saver.MakeBatch() && FBatchFileCreator)
        FBatchFileCreator->ExecuteFor(task.FileName());
    return saved;
}
