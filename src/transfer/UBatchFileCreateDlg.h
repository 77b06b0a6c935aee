#pragma once

#include "base/UComponent.h"

#include <QString>
#include <memory>

class TBatchOptions;

// The batch-file dialog as the creators see it: the option name, the derived
// file names and the taking over of the edits into the options. The window
// class derives from it in the form library, which registers it by name when
// window mode starts; the command line never makes one.
class TBatchFileCreateDlg : public TObject {
public:
    ~TBatchFileCreateDlg() override;

    // Shows the dialog modally; true when a batch file was written.
    virtual bool Execute() = 0;

    // "task" in any letter case: the session-file caption becomes "Task File"
    // and the options' option name "task"; any other name changes nothing.
    void SetOptionName(const QString& name);
    // The session-file edit := fileName, then the derived log and batch names.
    void SetSessionFile(const QString& fileName);

    TBatchOptions& Options() const { return *FOptions; }
    bool Result() const { return FResult; }

protected:
    explicit TBatchFileCreateDlg(std::unique_ptr<TBatchOptions> options);

    // The edits of the derived form.
    virtual QString SessionFileText() const = 0;
    virtual QString LogFileText() const = 0;
    virtual QString BatchFileText() const = 0;
    virtual void SetSessionFileText(const QString& text) = 0;
    virtual void SetLogFileText(const QString& text) = 0;
    virtual void SetBatchFileText(const QString& text) = 0;
    virtual void SetSessionFileCaption(const QString& caption) = 0;

    // The log and batch edits from the session file's name.
    void DeriveFileNames();
    // The three edits into the options; when they pass the check the task
    // file's logon sections and the batch file are written, else the check's
    // message is shown and false returned.
    bool ApplyOptions();

    bool FResult = false;

private:
    std::unique_ptr<TBatchOptions> FOptions;
};
