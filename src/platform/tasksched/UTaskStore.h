#pragma once

#include "UTaskDefinition.h"

#include <QDateTime>
#include <QHash>
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
    qint64 PidStart = 0;          // the run's start in clock ticks since boot: its pid's identity
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
    // Larger task and job files are skipped unread.
    static constexpr qint64 MaxTaskFileBytes = 1 << 20;
    // The longest path of a local socket, without its final NUL.
    static constexpr int MaxSocketPathBytes = 107;

    // root empty: the user's own folder.
    explicit TTaskStore(const QString& root = QString());

    QString Root() const { return FRoot; }
    QString Folder(TTaskKind kind) const;
    QString StateFolder() const;
    QString RunnerLog() const;
    // The file of a task: its name percent-encoded with ".json".
    QString FileOf(TTaskKind kind, const QString& name) const;
    QString OutputFileOf(TTaskKind kind, const QString& name) const;
    // The runner's lock (held with flock) and its socket, both of this store
    // whatever the environment says: one runner per store. The socket lies
    // in RunFolder(): "run" in the store, or, when that path would be too
    // long for a socket, a folder named after the store in /run/user/<uid>.
    QString RunnerLockPath() const;
    QString RunFolder() const;
    QString SocketPath() const;

    // Creates folder and its missing parents owner-only whatever the umask;
    // false with the reason when it cannot, or when folder is not the
    // user's own or others may enter it.
    static bool MakePrivateFolder(const QString& folder, QString* error);
    // Warns in runner.log of each folder of the store that others may write.
    void WarnOpenFolders();

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

    // A line into runner.log, stamped, its control characters escaped.
    void AppendLog(const QString& line) const;

private:
    // A file's identity and version: the store replaces files by renaming,
    // which changes the inode; a chmod or chown changes the change time only,
    // and must bring the owner and mode checks back.
    struct TStamp {
        quint64 Device = 0, Inode = 0;
        qint64 Size = -1, Seconds = 0, Nanoseconds = 0, ChangeSeconds = 0, ChangeNanoseconds = 0;
        bool operator==(const TStamp&) const = default;
    };
    static TStamp StampOf(const QString& file);
    struct TFileEntry {
        QString File;
        TStoredTask Task;
        bool Damaged = false;
    };
    struct TCachedFile {
        TStamp Stamp;
        TFileEntry Entry;
    };
    struct TCachedState {
        TStamp Stamp;
        QByteArray Bytes;
    };
    QList<TFileEntry> Scan(TTaskKind kind);
    bool ReadFile(const QString& file, TTaskKind kind, TStoredTask& task, QString& error) const;
    QByteArray ReadStateBytes(const QString& file) const;
    void Warn(const QString& file, const QString& error);
    void WriteJson(const QString& file, const QJsonObject& json) const;
    QString StateFileOf(TTaskKind kind, const QString& name) const;

    QString FRoot;
    QSet<QString> FWarned;
    QHash<QString, TCachedFile> FFiles;            // task and job files as last read
    mutable QHash<QString, TCachedState> FStates;  // state files as last read or written
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
