#include "UTableFieldTypesInfo.h"

#include "UQueryFieldTypesInfo.h"
#include "base/UException.h"
#include "db/UDBDictionary.h"
#include "db/UDBObjectFactory.h"

void TTableFieldTypesInfo::LoadTable(const QString& schema, const QString& table)
{
    Clear();
    if (!FFactory)
        throw Exception(QStringLiteral("No database objects to read the columns of ") + table);
    TQueryFieldTypesInfo query;
    query.SetConnection(FFactory->GetConnection());
    query.LoadFromSql(QStringLiteral("select * from ") + FFactory->GetDictionary()->GetQualifiedName(schema, table)
                      + QStringLiteral(" where 1=0"));
    Assign(query);
}
