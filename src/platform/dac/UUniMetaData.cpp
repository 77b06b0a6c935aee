#include "UUniMetaData.h"

#include "UUniError.h"

void TUniMetaData::InternalOpen()
{
    const QString kind = FMetaDataKind.trimmed();
    const bool tables = kind.compare(QLatin1String("Tables"), Qt::CaseInsensitive) == 0;
    QString select;
    QString from = QStringLiteral(" FROM INFORMATION_SCHEMA.");
    QString order;
    // The restrictions that are compared with the column of their name.
    QStringList restrictions = {QStringLiteral("TABLE_NAME")};
    if (tables) {
        select = QStringLiteral("SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE");
        from += QStringLiteral("TABLES");
        order = QStringLiteral(" ORDER BY TABLE_SCHEMA, TABLE_NAME");
    } else if (kind.compare(QLatin1String("Columns"), Qt::CaseInsensitive) == 0) {
        select = QStringLiteral(
            "SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION AS POSITION, "
            "DATA_TYPE, CHARACTER_MAXIMUM_LENGTH AS DATA_LENGTH, NUMERIC_PRECISION AS DATA_PRECISION, "
            "NUMERIC_SCALE AS DATA_SCALE, IF(IS_NULLABLE = 'YES', 1, 0) AS NULLABLE, "
            "COLUMN_DEFAULT AS DEFAULT_VALUE");
        from += QStringLiteral("COLUMNS");
        order = QStringLiteral(" ORDER BY TABLE_SCHEMA, TABLE_NAME, ORDINAL_POSITION");
        restrictions.append(QStringLiteral("COLUMN_NAME"));
    } else if (kind.compare(QLatin1String("Indexes"), Qt::CaseInsensitive) == 0) {
        select = QStringLiteral(
            "SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_NAME, IF(MIN(NON_UNIQUE) = 0, 1, 0) AS `UNIQUE`");
        from += QStringLiteral("STATISTICS");
        order = QStringLiteral(" GROUP BY TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_NAME"
                               " ORDER BY TABLE_SCHEMA, TABLE_NAME, INDEX_NAME <> 'PRIMARY', INDEX_NAME");
        restrictions.append(QStringLiteral("INDEX_NAME"));
    } else if (kind.compare(QLatin1String("IndexColumns"), Qt::CaseInsensitive) == 0) {
        select = QStringLiteral(
            "SELECT TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_NAME, COLUMN_NAME, "
            "SEQ_IN_INDEX AS COLUMN_POSITION, IF(COLLATION = 'D', 'DESC', 'ASC') AS SORT_ORDER, "
            "IF(NON_UNIQUE = 0, 1, 0) AS `UNIQUE`");
        from += QStringLiteral("STATISTICS");
        order = QStringLiteral(" ORDER BY TABLE_SCHEMA, TABLE_NAME, INDEX_NAME <> 'PRIMARY', INDEX_NAME, SEQ_IN_INDEX");
        restrictions.append(QStringLiteral("INDEX_NAME"));
    } else {
        throw EUniError(QStringLiteral("Unknown metadata kind: %1").arg(FMetaDataKind));
    }

    // Names are bound as parameters, never pasted: any name is safe.
    QString schema = FRestrictions.Value(QStringLiteral("TABLE_SCHEMA")).trimmed();
    if (schema.isEmpty())
        schema = FRestrictions.Value(QStringLiteral("TABLE_CATALOG")).trimmed();
    QString where = schema.isEmpty() ? QStringLiteral(" WHERE TABLE_SCHEMA = DATABASE()")
                                     : QStringLiteral(" WHERE TABLE_SCHEMA = :TABLE_SCHEMA");
    for (const QString& column : restrictions)
        if (!FRestrictions.Value(column).isEmpty())
            where += QStringLiteral(" AND %1 = :%1").arg(column);
    QString tableType;
    if (tables) {
        tableType = FRestrictions.Value(QStringLiteral("TABLE_TYPE")).trimmed().toUpper();
        if (tableType == QLatin1String("TABLE") || tableType == QLatin1String("BASE TABLE"))
            // System-versioned tables are tables to the user as well.
            where += QStringLiteral(" AND TABLE_TYPE IN ('BASE TABLE', 'SYSTEM VERSIONED')");
        else if (!tableType.isEmpty())
            where += QStringLiteral(" AND TABLE_TYPE = :TABLE_TYPE");
    }

    SetSQL(select + from + where + order);
    if (!schema.isEmpty())
        ParamByName(QStringLiteral("TABLE_SCHEMA"))->SetAsString(schema);
    for (const QString& column : restrictions)
        if (TParam* param = FindParam(column))
            param->SetAsString(FRestrictions.Value(column));
    if (TParam* type = FindParam(QStringLiteral("TABLE_TYPE")))
        type->SetAsString(tableType);
    TUniQuery::InternalOpen();
}
