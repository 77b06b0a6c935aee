#include "UUniDBDictionary.h"

#include "UDBUtil.h"
#include "base/UException.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniMetaData.h"

QString TUniDBDictionary::GetConnectionCaption() const
{
    return ConnectionDisplayText(CheckedConnection());
}

QStringList TUniDBDictionary::GetTables(const QString& schema) const
{
    return GetTableNames(schema, QStringLiteral("TABLE"));
}

QStringList TUniDBDictionary::GetViews(const QString& schema) const
{
    return GetTableNames(schema, QStringLiteral("VIEW"));
}

QStringList TUniDBDictionary::GetTableNames(const QString& schema, const QString& objectType) const
{
    QStringList names;
    TUniMetaData meta;
    meta.SetConnection(&CheckedConnection());
    meta.SetMetaDataKind(QStringLiteral("Tables"));
    try {
        meta.Restrictions().SetValue(QStringLiteral("TABLE_CATALOG"), CheckedConnection().Database());
        meta.Restrictions().SetValue(QStringLiteral("TABLE_SCHEMA"), NormalizeName(schema));
        meta.Restrictions().SetValue(QStringLiteral("TABLE_TYPE"), objectType);
        meta.Open();
        for (; !meta.Eof(); meta.Next())
            names.append(meta.FieldByName(QStringLiteral("TABLE_NAME"))->AsString());
    } catch (const std::exception& e) {
        throw Exception(ExceptionMessage(e));
    }
    return names;
}

std::unique_ptr<TUniQuery> TUniDBDictionary::NewQuery() const
{
    auto query = std::make_unique<TUniQuery>();
    query->SetReadOnly(true);   // catalogue reads are never written back
    query->SetConnection(&CheckedConnection());
    return query;
}
