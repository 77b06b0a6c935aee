#include "UDBLogon.h"

#include "UDBLogonForm.h"
#include "UDBLogonOption.h"
#include "UDBObjectFactory.h"
#include "UDBUtil.h"
#include "app/base/URttiUtil.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniProvider.h"

TDBLogon::TDBLogon(const QString& dbType) : FDBType(dbType)
{
    FProvider = CreateProvider(FDBType);
    FConnection = TDBObjectFactory::CreateConnection(FDBType);
}

TDBLogon::~TDBLogon()
{
    FLogonForm.reset();
    FLogonOption.reset();
    FProvider.reset();
    FConnection.reset();
}

TDBLogonOption* TDBLogon::GetLogonOption()
{
    if (!FLogonOption) {
        FLogonOption = TDBObjectFactory::CreateLogonOption(FDBType);
        FLogonOption->InitConnection(FConnection.get());
    }
    return FLogonOption.get();
}

TDBLogonForm* TDBLogon::GetLogonForm()
{
    if (!FLogonForm)
        FLogonForm = TDBObjectFactory::CreateLogonForm(FDBType);
    return FLogonForm.get();
}

std::unique_ptr<TUniProvider> TDBLogon::CreateProvider(const QString& dbType)
{
    return std::unique_ptr<TUniProvider>(
        TRttiUtil::CreateComponentAs<TUniProvider>(DBProviderClassName(dbType), nullptr));
}
