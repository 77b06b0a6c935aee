#pragma once

#include "UDBHelper.h"

// The MySQL/MariaDB dialect; created by the qualified name
// "UMysqlDBHelper.TMysqlDBHelper".
class TMysqlDBHelper : public TDBHelper {
public:
    // A well-formed quoted identifier (backticks at both ends, inner ones
    // doubled) passes unchanged; any other name is enclosed in backticks with
    // its backticks doubled, so no name can break out of its quotes.
    QString QuoteIdentifier(const QString& name) const override;
    // Always enclosed in backticks, every backtick in it doubled.
    QString QuoteCatalogueName(const QString& name) const override;
    // A name of letters, digits, "_" and "$" that does not start with a digit
    // stays bare; any other is quoted (QuoteIdentifier).
    QString QuoteNameWhenNeeded(const QString& name) const override;
    // Backslashes doubled first, then every "'" written "\'".
    QString EscapeLiteral(const QString& text) const override;
    // INSERT ... VALUES ... ON DUPLICATE KEY UPDATE on three CR LF lines.
    QString GetUpsertSql(const QString& schema, const QString& table, const QString& keyColumn,
                         const QStringList& columns, const QStringList& values) const override;
    bool NeedsStringToDate() const override { return true; }
    QString GetStringToDateFunction() const override;
    QString GetNowSql() const override;
    QString AddLimit(const QString& sql, int rowCount) const override;
    QString GetClobTypeName() const override;
    // True when "select" occurs fewer than twice, anywhere in the text.
    bool IsSingleSelect(const QString& sql) const override;
    // When the varchar widths add up to more than 20000, every varchar wider
    // than 250 becomes "text". A varchar without a width raises EConvertError.
    void AdjustColumnTypes(TNameValueList& columnTypes) const override;

    static bool IsQuotedIdentifier(const QString& name);
};
