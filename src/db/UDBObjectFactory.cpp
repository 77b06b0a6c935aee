#include "UDBObjectFactory.h"

#include "UDBDictionary.h"
#include "UDBHelper.h"
#include "UDBLogon.h"
#include "UDBLogonForm.h"
#include "UDBLogonOption.h"
#include "UDBUtil.h"
#include "UTableCreator.h"
#include "UUniSqlExecutor.h"
#include "base/URttiUtil.h"
#include "platform/dac/UUniConnection.h"

TDBObjectFactory* SourceDBFactory = nullptr;
TDBObjectFactory* DestDBFactory = nullptr;

TDBObjectFactory::TDBObjectFactory(const QString& dbType) : FDBType(dbType)
{
    FLogon = CreateLogon(FDBType);
    FDictionary = CreateDictionary(GetConnection());
    FSqlExecutor = CreateSqlExecutor(GetConnection());
}

TDBObjectFactory::~TDBObjectFactory() = default;

TUniConnection* TDBObjectFactory::GetConnection() const
{
    return FLogon ? FLogon->GetConnection() : nullptr;
}

std::unique_ptr<TUniConnection> TDBObjectFactory::CreateConnection(const QString& dbType)
{
    auto connection = std::make_unique<TUniConnection>();
    connection->SetLoginPrompt(false);
    connection->SetProviderName(DBDisplayName(DBKindOfProvider(dbType)));
    return connection;
}

std::unique_ptr<TDBDictionary> TDBObjectFactory::CreateDictionary(TUniConnection* connection)
{
    auto dictionary = TRttiUtil::CreateObjectAs<TDBDictionary>(
        DBClassName(connection->ProviderName(), QStringLiteral("DBDictionary")));
    dictionary->SetConnection(connection);
    return dictionary;
}

std::unique_ptr<TDBHelper> TDBObjectFactory::CreateHelper(const QString& providerName)
{
    return TRttiUtil::CreateObjectAs<TDBHelper>(DBClassName(providerName, QStringLiteral("DBHelper")));
}

std::unique_ptr<TDBLogonForm> TDBObjectFactory::CreateLogonForm(const QString& dbType)
{
    return std::unique_ptr<TDBLogonForm>(
        TRttiUtil::CreateComponentAs<TDBLogonForm>(DBClassName(dbType, QStringLiteral("LogonForm")), nullptr));
}

std::unique_ptr<TDBLogonOption> TDBObjectFactory::CreateLogonOption(const QString& dbType)
{
    return TRttiUtil::CreateObjectAs<TDBLogonOption>(DBClassName(dbType, QStringLiteral("DBLogonOption")));
}

std::unique_ptr<TDBLogon> TDBObjectFactory::CreateLogon(const QString& dbType)
{
    return std::make_unique<TDBLogon>(dbType);
}

std::unique_ptr<TTableCreator> TDBObjectFactory::CreateTableCreator(const QString& dbType)
{
    return TRttiUtil::CreateObjectAs<TTableCreator>(DBClassName(dbType, QStringLiteral("TableCreator")));
}

std::unique_ptr<TSqlExecutor> TDBObjectFactory::CreateSqlExecutor(TUniConnection* connection)
{
    auto executor = std::make_unique<TUniSqlExecutor>();
    executor->SetConnection(connection);
    return executor;
}
