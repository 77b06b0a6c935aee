#pragma once

#include "UTaskPlatform.h"
#include "UTaskStore.h"

#include <QList>
#include <memory>

namespace tasksched {

// The errors of the service itself, with its own texts.
class EServiceError : public Exception {
public:
    using Exception::Exception;
};

// The shared machinery of one connection: the store and the platform.
struct TServiceContext {
    std::shared_ptr<TTaskStore> Store;
    TPlatform Platform;
};
using TServiceContextPtr = std::shared_ptr<TServiceContext>;

// The registration rules, shared by both kinds of task: an action with a
// program path, boundaries and durations that parse, masks in range, and the
// account. user empty keeps the definition's; the result is the account the
// task runs as, written into the definition's principal.
void CheckRegistration(TTaskDefinition& definition, const QString& user, int logonType, const TPlatformInfo& info);
// The account check alone; raises "Tasks run as %1; other accounts are not
// supported." for any account but the user's own (and "System" for root).
QString CheckAccount(const QString& user, const TPlatformInfo& info);
// Raises "Remote computers are not supported." for a name that is neither
// empty, the host name nor "localhost".
void CheckComputer(const QString& name, const TPlatformInfo& info);

// A task the service knows.
class TRegisteredTask {
public:
    TRegisteredTask(TServiceContextPtr context, TStoredTask task);

    QString Name() const { return FTask.Name; }
    QString Path() const { return QStringLiteral("\\") + FTask.Name; }
    // A fresh copy each time: changes reach the service only by registering.
    TTaskDefinitionPtr Definition() const { return FTask.Definition->Clone(); }
    bool Enabled() const { return FTask.Definition->Settings().Enabled; }
    int State() const;
    QDateTime LastRunTime() const;
    QDateTime NextRunTime() const;
    int LastTaskResult() const;
    // Asks the runner to run the task now.
    void Run(const QString& parameters = QString());

private:
    TServiceContextPtr FContext;
    TStoredTask FTask;
};
using TRegisteredTaskPtr = std::shared_ptr<TRegisteredTask>;

// The one folder of the store, "\".
class TTaskFolder {
public:
    enum { TASK_ENUM_HIDDEN = 1 };
    enum { TASK_CREATE = 2, TASK_UPDATE = 4, TASK_CREATE_OR_UPDATE = 6 };

    explicit TTaskFolder(TServiceContextPtr context) : FContext(std::move(context)) {}

    QString Path() const { return QStringLiteral("\\"); }
    // Raises when there is no such task.
    TRegisteredTaskPtr GetTask(const QString& name) const;
    QList<TRegisteredTaskPtr> GetTasks(int flags) const;
    void DeleteTask(const QString& name, int flags);
    // Checks, stores (the password is dropped) and tells the runner.
    TRegisteredTaskPtr RegisterTaskDefinition(const QString& name, const TTaskDefinition& definition, int flags,
                                              const QString& user, const QString& password, int logonType,
                                              const QString& sddl = QString());

private:
    TServiceContextPtr FContext;
};
using TTaskFolderPtr = std::shared_ptr<TTaskFolder>;

// The 2.0 entry: connect, folders and new definitions.
class TTaskService {
public:
    explicit TTaskService(TServiceContextPtr context);

    // serverName: empty, the host name or "localhost".
    void Connect(const QString& serverName = QString(), const QString& user = QString(),
                 const QString& domain = QString(), const QString& password = QString());
    bool Connected() const { return FConnected; }
    QString TargetServer() const;
    QString ConnectedUser() const;
    // "" and "\" name the root folder, the only one.
    TTaskFolderPtr GetFolder(const QString& path) const;
    // A definition with the defaults of a new task.
    TTaskDefinitionPtr NewTask(int flags = 0) const;
    TServiceContextPtr Context() const { return FContext; }

private:
    void CheckConnected() const;
    TServiceContextPtr FContext;
    bool FConnected = false;
};

// The autostart entry that starts the runner at logon; written when a task
// is registered.
void WriteAutostartEntry(const QString& runnerPath);
QString AutostartEntryPath();

}  // namespace tasksched
