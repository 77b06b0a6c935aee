#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class TLogAppender;
class TLogger;
class TSessionObjectFactory;

// The process exit codes of an unattended run.
enum TCmdLineExitCode : int {
    ecSucceeded = 0,
    // The logon failed, the task or SQL file is missing or invalid, the task
    // or the script raised, or the executor failed.
    ecFailed = 1,
    // The task ran to its end, but some items failed.
    ecItemsFailed = 2,
};

// Runs the program without a window: reads the name=value arguments, sends
// the messages of the run to the logger "cmdline" (into the file named by
// "logfile", or to standard error without one) and lets Process do the work.
//
// Argument names are matched without regard to case and the first argument
// of a name wins; values are trimmed of blanks and control characters.
class TCmdLineProcessor {
public:
    TCmdLineProcessor();
    // Detaches the log appender from "cmdline" and frees it.
    virtual ~TCmdLineProcessor();
    TCmdLineProcessor(const TCmdLineProcessor&) = delete;
    TCmdLineProcessor& operator=(const TCmdLineProcessor&) = delete;

    void SetSessionObjectFactory(TSessionObjectFactory* factory) { FSessionObjectFactory = factory; }   // borrowed

    // With the process's arguments. True when the logon succeeded, whatever
    // happened afterwards; an exception out of Process is logged and gives
    // false. Only a log line that cannot be written raises.
    bool Run();
    bool Run(const QStringList& arguments);

    // The exit code the run asks for (TCmdLineExitCode).
    int ExitCode() const { return FExitCode; }

    const QStringList& Params() const { return FParams; }
    const QString& LogFile() const { return FLogFile; }
    // The trimmed value of the first argument named name; empty when none.
    QString ParamValue(const QString& name) const;
    // The text before the first "=" of an argument; empty without one.
    static QString ParamName(const QString& argument);

protected:
    virtual bool Process() { return false; }

    TSessionObjectFactory* SessionObjectFactory() const { return FSessionObjectFactory; }
    TLogger& Logger() const { return *FLogger; }
    // Marks the run as failed (exit code 1); a failure outranks failed items.
    void Fail() { FExitCode = ecFailed; }
    void ItemsFailed()
    {
        if (FExitCode == ecSucceeded)
            FExitCode = ecItemsFailed;
    }

private:
    bool ProcessParams(const QStringList& arguments);

    QStringList FParams;
    QString FLogFile;
    TSessionObjectFactory* FSessionObjectFactory = nullptr;
    TLogger* FLogger = nullptr;
    std::unique_ptr<TLogAppender> FLogAppender;
    int FExitCode = ecSucceeded;
};
