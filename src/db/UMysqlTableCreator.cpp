#include "UMysqlTableCreator.h"

#include "UMysqlDBHelper.h"

TMysqlTableCreator::TMysqlTableCreator()
{
    Construct();
}

std::unique_ptr<TDBHelper> TMysqlTableCreator::CreateHelper() const
{
    return std::make_unique<TMysqlDBHelper>();
}

QString TMysqlTableCreator::GetDefaultClause() const
{
    const QString& type = FFieldInfo.FieldType;
    const QString& value = FFieldInfo.DefaultValue;
    if (type == QLatin1String("timestamp"))
        return QStringLiteral(" DEFAULT CURRENT_TIMESTAMP ");
    if (type == QLatin1String("date") || type == QLatin1String("datetime"))
        return QStringLiteral(" DEFAULT NOW() ");
    if (type == QLatin1String("boolean") || type == QLatin1String("bit"))
        return QStringLiteral(" DEFAULT ") + value + QLatin1Char(' ');
    return QStringLiteral(" DEFAULT '") + Helper()->EscapeLiteral(value) + QStringLiteral("' ");
}

QString TMysqlTableCreator::GetAutoIncrementClause() const
{
    return QStringLiteral(" AUTO_INCREMENT");
}

QString TMysqlTableCreator::GetTableOptions() const
{
    return QStringLiteral(" default charset utf8 COLLATE utf8_general_ci");
}

void TMysqlTableCreator::FillTypes()
{
    FTypes << QStringLiteral("bigint") << QStringLiteral("binary(50)") << QStringLiteral("bit")
           << QStringLiteral("blob") << QStringLiteral("bool") << QStringLiteral("boolean")
           << QStringLiteral("char(255)") << QStringLiteral("date") << QStringLiteral("datetime")
           << QStringLiteral("decimal(18, 2)") << QStringLiteral("double") << QStringLiteral("enum")
           << QStringLiteral("float") << QStringLiteral("int") << QStringLiteral("longblob")
           << QStringLiteral("longtext") << QStringLiteral("mediumblob") << QStringLiteral("mediumint")
           << QStringLiteral("mediumtext") << QStringLiteral("numeric(18, 2)") << QStringLiteral("real")
           << QStringLiteral("set") << QStringLiteral("smallint") << QStringLiteral("text")
           << QStringLiteral("time") << QStringLiteral("timestamp") << QStringLiteral("tinyblob")
           << QStringLiteral("tinyint") << QStringLiteral("tinytext") << QStringLiteral("varbinary(50)")
           << QStringLiteral("varchar(255)") << QStringLiteral("year");
    FDefaultType = QStringLiteral("varchar(255)");
}

void TMysqlTableCreator::FillLobTypes()
{
    FLobTypes << QStringLiteral("binary") << QStringLiteral("blob") << QStringLiteral("tinyblob")
              << QStringLiteral("mediumblob") << QStringLiteral("longblob") << QStringLiteral("text")
              << QStringLiteral("tinytext") << QStringLiteral("mediumtext") << QStringLiteral("longtext")
              << QStringLiteral("varbinary");
}
