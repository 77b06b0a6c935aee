#include "UDBHelper.h"

#include "base/UException.h"
#include "base/UStringUtil.h"

QString TDBHelper::QuoteIdentifier(const QString& name) const
{
    return name;
}

QString TDBHelper::EscapeLiteral(const QString& text) const
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString TDBHelper::GetParamName(const QString& name, const QString&) const
{
    return QLatin1Char(':') + name;
}

QString TDBHelper::GetParamPlaceholder(const QString& name, const QString&) const
{
    return QLatin1Char(':') + name;
}

QString TDBHelper::GetStringToDateFunction() const
{
    if (NeedsStringToDate())
        throw Exception(QStringLiteral("Class: ") + ClassName() + QStringLiteral(" Should implement GetStringToDateFunction"));
    return QString();
}

QString TDBHelper::GetNowSql() const
{
    return QString();
}

QString TDBHelper::AddLimit(const QString& sql, int) const
{
    return sql;
}

QString TDBHelper::GetBlobTypeName() const
{
    return QStringLiteral("BLOB");
}

QString TDBHelper::GetClobTypeName() const
{
    return QStringLiteral("CLOB");
}

QString TDBHelper::GetLongTextTypeName() const
{
    return GetClobTypeName();
}

bool TDBHelper::IsSingleSelect(const QString&) const
{
    return true;
}

void TDBHelper::AdjustColumnTypes(TNameValueList&) const {}

QString TDBHelper::QualifiedName(const QString& schema, const QString& objectName) const
{
    const QString name = QuoteIdentifier(TrimText(objectName));
    const QString trimmedSchema = TrimText(schema);
    if (trimmedSchema.isEmpty())
        return name;
    return QuoteIdentifier(trimmedSchema) + QLatin1Char('.') + name;
}

QString TDBHelper::QuoteCatalogueName(const QString& name) const
{
    return name;
}

QString TDBHelper::CatalogueQualifiedName(const QString& schema, const QString& objectName) const
{
    const QString name = QuoteCatalogueName(objectName);
    if (TrimText(schema).isEmpty())
        return name;
    return QuoteCatalogueName(schema) + QLatin1Char('.') + name;
}

QString TDBHelper::QuoteNameWhenNeeded(const QString& name) const
{
    return name;
}
