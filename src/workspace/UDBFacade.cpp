#include "UDBFacade.h"

#include "db/UDBLogon.h"
#include "db/UDBObjectFactory.h"
#include "platform/dac/UUniConnection.h"

bool TDBFacade::LogOff()
{
    TDBLogon* logon = FFactory->GetLogon();
    logon->Logoff();
    return !logon->IsConnected();
}

bool TDBFacade::IsConnected() const
{
    return FFactory && FFactory->GetConnection()->Connected();
}
