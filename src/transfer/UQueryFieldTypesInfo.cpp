#include "UQueryFieldTypesInfo.h"

#include "platform/dac/UUniQuery.h"

TQueryFieldTypesInfo::TQueryFieldTypesInfo() : FQuery(std::make_unique<TUniQuery>())
{
    FQuery->SetUniDirectional(true);
    FQuery->SetFetchRows(1);
    // The user's text as it is: a colon in it is no parameter.
    FQuery->SetParamCheck(false);
}

TQueryFieldTypesInfo::~TQueryFieldTypesInfo() = default;

void TQueryFieldTypesInfo::SetConnection(TUniConnection* connection)
{
    FQuery->SetConnection(connection);
}

void TQueryFieldTypesInfo::LoadFromSql(const QString& sql)
{
    Clear();
    FQuery->SetSQL(sql);
    for (const TUniColumn& column : FQuery->GetFieldDefs())
        AddField(column.Name, column.DataType);
}
