#include "UDBLogon.h"

#include "UDBLogonForm.h"
#include "UDBLogonOption.h"
#include "UDBObjectFactory.h"
#include "UDBUtil.h"
#include "USSHConnection.h"
#include "base/URttiUtil.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniProvider.h"

TDBLogon::TDBLogon(const QString& dbType) : FDBType(dbType)
{
    FProvider = CreateProvider(FDBType);
    FConnection = TDBObjectFactory::CreateConnection(FDBType);
    FSSHConnection = std::make_unique<TSSHConnection>();
    FLogonOption = TDBObjectFactory::CreateLogonOption(FDBType);
    FLogonOption->InitConnection(FConnection.get());
}

TDBLogon::~TDBLogon()
{
    // The connection goes before the tunnel it may run through.
    // The members then go in reverse order of declaration.
    if (FConnection)
        FConnection->Disconnect();
}

TDBLogonForm* TDBLogon::GetLogonForm()
{
    if (!FLogonForm) {
        FLogonForm = TDBObjectFactory::CreateLogonForm(FDBType);
        FLogonForm->SetSSHConnection(FSSHConnection.get());
        FLogonForm->SetLogonOption(FLogonOption.get());
    }
    return FLogonForm.get();
}

void TDBLogon::FreeLogonForm()
{
    FLogonForm.reset();
}

bool TDBLogon::LogonWithDialog()
{
    TDBLogonForm* form = GetLogonForm();
    form->SetConnection(FConnection.get());
    form->SetFormUseMode(fumSingleLogon);
    form->ShowModal();
    const bool connected = FConnection->Connected();
    FLogonOption->AfterConnect(*FConnection);
    return connected;
}

bool TDBLogon::LogonFromIni(const QString& fileName, const QString& section)
{
    FLogonOption->LoadFromIni(fileName, section);
    FLogonOption->AssignTo(*FConnection, *FSSHConnection);
    ConnectFromIni();
    const bool connected = FConnection->Connected();
    FLogonOption->AfterConnect(*FConnection);
    return connected;
}

void TDBLogon::ConnectFromIni()
{
    const QString prefix = QStringLiteral("Can not via ini login database ");
    if (FLogonOption->UseSSH) {
        try {
            FSSHConnection->ConnectFor(*FConnection);
        } catch (const std::exception& e) {
            throw Exception(prefix + FConnection->Database() + QStringLiteral(". At SSH connect: ")
                            + ExceptionMessage(e));
        }
    }
    try {
        FConnection->Connect();
    } catch (const std::exception& e) {
        throw Exception(prefix + FConnection->Database() + QStringLiteral(". ") + ExceptionMessage(e));
    }
}

bool TDBLogon::LogonFromParams(const QStringList& params)
{
    FLogonOption->LoadFromParams(params);
    FLogonOption->AssignTo(*FConnection, *FSSHConnection);
    try {
        FConnection->Connect();
    } catch (const std::exception& e) {
        throw Exception(QStringLiteral("Can not via cmd login database ") + FConnection->Database()
                        + QStringLiteral(". ") + ExceptionMessage(e));
    }
    const bool connected = FConnection->Connected();
    FLogonOption->AfterConnect(*FConnection);
    return connected;
}

void TDBLogon::Logoff()
{
    FConnection->Disconnect();
    FSSHConnection->Disconnect();
}

bool TDBLogon::IsConnected() const
{
    return FConnection->Connected();
}

void TDBLogon::SetDatabase(const QString& databaseName)
{
    if (FConnection->ProviderName() == QLatin1String("MySQL"))
        FConnection->SetDatabase(databaseName);
}

std::unique_ptr<TUniProvider> TDBLogon::CreateProvider(const QString& dbType)
{
    return std::unique_ptr<TUniProvider>(
        TRttiUtil::CreateComponentAs<TUniProvider>(DBProviderClassName(dbType), nullptr));
}
