#include "ULobImportSessionExecutor.h"

#include "ULobImportSession.h"
#include "ULobImporter.h"
#include "ULobObjectFactory.h"

TLobImportSessionExecutor::TLobImportSessionExecutor(TLobObjectFactory& factory)
    : FConverter(factory.CreateImporter())
{
}

TLobImportSessionExecutor::~TLobImportSessionExecutor() = default;

bool TLobImportSessionExecutor::Execute()
{
    FConverter->SetImportSession(SessionAs<TLobImportSession>());
    return RunConverter(*FConverter, QStringLiteral("In TLobImportSessionExecutor.Execute, "),
                        QStringLiteral("Lob Import Has Exception."));
}

void TLobImportSessionExecutor::Stop()
{
    FConverter->Stop();
}
