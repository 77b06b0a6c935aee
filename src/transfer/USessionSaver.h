#pragma once

class TTaskSession;

// One question or one save of a task through the "Save Session" dialog.
class TSessionSaver {
public:
    // task is borrowed.
    explicit TSessionSaver(TTaskSession& task) : FTask(task) {}

    // True when the task is not blank, is modified, and the user answers Yes
    // to "Save changed session now?"; the first test that fails ends it.
    bool ConfirmSave();
    // The dialog, preset with the task's file name, filter and description;
    // saves the task under the chosen name when the user confirmed it.
    void ShowSaveDialog();

    // Whether the user chose "Save && Make Batch File".
    bool MakeBatch() const { return FMakeBatch; }

private:
    TTaskSession& FTask;
    bool FMakeBatch = false;
};
