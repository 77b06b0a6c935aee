#include "ULobExportSessionExecutor.h"

#include "ULobExportSession.h"
#include "ULobExporter.h"
#include "ULobObjectFactory.h"

TLobExportSessionExecutor::TLobExportSessionExecutor(TLobObjectFactory& factory)
    : FConverter(factory.CreateExporter())
{
}

TLobExportSessionExecutor::~TLobExportSessionExecutor() = default;

bool TLobExportSessionExecutor::Execute()
{
    FConverter->SetExportSession(SessionAs<TLobExportSession>());
    return RunConverter(*FConverter, QStringLiteral("In TLobExportSessionExecutor.Execute, "),
                        QStringLiteral("Lob Export Has Exception."));
}

void TLobExportSessionExecutor::Stop()
{
    FConverter->Stop();
}
