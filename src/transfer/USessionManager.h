#pragma once

class TBatchFileCreator;
class TTaskSession;

// The application's task-saving service for the import and export dialogs.
class TSessionManager {
public:
    // batchFileCreator is borrowed; it serves "Save && Make Batch File".
    explicit TSessionManager(TBatchFileCreator* batchFileCreator) : FBatchFileCreator(batchFileCreator) {}
    virtual ~TSessionManager() = default;

    // Whether a closing dialog should save its task now: not blank, modified,
    // and confirmed by the user. Needs no manager.
    static bool QuerySaveSession(TTaskSession& task);
    // The save dialog, the save, then the batch-file dialog for the saved file
    // when the user asked for it; true when the task's file exists afterwards.
    bool SaveSession(TTaskSession& task);

    TBatchFileCreator* BatchFileCreator() const { return FBatchFileCreator; }

private:
    TBatchFileCreator* FBatchFileCreator;
};
