#pragma once

#include <QString>

// What the batch-file dialog edits, and the writing of the script that runs a
// saved task unattended:
//
//   #!/bin/sh
//   "<program>"  task="<task file>" logfile="<log file>"
//
// The dialog only binds its controls to these fields and captions.
class TBatchOptions {
public:
    // The file-name edit of the batch file.
    static const QString BatchFileDefaultExt;   // "sh"
    static const QString BatchFileFilter;       // "Shell scripts (*.sh)|*.sh"

    TBatchOptions();
    virtual ~TBatchOptions();
    TBatchOptions(const TBatchOptions&) = delete;
    TBatchOptions& operator=(const TBatchOptions&) = delete;

    QString OptionName;     // the command-line option that names the task file; "session" at first
    QString SessionFile;
    QString LogFile;
    QString BatchFile;
    QString ErrorMessage;   // the text of the last failed Validate

    // In this order, the first failure sets ErrorMessage: session, log and
    // batch file empty; the session file missing; the batch or the log file
    // being the session file, or the log file being the batch file.
    virtual bool Validate();
    // Writes the script (UTF-8, LF, owner-only and executable), replacing an
    // existing file; a failure raises EInOutError.
    virtual void WriteBatchFile();

    // A name that is "task" in any letter case makes OptionName "task"; any
    // other name leaves it unchanged.
    void SetOptionName(const QString& name);
    // "Task File" for the option "task", else "Session File".
    QString SessionFileCaption() const;
    // SessionFile := fileName, LogFile and BatchFile derived from it.
    void SetSessionFile(const QString& fileName);
    // fileName with its extension (the last one of the name, not of a folder)
    // replaced by newExt, which carries its dot; newExt is appended to a name
    // without extension.
    static QString DeriveFileName(const QString& fileName, const QString& newExt);

    // The second line of the script, without line end.
    QString GetBatchLine() const;
    // The script's whole text.
    QString GetBatchText() const;
    // The text between double quotes of a shell word: "$", "`", "\" and "\""
    // escaped with "\", so that nothing in it runs.
    static QString QuoteShellArgument(const QString& text);

    // The absolute path of the running program.
    static QString GetProgramPath();

protected:
    bool Fail(const QString& message);
    // "task file" or "session file", for messages.
    QString SessionFileWord() const;
};
