#include "UQuenmarel.h"

#include "base/UErrorReport.h"
#include "base/UException.h"
#include "db/UDBLogon.h"
#include "db/UDBObjectFactory.h"
#include "platform/dac/UUniConnection.h"
#include "transfer/ULobCmdLineProcessor.h"
#include "transfer/ULobObjectFactory.h"
#include "transfer/ULogonBatchFileCreator.h"
#include "transfer/USessionManager.h"
#include "transfer/UQuenmarelSessionObjectFactory.h"

namespace {
TGuiRunner& guiRunner()
{
    static TGuiRunner runner;
    return runner;
}
}

TQuenmarel::TQuenmarel() = default;

TQuenmarel::~TQuenmarel()
{
    DestroyServices();
    UnregisterInstance();
}

void TQuenmarel::Construct()
{
    if (HasInstance())
        throw EAbort();
    RegisterInstance();
    try {
        FDBObjectFactory = CreateDBObjectFactory();
        SourceDBFactory = FDBObjectFactory.get();
        DestDBFactory = FDBObjectFactory.get();
        CreateLobObjectFactory();
        FLogonBatchFileCreator = CreateLogonBatchFileCreator();
        FSessionManager = CreateSessionManager();
    } catch (const std::exception& e) {
        const QString message = ExceptionMessage(e);
        ShowExceptionReport(message);
        throw EConstructionAborted(message);
    }
}

void TQuenmarel::DestroyServices()
{
    // Freed in the order: database object factory, LOB object factory, logon
    // batch-file creator, session manager.
    if (SourceDBFactory == FDBObjectFactory.get())
        SourceDBFactory = nullptr;
    if (DestDBFactory == FDBObjectFactory.get())
        DestDBFactory = nullptr;
    FDBObjectFactory.reset();
    FLobObjectFactory.reset();
    FLogonBatchFileCreator.reset();
    FSessionManager.reset();
}

std::unique_ptr<TDBObjectFactory> TQuenmarel::CreateDBObjectFactory()
{
    return std::make_unique<TDBObjectFactory>(QStringLiteral("Mysql"));
}

std::unique_ptr<TLogonBatchFileCreator> TQuenmarel::CreateLogonBatchFileCreator()
{
    TDBLogonOption* profile = FDBObjectFactory->GetLogon()->GetLogonOption();
    return std::make_unique<TLogonBatchFileCreator>(QStringLiteral("task"), profile, profile);
}

std::unique_ptr<TSessionManager> TQuenmarel::CreateSessionManager()
{
    return std::make_unique<TSessionManager>(FLogonBatchFileCreator.get());
}

TQuenmarel* TQuenmarel::GetApp()
{
    auto* app = HasInstance() ? dynamic_cast<TQuenmarel*>(TApp::GetInstance()) : nullptr;
    if (!app)
        throw Exception(QStringLiteral("TQuenmarel not create."));
    return app;
}

bool TQuenmarel::Logon()
{
    FDBObjectFactory->GetConnection()->Close();
    return FDBObjectFactory->GetLogon()->LogonWithDialog();
}

void TQuenmarel::SetGuiRunner(TGuiRunner runner)
{
    guiRunner() = std::move(runner);
}

void TQuenmarel::RunGUI()
{
    if (!guiRunner())
        throw Exception(QStringLiteral("Window mode is not available in this build."));
    guiRunner()(*this);
}

std::unique_ptr<TLobCmdLineProcessor> TQuenmarel::CreateCmdLineProcessor()
{
    return std::make_unique<TLobCmdLineProcessor>();
}

bool TQuenmarel::RunCommandLine()
{
    const std::unique_ptr<TLobCmdLineProcessor> processor = CreateCmdLineProcessor();
    processor->SetDBObjectFactory(FDBObjectFactory.get());
    // Freed before the processor.
    TQuenmarelSessionObjectFactory sessionObjectFactory(FLobObjectFactory.get());
    processor->SetSessionObjectFactory(&sessionObjectFactory);
    const bool result = processor->Run();
    SetExitCode(processor->ExitCode());
    return result;
}

QString TQuenmarel::GetSystemInfo() const
{
    QString info = TDataApp::GetSystemInfo();
    const TUniConnection* connection = FDBObjectFactory ? FDBObjectFactory->GetConnection() : nullptr;
    if (connection && connection->Connected())
        info += QStringLiteral("\r\nDB Version: ") + connection->ServerVersion();
    return info;
}
