#include "UDBDictionary.h"

#include "UDBHelper.h"
#include "UDBObjectFactory.h"
#include "base/UException.h"
#include "base/ULog.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniMetaData.h"

namespace {

// One row of the "Columns" catalogue read as a type text. lengthTypes get
// "(" + DATA_LENGTH + ")"; with maxForMinusOne a length of -1 is "MAX".
QString ColumnTypeText(const TUniMetaData& row, const QStringList& lengthTypes, bool maxForMinusOne)
{
    const QString type = row.FieldByName(QStringLiteral("DATA_TYPE"))->AsString().toLower();
    if (type == QLatin1String("decimal") || type == QLatin1String("numeric"))
        return type + QLatin1Char('(') + row.FieldByName(QStringLiteral("DATA_PRECISION"))->AsString()
               + QLatin1Char(',') + row.FieldByName(QStringLiteral("DATA_SCALE"))->AsString() + QLatin1Char(')');
    if (lengthTypes.contains(type)) {
        QString length = row.FieldByName(QStringLiteral("DATA_LENGTH"))->AsString();
        if (maxForMinusOne && length == QLatin1String("-1"))
            length = QStringLiteral("MAX");
        return type + QLatin1Char('(') + length + QLatin1Char(')');
    }
    return type;
}

// The trailing blanks and semicolons of a statement, which a sub-query
// cannot hold.
QString WithoutStatementEnd(const QString& sql)
{
    qsizetype end = sql.size();
    while (end > 0 && (sql.at(end - 1).unicode() <= 0x20 || sql.at(end - 1) == QLatin1Char(';')))
        --end;
    return sql.left(end);
}

}  // namespace

TDBDictionary::TDBDictionary() = default;

TDBDictionary::~TDBDictionary() = default;

void TDBDictionary::SetConnection(TUniConnection* connection)
{
    FConnection = connection;
    FHelper = TDBObjectFactory::CreateHelper(connection ? connection->ProviderName() : QString());
}

TUniConnection& TDBDictionary::CheckedConnection() const
{
    if (!FConnection)
        throw Exception(QStringLiteral("The dictionary has no connection."));
    return *FConnection;
}

QString TDBDictionary::GetProviderName() const
{
    return CheckedConnection().ProviderName();
}

bool TDBDictionary::IsServerDatabase() const
{
    const QString provider = GetProviderName().toLower();
    return provider != QLatin1String("access") && provider != QLatin1String("sqlite")
           && provider != QLatin1String("dbf");
}

QString TDBDictionary::GetDatabaseName() const
{
    return CheckedConnection().Database();
}

QString TDBDictionary::GetSelectAllSql(const QString& schema, const QString& table) const
{
    return QStringLiteral("select * from ") + GetQualifiedName(schema, table);
}

QString TDBDictionary::GetCatalogueSelectAllSql(const QString& schema, const QString& table) const
{
    return QStringLiteral("select * from ") + GetCatalogueQualifiedName(schema, table);
}

QString TDBDictionary::QuoteName(const QString& name) const
{
    return FHelper->QuoteIdentifier(name);
}

QString TDBDictionary::GetQualifiedName(const QString& schema, const QString& table) const
{
    return FHelper->QualifiedName(schema, table);
}

QString TDBDictionary::GetCatalogueQualifiedName(const QString& schema, const QString& table) const
{
    return FHelper->CatalogueQualifiedName(schema, table);
}

qint64 TDBDictionary::GetRecordCount(const QString& sql) const
{
    try {
        TUniQuery query;
        query.SetConnection(&CheckedConnection());
        query.Options().QueryRecCount = false;
        query.SetUniDirectional(true);
        query.SetFetchRows(1);
        // The user's text runs as it is: a colon in it is no parameter.
        query.SetParamCheck(false);
        // The line break ends a trailing "-- comment" before the alias.
        query.SetSQL(QStringLiteral("select count(1) from (") + WithoutStatementEnd(sql) + QStringLiteral("\n) a"));
        query.Execute();
        if (!query.Active() || query.Eof())
            return 0;
        return query.Fields(0)->AsLargeInt();
    } catch (const std::exception& e) {
        TLog::GetLogger()->Debug(QStringLiteral("GetRecordCount: ") + ExceptionMessage(e));
        return 0;
    }
}

void TDBDictionary::FillColumns(const QString& schema, const QString& table, TTableInfo& info) const
{
    static const QStringList lengthTypes = {
        QStringLiteral("varchar"),  QStringLiteral("nvarchar"),   QStringLiteral("varchar2"), QStringLiteral("nvarchar2"),
        QStringLiteral("vargraphic"), QStringLiteral("varbinary"), QStringLiteral("char"),     QStringLiteral("nchar"),
    };
    TUniMetaData meta;
    OpenMetaData(meta, QStringLiteral("Columns"), schema, table);
    for (; !meta.Eof(); meta.Next()) {
        const QString column = meta.FieldByName(QStringLiteral("COLUMN_NAME"))->AsString();
        info.Columns.append(column);
        info.FieldTypes.SetValue(column, ColumnTypeText(meta, lengthTypes, true));
        info.NotNulls.SetFlag(column, meta.FieldByName(QStringLiteral("NULLABLE"))->AsString() == QLatin1String("0"));
        info.DefaultValues.SetValue(column, meta.FieldByName(QStringLiteral("DEFAULT_VALUE"))->AsString());
    }
}

