#pragma once

#include "UTaskPlatform.h"
#include "UTaskStore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QLocalServer;
class QLocalSocket;
class QProcess;

namespace tasksched {

// The results of a run that did not end with an exit code of its own;
// rrUnknown: the run's end was not seen by a runner that started it.
enum : int { rrNotStarted = 127, rrSignalBase = 128, rrUnknown = 0x41306 };

// Runs the stored tasks of one user: scheduled runs from the trigger engine,
// runs on demand, boot and logon triggers, missed runs, time limits and the
// instance, restart and battery settings. Each run is a process group of its
// own; the runner alone writes the state folder.
class TTaskRunner : public QObject {
    Q_OBJECT
public:
    // How late a scheduled run may start and still count as on time; later
    // runs were missed (runner down, machine asleep).
    static constexpr qint64 LateSeconds = 90;
    // The longest sleep between two looks at the store.
    static constexpr int WakeMs = 60000;

    TTaskRunner(std::shared_ptr<TTaskStore> store, TPlatform platform, QObject* parent = nullptr);
    ~TTaskRunner() override;

    // From SIGTERM to SIGKILL of a run's group.
    int KillGraceMs = 10000;

    // Re-reads the store.
    void Reload();
    // Starts what is due at the clock's now; arms the next wake-up.
    void Tick();
    // The boot triggers when bootId is new since the last start.
    void StartUp(const QString& bootId, bool atLogon);
    // At start: each run that a state calls running and that still lives
    // (the same process, by its start time) is adopted and its end awaited;
    // any other is marked ended with an unknown result.
    void AdoptRuns();
    // Leaves the running tasks running and their states as they are, for
    // the next runner to adopt.
    void Detach();
    // A run on demand of "tasks/<name>" or "jobs/<name>"; the socket's answer.
    QString RunOnDemand(const QString& key);
    // One command line of the socket, answered with one line: PING, RELOAD,
    // RUN <key>, or LOGON (the logon triggers fire).
    QString Answer(const QString& line);

    // Serves the commands on the user's socket, owner-only.
    bool Listen(QString* error = nullptr);
    // Keeps waking up at most WakeMs apart.
    void StartTimer();
    // How often the end of an adopted run is looked for.
    int AdoptedPollMs = 1000;

    int RunningCount() const;
    bool IsRunning(const QString& key) const;
    static QString ReadBootId();

private:
    struct TTaskEntry {
        TStoredTask Task;
        QString Key;
    };
    struct TRun {
        QPointer<QProcess> Process;   // none for a run adopted from an earlier runner
        QString Key;
        qint64 Pgid = 0;
        bool Stopping = false;
        qint64 Start = 0;             // the process's start time (clock ticks since boot)
    };
    struct TPending {
        int Queued = 0;            // runs waiting for the running one (queue policy)
        int RestartsLeft = -1;     // -1: not counting
        QDateTime RestartAt;
        bool StartAfterStop = false;
    };

    bool Find(const QString& key, TTaskEntry& entry) const;
    void Serve(const TTaskEntry& entry, const QDateTime& now);
    // Starts a run by the instance policy; false when none was started.
    bool Start(const TTaskEntry& entry, const QString& reason, const QDateTime& stopAt = QDateTime());
    // Start after the trigger's delay (an ISO-8601 duration; empty: now).
    void StartDelayed(const TTaskEntry& entry, const QString& reason, const QString& delay);
    void Launch(const TTaskEntry& entry, const QString& reason, const QDateTime& stopAt);
    void Finished(QProcess* process, int result);
    void Ended(qsizetype index, int result);
    void PollAdopted();
    void Stop(TRun& run, bool hard);
    void StopAll(const QString& key);
    void DeleteIfExpired(const TTaskEntry& entry, TRunState& state, const QDateTime& now);
    void Log(const QString& line) const;
    void OnConnection();
    void OnLine(QLocalSocket* socket);

    std::shared_ptr<TTaskStore> FStore;
    TPlatform FPlatform;
    QList<TTaskEntry> FTasks;
    QList<TRun> FRuns;
    QHash<QString, TPending> FPending;
    QHash<QString, QDateTime> FChecked;   // up to when each task was served, unwritten
    QTimer FTimer;
    QTimer FAdoptedTimer;
    QLocalServer* FServer = nullptr;
};

}  // namespace tasksched
