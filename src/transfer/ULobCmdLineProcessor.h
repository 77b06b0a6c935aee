#pragma once

#include "UCmdLineProcessor.h"

#include <memory>

class TDBObjectFactory;
class TTaskSession;

// The program's unattended run: logs on with the logon arguments
// ("mysql_server", "server", ... any name containing "server" or "database"
// selects them) or with the task file's "SourceDB" section, then runs the task
// file of "task" or, without one, the SQL script of "sql".
class TLobCmdLineProcessor : public TCmdLineProcessor {
public:
    TLobCmdLineProcessor();
    ~TLobCmdLineProcessor() override;

    void SetDBObjectFactory(TDBObjectFactory* factory) { FDBObjectFactory = factory; }   // borrowed

    const QString& TaskFile() const { return FTaskFile; }
    const QString& SqlFile() const { return FSqlFile; }

protected:
    bool Process() override;

    bool Logon();
    bool HasLogonParams() const;
    bool TaskFileHasSection(const QString& section) const;
    // False, with the reason logged, for a task file that exists but cannot
    // be read.
    bool TaskFileReadable() const;
    // False, with the reason logged, for a task file without its own section
    // or without the table it needs.
    bool TaskFileRunnable();
    void ExecuteTask();
    void ExecuteSqlFile();

private:
    bool DoLogon();

    QString FTaskFile;
    QString FSqlFile;
    TDBObjectFactory* FDBObjectFactory = nullptr;
    // The task file as checked before the logon, run after it.
    std::unique_ptr<TTaskSession> FSession;
};
