#include "UUniTableCatalog.h"

#include "UUniConnection.h"
#include "UUniCursor.h"
#include "UUniQuery.h"

const TUniTableInfo::TColumn* TUniTableInfo::FindColumn(const QString& name) const
{
    for (const TColumn& column : Columns)
        if (column.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &column;
    return nullptr;
}

void TUniTableCatalog::Sync(TUniConnection& connection)
{
    if (FGeneration != connection.Generation()) {
        Clear();
        FGeneration = connection.Generation();
    }
}

bool TUniTableCatalog::FindPlan(TUniConnection& connection, const QString& sql,
                                std::shared_ptr<const TUniUpdatePlan>& plan)
{
    Sync(connection);
    auto found = FPlans.find(std::make_pair(connection.Database(), sql));
    if (found == FPlans.end())
        return false;
    plan = found->second;
    return true;
}

void TUniTableCatalog::StorePlan(TUniConnection& connection, const QString& sql,
                                 std::shared_ptr<const TUniUpdatePlan> plan)
{
    Sync(connection);
    FPlans[std::make_pair(connection.Database(), sql)] = std::move(plan);
}

void TUniTableCatalog::DropPlan(TUniConnection& connection, const QString& sql,
                                const std::vector<TUniColumn>& columns)
{
    Sync(connection);
    FPlans.erase(std::make_pair(connection.Database(), sql));
    for (const TUniColumn& column : columns)
        FTables.erase(std::make_pair(column.Schema, column.Table));
}

std::shared_ptr<const TUniTableInfo> TUniTableCatalog::Table(TUniConnection& connection, const QString& schema,
                                                             const QString& table)
{
    Sync(connection);
    const auto key = std::make_pair(schema, table);
    auto found = FTables.find(key);
    if (found != FTables.end())
        return found->second;
    std::shared_ptr<const TUniTableInfo> info = Read(connection, schema, table);
    FTables[key] = info;
    return info;
}

namespace {

// A catalogue query with the names bound, never planned for writing itself.
void OpenCatalogue(TUniQuery& query, TUniConnection& connection, const QString& sql, const QString& schema,
                   const QString& table)
{
    query.SetConnection(&connection);
    query.SetReadOnly(true);
    query.SetSQL(sql);
    query.ParamByName(QStringLiteral("schema"))->SetAsString(schema);
    query.ParamByName(QStringLiteral("table"))->SetAsString(table);
    query.Open();
}

}  // namespace

std::shared_ptr<const TUniTableInfo> TUniTableCatalog::Read(TUniConnection& connection, const QString& schema,
                                                            const QString& table)
{
    auto info = std::make_shared<TUniTableInfo>();
    info->Schema = schema;
    info->Table = table;
    TUniQuery query;
    OpenCatalogue(query, connection,
                  QStringLiteral("SELECT TABLE_TYPE FROM INFORMATION_SCHEMA.TABLES"
                                 " WHERE TABLE_SCHEMA = :schema AND TABLE_NAME = :table"),
                  schema, table);
    info->BaseTable = !query.Eof() && query.Fields(0)->AsString() == QLatin1String("BASE TABLE");
    query.Close();
    if (!info->BaseTable)
        return info;

    OpenCatalogue(query, connection,
                  QStringLiteral("SELECT COLUMN_NAME, IS_NULLABLE, EXTRA, CHARACTER_SET_NAME,"
                                 " CHARACTER_MAXIMUM_LENGTH FROM INFORMATION_SCHEMA.COLUMNS"
                                 " WHERE TABLE_SCHEMA = :schema AND TABLE_NAME = :table ORDER BY ORDINAL_POSITION"),
                  schema, table);
    for (; !query.Eof(); query.Next()) {
        TUniTableInfo::TColumn column;
        column.Name = query.Fields(0)->AsString();
        column.Nullable = query.Fields(1)->AsString() == QLatin1String("YES");
        column.AutoIncrement = query.Fields(2)->AsString().contains(QLatin1String("auto_increment"), Qt::CaseInsensitive);
        column.Charset = query.Fields(3)->AsString();
        if (!query.Fields(4)->IsNull())
            column.MaxLength = query.Fields(4)->AsLargeInt();
        info->Columns.push_back(column);
    }
    query.Close();

    OpenCatalogue(query, connection,
                  QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME FROM INFORMATION_SCHEMA.STATISTICS"
                                 " WHERE TABLE_SCHEMA = :schema AND TABLE_NAME = :table AND NON_UNIQUE = 0"
                                 " ORDER BY INDEX_NAME <> 'PRIMARY', INDEX_NAME, SEQ_IN_INDEX"),
                  schema, table);
    QString current;
    QStringList columns;
    bool usable = true;
    auto flush = [&] {
        if (!columns.isEmpty() && usable)
            info->Keys.push_back(columns);
        columns.clear();
        usable = true;
    };
    for (; !query.Eof(); query.Next()) {
        const QString index = query.Fields(0)->AsString();
        if (index != current) {
            flush();
            current = index;
        }
        const QString name = query.Fields(1)->AsString();
        const TUniTableInfo::TColumn* column = info->FindColumn(name);
        // A unique key over a nullable column may hold many NULL rows.
        if (!column || column->Nullable)
            usable = false;
        columns.append(name);
    }
    flush();
    return info;
}
