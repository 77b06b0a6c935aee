#pragma once

#include "UTaskDefinition.h"

#include <QDateTime>
#include <QJsonObject>
#include <QSet>
#include <QString>

namespace tasksched {

// A failure of the store that the caller reports (a refused name, a file that
// cannot be written).
class EStoreError : public Exception {
public:
    using Exception::Exception;
};

enum TTaskKind { tkTask20, tkJob10 };

// One stored task: 2.0 tasks in tasks/, 1.0 work items (names ending ".job")
// in jobs/. Extras carries what only a 1.0 work item has.
struct TStoredTask {
    TTaskKind Kind = tkTask20;
    QString Name;
    TTaskDefinitionPtr Definition;
    QJsonObject Extras;
};

// What the runner records of a task; nobody else writes it.
struct TRunState {
    QDateTime LastRunTime;
    int LastResult = 0x41303;   // has not run yet
    bool HasRun = false;
    bool Running = false;
    qint64 Pid = 0;
    QDateTime LastCheck;          // up to when the triggers have been served
    QDateTime ExpiredSince;       // no more runs since then
};

// The folder of the scheduled tasks, $XDG_DATA_HOME/Corvanta/TaskScheduler:
// one JSON file per task ("format": 1, owner-only, written whole through a
// save file), each change one read-modify-write under a lock file. A damaged
// or newer file is skipped with a warning and hides nothing else.
class TTaskStore {
public:
    static constexpr int FormatVersion = 1;

    // root empty: the user's own folder.
    explicit TTaskStore(const QString& root = QString());

    QString Root() const { return FRoot; }
    QString Folder(TTaskKind kind) const;
    QString StateFolder() const;
    QString RunnerLog() const;
    // The file of a task: its name percent-encoded with ".json".
    QString FileOf(TTaskKind kind, const QString& name) const;
    QString OutputFileOf(TTaskKind kind, const QString& name) const;

    // Raises EStoreError "The task name \"%1\" is not valid." for an empty
    // name, ".", "..", "/", "\" or control characters.
    static void CheckName(const QString& name);

    // Every readable task of the kind, in file order.
    QList<TStoredTask> List(TTaskKind kind);
    // The task of that name ignoring case; false when there is none or its
    // file is damaged.
    bool Find(TTaskKind kind, const QString& name, TStoredTask& task);
    // Creates or replaces the task under the spelling already stored, else
    // under task.Name; a damaged file of that name is moved aside first.
    // Returns the stored name.
    QString Save(const TStoredTask& task);
    // False when no such task exists.
    bool Remove(TTaskKind kind, const QString& name);

    TRunState ReadState(TTaskKind kind, const QString& name) const;
    void WriteState(TTaskKind kind, const QString& name, const TRunState& state);
    void RemoveState(TTaskKind kind, const QString& name);

    // The runner's own values (boot id, last check).
    QJsonObject ReadRunnerState() const;
    void WriteRunnerState(const QJsonObject& state);

    // A line into runner.log, stamped.
    void AppendLog(const QString& line) const;

private:
    struct TFileEntry {
        QString File;
        TStoredTask Task;
        bool Damaged = false;
    };
    QList<TFileEntry> Scan(TTaskKind kind);
    bool ReadFile(const QString& file, TTaskKind kind, TStoredTask& task, QString& error) const;
    void Warn(const QString& file, const QString& error);
    void WriteJson(const QString& file, const QJsonObject& json) const;
    QString StateFileOf(TTaskKind kind, const QString& name) const;

    QString FRoot;
    QSet<QString> FWarned;
};

// Holds the store's lock for one change.
class TStoreLock {
public:
    explicit TStoreLock(const TTaskStore& store);
    ~TStoreLock();
    TStoreLock(const TStoreLock&) = delete;
    TStoreLock& operator=(const TStoreLock&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace tasksched
