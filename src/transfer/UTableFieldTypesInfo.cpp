#include "UTableFieldTypesInfo.h"

#include "UQueryFieldTypesInfo.h"
#include "base/UException.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"

void TTableFieldTypesInfo::LoadTable(const QString& schema, const QString& table)
{
    LoadQualified(CheckedFactory(table).GetDictionary()->GetQualifiedName(schema, table));
}

void TTableFieldTypesInfo::LoadCatalogueTable(const QString& schema, const QString& table)
{
    LoadQualified(CheckedFactory(table).GetDictionary()->GetCatalogueQualifiedName(schema, table));
}

TDBObjectFactory& TTableFieldTypesInfo::CheckedFactory(const QString& table)
{
    Clear();
    if (!FFactory)
        throw Exception(QStringLiteral("No database objects to read the columns of ") + table);
    return *FFactory;
}

void TTableFieldTypesInfo::LoadQualified(const QString& qualifiedName)
{
    TQueryFieldTypesInfo query;
    query.SetConnection(FFactory->GetConnection());
    query.LoadFromSql(QStringLiteral("select * from ") + qualifiedName + QStringLiteral(" where 1=0"));
    Assign(query);
}
