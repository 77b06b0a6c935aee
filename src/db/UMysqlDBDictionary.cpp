#include "UMysqlDBDictionary.h"

#include "base/ULog.h"
#include "platform/dac/UUniConnection.h"
#include "platform/dac/UUniQuery.h"

#include <QRegularExpression>
#include <QVersionNumber>

namespace {

// A query whose ":schema" and ":table" are bound, open on its first row.
std::unique_ptr<TUniQuery> OpenNamedQuery(const TUniDBDictionary& dictionary, const QString& sql,
                                          const QString& schema, const QString& table)
{
    std::unique_ptr<TUniQuery> query = dictionary.NewQuery();
    query->SetSQL(sql);
    query->ParamByName(QStringLiteral("schema"))->SetAsString(schema);
    query->ParamByName(QStringLiteral("table"))->SetAsString(table);
    query->Open();
    return query;
}

QString Text(const TUniQuery& query, const char* column)
{
    return query.FieldByName(QLatin1String(column))->AsString();
}

// The inside of a quoted SQL string literal, its escapes resolved.
QString UnquoteLiteral(const QString& literal)
{
    const QString inner = literal.mid(1, literal.size() - 2);
    QString text;
    text.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == QLatin1Char('\'') && i + 1 < inner.size() && inner[i + 1] == QLatin1Char('\'')) {
            text += c;
            ++i;
        } else if (c == QLatin1Char('\\') && i + 1 < inner.size()) {
            const QChar next = inner[++i];
            switch (next.unicode()) {
            case '0': text += QChar(0); break;
            case 'n': text += QLatin1Char('\n'); break;
            case 'r': text += QLatin1Char('\r'); break;
            case 't': text += QLatin1Char('\t'); break;
            case 'b': text += QLatin1Char('\b'); break;
            case 'Z': text += QChar(0x1A); break;
            case '%':
            case '_': text += c; text += next; break;   // kept escaped, as MySQL does
            default: text += next; break;
            }
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

QStringList TMysqlDBDictionary::GetDatabases() const
{
    std::unique_ptr<TUniQuery> query = NewQuery();
    query->SetSQL(QStringLiteral("select SCHEMA_NAME from INFORMATION_SCHEMA.SCHEMATA"));
    query->Open();
    QStringList names;
    for (; !query->Eof(); query->Next())
        names.append(Text(*query, "SCHEMA_NAME"));
    return names;
}

QString TMysqlDBDictionary::GetCurrentDatabase() const
{
    return CheckedConnection().Database();
}

QStringList TMysqlDBDictionary::GetTables(const QString& schema) const
{
    return GetTableNames(schema, QStringLiteral("BASE TABLE"));
}

TNameValueList TMysqlDBDictionary::GetDBFieldTypes(const QString& schema, const QString& table) const
{
    TLog::GetLogger()->Info(QStringLiteral("TMysqlDBDictionary.GetDBFieldTypes: ") + schema + QLatin1Char('.') + table);
    std::unique_ptr<TUniQuery> query = OpenNamedQuery(
        *this,
        QStringLiteral("SELECT COLUMN_NAME, COLUMN_TYPE FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA=:schema"
                       " and TABLE_NAME =:table ORDER BY ORDINAL_POSITION"),
        schema, table);
    TNameValueList types;
    for (; !query->Eof(); query->Next())
        types.Add(Text(*query, "COLUMN_NAME"), Text(*query, "COLUMN_TYPE").toLower());
    return types;
}

std::unique_ptr<TTableInfo> TMysqlDBDictionary::GetTableInfo(const QString& schema, const QString& table) const
{
    TLog::GetLogger()->Info(QStringLiteral("TMysqlDBDictionary.GetTableInfo: ") + schema + QLatin1Char('.') + table);
    auto info = std::make_unique<TTableInfo>();
    info->Schema = schema;
    info->TableName = table;
    const bool quotedDefaults = QuotesColumnDefaults(CheckedConnection().ServerVersion());

    std::unique_ptr<TUniQuery> columns = OpenNamedQuery(
        *this,
        QStringLiteral("SELECT COLUMN_NAME, DATA_TYPE, COLUMN_DEFAULT, IS_NULLABLE, CHARACTER_MAXIMUM_LENGTH, "
                       "NUMERIC_PRECISION, NUMERIC_SCALE, EXTRA FROM INFORMATION_SCHEMA.COLUMNS "
                       "WHERE TABLE_SCHEMA=:schema and TABLE_NAME =:table ORDER BY ORDINAL_POSITION"),
        schema, table);
    for (; !columns->Eof(); columns->Next()) {
        const QString name = Text(*columns, "COLUMN_NAME");
        const QString dataType = Text(*columns, "DATA_TYPE").toLower();
        QString type = dataType;
        if (dataType.contains(QLatin1String("decimal")) || dataType.contains(QLatin1String("numeric")))
            type += QLatin1Char('(') + Text(*columns, "NUMERIC_PRECISION") + QLatin1Char(',')
                    + Text(*columns, "NUMERIC_SCALE") + QLatin1Char(')');
        else if (dataType == QLatin1String("char") || dataType == QLatin1String("varchar")
                 || dataType == QLatin1String("enum") || dataType == QLatin1String("varbinary"))
            type += QLatin1Char('(') + Text(*columns, "CHARACTER_MAXIMUM_LENGTH") + QLatin1Char(')');
        info->Columns.append(name);
        info->FieldTypes.SetValue(name, type);
        info->NotNulls.SetFlag(name, Text(*columns, "IS_NULLABLE") == QLatin1String("NO"));
        info->AutoIncrements.SetFlag(name, Text(*columns, "EXTRA") == QLatin1String("auto_increment"));
        const TField* defaultValue = columns->FieldByName(QStringLiteral("COLUMN_DEFAULT"));
        info->DefaultValues.SetValue(
            name, NormalizeColumnDefault(defaultValue->AsString(), defaultValue->IsNull(), quotedDefaults));
    }
    columns.reset();

    std::unique_ptr<TUniQuery> indexes = OpenNamedQuery(
        *this,
        QStringLiteral("SELECT INDEX_NAME,COLUMN_NAME,NON_UNIQUE  FROM INFORMATION_SCHEMA.STATISTICS  "
                       "WHERE TABLE_SCHEMA = :schema and TABLE_NAME=:table ORDER BY INDEX_NAME, SEQ_IN_INDEX"),
        schema, table);
    for (; !indexes->Eof(); indexes->Next()) {
        const QString index = Text(*indexes, "INDEX_NAME");
        const QString column = Text(*indexes, "COLUMN_NAME");
        if (index == QLatin1String("PRIMARY")) {
            info->PrimaryKeys.SetFlag(column, true);
            continue;
        }
        AppendIndexColumn(*info, index, column);
        info->IndexTypes.SetValue(index, Text(*indexes, "NON_UNIQUE") != QLatin1String("0")
                                             ? QStringLiteral("NON_UNIQUE")
                                             : QStringLiteral("UNIQUE"));
    }
    return info;
}

QString TMysqlDBDictionary::NormalizeColumnDefault(const QString& value, bool isNull, bool quotedDefaults)
{
    if (isNull)
        return QString();
    if (!quotedDefaults)
        return value;
    if (value == QLatin1String("NULL"))
        return QString();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
        return UnquoteLiteral(value);
    static const QRegularExpression now(QStringLiteral("^current_timestamp\\((\\d*)\\)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = now.match(value);
    if (match.hasMatch()) {
        const QString precision = match.captured(1);
        return precision.isEmpty() ? QStringLiteral("CURRENT_TIMESTAMP")
                                   : QStringLiteral("CURRENT_TIMESTAMP(%1)").arg(precision);
    }
    return value;
}

bool TMysqlDBDictionary::QuotesColumnDefaults(const QString& serverVersion)
{
    if (!serverVersion.contains(QLatin1String("mariadb"), Qt::CaseInsensitive))
        return false;
    QString version = serverVersion;
    // Old clients are shown a "5.5.5-" prefix before the real version.
    if (version.startsWith(QLatin1String("5.5.5-")))
        version = version.mid(6);
    return QVersionNumber::fromString(version) >= QVersionNumber(10, 2, 7);
}
