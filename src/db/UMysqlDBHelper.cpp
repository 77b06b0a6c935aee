#include "UMysqlDBHelper.h"

#include "base/UException.h"
#include "base/UStringUtil.h"

#include <algorithm>

namespace {

const QChar backtick(u'`');
const int maxRowVarcharWidth = 20000;
const int maxKeptVarcharWidth = 250;

// The width of a type that contains "varchar": the integer after the first
// "varchar(" up to the next ")".
int VarcharWidth(const QString& lowerType)
{
    const QString text = TextBetween(lowerType, QStringLiteral("varchar("), QStringLiteral(")"));
    bool ok = false;
    const int width = text.trimmed().toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return width;
}

}  // namespace

bool TMysqlDBHelper::IsQuotedIdentifier(const QString& name)
{
    if (name.size() < 2 || name.front() != backtick || name.back() != backtick)
        return false;
    for (qsizetype i = 1; i < name.size() - 1; ++i) {
        if (name[i] != backtick)
            continue;
        if (i + 1 >= name.size() - 1 || name[i + 1] != backtick)
            return false;
        ++i;
    }
    return true;
}

QString TMysqlDBHelper::QuoteIdentifier(const QString& name) const
{
    return IsQuotedIdentifier(name) ? name : QuoteCatalogueName(name);
}

QString TMysqlDBHelper::QuoteCatalogueName(const QString& name) const
{
    QString inner = name;
    inner.replace(backtick, QStringLiteral("``"));
    return backtick + inner + backtick;
}

QString TMysqlDBHelper::QuoteNameWhenNeeded(const QString& name) const
{
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const auto wordChar = [&](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
               || digit(c) || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    const bool plain = !name.isEmpty() && !digit(name.front()) && std::all_of(name.begin(), name.end(), wordChar);
    // A made name is a name, never a quoted identifier: one that begins and
    // ends with a backtick keeps them.
    return plain ? name : QuoteCatalogueName(name);
}

QString TMysqlDBHelper::EscapeLiteral(const QString& text) const
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return escaped.replace(QLatin1Char('\''), QLatin1String("\\'"));
}

QString TMysqlDBHelper::GetUpsertSql(const QString& schema, const QString& table, const QString& keyColumn,
                                     const QStringList& columns, const QStringList& values) const
{
    QStringList columnTexts;
    QStringList valueTexts;
    QStringList updates;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString column = QuoteIdentifier(columns[i]);
        columnTexts.append(column);
        valueTexts.append(values.value(i));
        if (columns[i] != keyColumn)
            updates.append(column + QLatin1Char('=') + values.value(i));
    }
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("INSERT INTO ") + QualifiedName(schema, table) + QStringLiteral(" (")
           + columnTexts.join(QLatin1Char(',')) + QLatin1Char(')') + crlf + QStringLiteral("VALUES (")
           + valueTexts.join(QLatin1Char(',')) + QLatin1Char(')') + crlf
           + QStringLiteral("ON DUPLICATE KEY UPDATE ") + updates.join(QLatin1Char(','));
}

QString TMysqlDBHelper::GetStringToDateFunction() const
{
    return QStringLiteral("str_to_date");
}

QString TMysqlDBHelper::GetNowSql() const
{
    return QStringLiteral("select now()");
}

QString TMysqlDBHelper::AddLimit(const QString& sql, int rowCount) const
{
    return sql + QStringLiteral(" limit ") + QString::number(rowCount);
}

QString TMysqlDBHelper::GetClobTypeName() const
{
    return QStringLiteral("TEXT");
}

bool TMysqlDBHelper::IsSingleSelect(const QString& sql) const
{
    return CountOccurrences(QStringLiteral("select"), sql.toLower()) < 2;
}

void TMysqlDBHelper::AdjustColumnTypes(TNameValueList& columnTypes) const
{
    const QString varchar = QStringLiteral("varchar");
    qint64 sum = 0;
    for (int i = 0; i < columnTypes.Count(); ++i) {
        const QString type = columnTypes.ValueFromIndex(i).toLower();
        if (type.contains(varchar))
            sum += VarcharWidth(type);
    }
    if (sum <= maxRowVarcharWidth)
        return;
    for (int i = 0; i < columnTypes.Count(); ++i) {
        const QString type = columnTypes.ValueFromIndex(i).toLower();
        if (type.contains(varchar) && VarcharWidth(type) > maxKeptVarcharWidth)
            columnTypes.SetValueFromIndex(i, QStringLiteral("text"));
    }
}
