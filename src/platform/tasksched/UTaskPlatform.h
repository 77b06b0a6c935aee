#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <memory>

namespace tasksched {

// What the scheduler asks of the machine, injected so that tests can answer.
class TPlatformInfo {
public:
    virtual ~TPlatformInfo() = default;
    virtual bool Is20() const { return true; }          // the 2.0 operations exist
    virtual bool IsNtFamily() const { return true; }
    virtual bool IsAdmin() const;                       // effective uid 0
    virtual QString UserName() const;
    virtual QString HostName() const;
};

// The runner seen as the scheduler service.
class TServiceControl {
public:
    virtual ~TServiceControl() = default;
    virtual bool IsRunning() = 0;   // answers PING
    virtual bool Start() = 0;       // started detached; true once it answers
    // Asks a running runner to re-read the store; false when none answers.
    virtual bool Reload() = 0;
    // Asks the runner to run a stored task; the runner's one-line answer, or
    // an empty text when none answers.
    virtual QString Run(const QString& storedName) = 0;
};

class TClock {
public:
    virtual ~TClock() = default;
    virtual QDateTime Now() const { return QDateTime::currentDateTime(); }
    virtual QTimeZone Zone() const { return QTimeZone::systemTimeZone(); }
};

class TProcessLauncher {
public:
    virtual ~TProcessLauncher() = default;
    // Starts program detached; false when it could not start.
    virtual bool StartDetached(const QString& program, const QStringList& arguments, qint64* pid = nullptr);
};

class TPowerSource {
public:
    virtual ~TPowerSource() = default;
    virtual bool OnBattery() const;   // from /sys/class/power_supply
};

// The runner's command socket, one per task store.
class TRunnerServiceControl : public TServiceControl {
public:
    // socketPath empty: the socket of the user's own store.
    TRunnerServiceControl(std::shared_ptr<TProcessLauncher> launcher, QString runnerPath, QString socketPath = QString());
    bool IsRunning() override;
    bool Start() override;
    bool Reload() override;
    QString Run(const QString& storedName) override;
    // The whole one-line answer to command, or empty when none came;
    // socketPath empty: the user's own store's.
    static QString Ask(const QString& command, int timeoutMs = 3000, const QString& socketPath = QString());
    // The socket of the user's own store.
    static QString SocketPath();
    // The runner beside the running program.
    static QString DefaultRunnerPath();

private:
    // Whether the runner answers PING within timeoutMs.
    bool Answers(int timeoutMs) const;

    std::shared_ptr<TProcessLauncher> FLauncher;
    QString FRunnerPath;
    QString FSocketPath;
};

// The machine's own answers, shared by the program and the runner.
struct TPlatform {
    std::shared_ptr<TPlatformInfo> Info;
    std::shared_ptr<TServiceControl> Service;
    std::shared_ptr<TClock> Clock;
    std::shared_ptr<TProcessLauncher> Launcher;
    std::shared_ptr<TPowerSource> Power;
    QString RunnerPath;   // the runner that the autostart entry starts

    static TPlatform Default();
};

}  // namespace tasksched
