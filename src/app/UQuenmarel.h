#pragma once

#include "UDataApp.h"
#include "base/UException.h"

#include <functional>
#include <memory>

class TDBObjectFactory;
class TLobCmdLineProcessor;
class TLobObjectFactory;
class TLogonBatchFileCreator;
class TQuenmarel;
class TSessionManager;

// Window mode lives in the widget libraries; the program entry hands it in, so
// that this core never links QtWidgets.
using TGuiRunner = std::function<void(TQuenmarel& app)>;

// Third level: the factories and managers that the rest of the program reaches
// through the application object, the command line and the logon.
class TQuenmarel : public TDataApp {
public:
    ~TQuenmarel() override;

    void RunGUI() override;
    // Runs the task or SQL file of the arguments without a window; true when
    // the logon succeeded. The exit code says how the run went (see
    // TCmdLineExitCode).
    bool RunCommandLine() override;
    QString GetSystemInfo() const override;

    // The application object as a TQuenmarel; raises "TQuenmarel not create.".
    static TQuenmarel* GetApp();

    static void SetGuiRunner(TGuiRunner runner);

    // The database object factory of the run, lent (null only while the
    // construction has not reached it).
    TDBObjectFactory* GetDBObjectFactory() const { return FDBObjectFactory.get(); }
    // The large-object transfer factory of the run, lent.
    TLobObjectFactory* GetLobObjectFactory() const { return FLobObjectFactory.get(); }
    // The batch-file service of the run (option "task", the logon profile as
    // source and target), lent.
    TLogonBatchFileCreator* GetLogonBatchFileCreator() const { return FLogonBatchFileCreator.get(); }
    // The task-saving service of the run, lent.
    TSessionManager* GetSessionManager() const { return FSessionManager.get(); }

    // Closes the connection, then runs the logon dialog; true when the
    // connection is connected afterwards.
    bool Logon();

protected:
    TQuenmarel();
    // Construction: refuses a second application object, registers this one,
    // then builds the services. A failure while the services are built shows
    // the exception report and aborts (EConstructionAborted); the caller frees
    // the partly built object.
    void Construct();

    // The services, built in this order: database object factory, large-object
    // factory, batch-file creator, session manager.
    // A new factory for "Mysql"; Construct keeps it and points
    // SourceDBFactory and DestDBFactory at it.
    virtual std::unique_ptr<TDBObjectFactory> CreateDBObjectFactory();
    // Sets FLobObjectFactory.
    virtual void CreateLobObjectFactory() = 0;
    // Option name "task"; the logon object's profile serves as source and
    // target. Core objects, so the command line builds them too: their
    // dialogs exist only once the form library registered them.
    virtual std::unique_ptr<TLogonBatchFileCreator> CreateLogonBatchFileCreator();
    // The processor of an unattended run (RunCommandLine).
    virtual std::unique_ptr<TLobCmdLineProcessor> CreateCmdLineProcessor();
    // Uses the batch-file creator built before it.
    virtual std::unique_ptr<TSessionManager> CreateSessionManager();

    std::unique_ptr<TLobObjectFactory> FLobObjectFactory;

private:
    void DestroyServices();

    std::unique_ptr<TDBObjectFactory> FDBObjectFactory;
    std::unique_ptr<TLogonBatchFileCreator> FLogonBatchFileCreator;
    std::unique_ptr<TSessionManager> FSessionManager;
};

// The construction was aborted after its failure had been shown.
class EConstructionAborted : public EAbort {
public:
    explicit EConstructionAborted(const QString& cause) : FCause(cause) {}
    const QString& Cause() const { return FCause; }

private:
    QString FCause;
};
