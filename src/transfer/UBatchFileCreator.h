#pragma once

#include <QString>
#include <memory>

class TBatchFileCreateDlg;

// The application's batch-file service: each call makes, shows and frees one
// batch-file dialog.
class TBatchFileCreator {
public:
    virtual ~TBatchFileCreator();

    // A new dialog, ready to show.
    virtual std::unique_ptr<TBatchFileCreateDlg> CreateDialog() = 0;

    // The dialog with empty names (the main window's "Create Batch File").
    void ShowBatchDialog();
    // The dialog preset with taskFile and the names derived from it (after a
    // task was saved).
    void ExecuteFor(const QString& taskFile);
};