void TDBDictionary::FillIndexes(const QString& schema, const QString& table, TTableInfo& info) const
{
    TUniMetaData meta;
    OpenMetaData(meta, QStringLiteral("Indexes"), schema, table);
    for (; !meta.Eof(); meta.Next()) {
        const bool unique = TNameValueList::IsTrueFlag(meta.FieldByName(QStringLiteral("UNIQUE"))->AsString());
        info.IndexTypes.SetValue(meta.FieldByName(QStringLiteral("INDEX_NAME"))->AsString(),
                                 unique ? QStringLiteral("UNIQUE") : QStringLiteral("NON_UNIQUE"));
    }
    OpenMetaData(meta, QStringLiteral("IndexColumns"), schema, table);
    for (; !meta.Eof(); meta.Next()) {
        const QString index = meta.FieldByName(QStringLiteral("INDEX_NAME"))->AsString();
        const QString column = meta.FieldByName(QStringLiteral("COLUMN_NAME"))->AsString();
        AppendIndexColumn(info, index, column);
    }
}

void TDBDictionary::OpenMetaData(TUniMetaData& meta, const QString& kind, const QString& schema,
                                 const QString& table) const
{
    meta.SetConnection(&CheckedConnection());
    meta.SetMetaDataKind(kind);
    meta.Restrictions().SetValue(QStringLiteral("TABLE_SCHEMA"), NormalizeName(schema));
    meta.Restrictions().SetValue(QStringLiteral("TABLE_NAME"), NormalizeName(table));
    meta.Open();
}

void TDBDictionary::AppendIndexColumn(TTableInfo& info, const QString& index, const QString& column)
{
    const QString columns = info.IndexColumns.Value(index);
    info.IndexColumns.SetValue(index, columns.isEmpty() ? column : columns + QLatin1Char(',') + column);
}

void TDBDictionary::FillPrimaryKey(const QString&, const QString&, TTableInfo&) const {}

QString TDBDictionary::NormalizeName(const QString& name) const
{
    return name;
}

TNameValueList TDBDictionary::GetDBFieldTypes(const QString& schema, const QString& table) const
{
    static const QStringList lengthTypes = {
        QStringLiteral("varchar"), QStringLiteral("nvarchar"),   QStringLiteral("char"),
        QStringLiteral("nchar"),   QStringLiteral("vargraphic"), QStringLiteral("varbinary"),
    };
    TLog::GetLogger()->Info(QStringLiteral("TDBDictionary.GetDBFieldTypes: ") + NormalizeName(schema)
                            + QLatin1Char('.') + NormalizeName(table));
    TUniMetaData meta;
    OpenMetaData(meta, QStringLiteral("Columns"), schema, table);
    TNameValueList types;
    for (; !meta.Eof(); meta.Next())
        types.SetValue(meta.FieldByName(QStringLiteral("COLUMN_NAME"))->AsString(),
                       ColumnTypeText(meta, lengthTypes, false));
    return types;
}

std::unique_ptr<TTableInfo> TDBDictionary::GetTableInfo(const QString& schema, const QString& table) const
{
    TLog::GetLogger()->Info(QStringLiteral("TDBDictionary.GetTableInfo: ") + NormalizeName(schema)
                            + QLatin1Char('.') + NormalizeName(table));
    auto info = std::make_unique<TTableInfo>();
    info->Schema = schema;
    info->TableName = table;
    FillColumns(schema, table, *info);
    FillIndexes(schema, table, *info);
    FillPrimaryKey(schema, table, *info);
    return info;
}

QStringList TDBDictionary::GetUniqueColumns(const QString& schema, const QString& table) const
{
    TTableInfo info;
    FillIndexes(schema, table, info);
    QStringList columns;
    for (int i = 0; i < info.IndexTypes.Count(); ++i) {
        if (info.IndexTypes.ValueFromIndex(i) != QLatin1String("UNIQUE"))
            continue;
        const QString indexColumns = info.IndexColumns.Value(info.IndexTypes.Names(i));
        if (!indexColumns.isEmpty() && !indexColumns.contains(QLatin1Char(',')))
            columns.append(indexColumns);
    }
    return columns;
}

QString TDBDictionary::GetDropTableSql(const QString& schema, const QString& table) const
{
    return QStringLiteral("drop table ") + GetCatalogueQualifiedName(schema, table);
}
