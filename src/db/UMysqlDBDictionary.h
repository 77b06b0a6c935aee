#pragma once

#include "UUniDBDictionary.h"

// The MySQL/MariaDB dictionary: its own INFORMATION_SCHEMA queries with the
// names bound as parameters; created by the qualified name
// "UMysqlDBDictionary.TMysqlDBDictionary".
class TMysqlDBDictionary : public TUniDBDictionary {
public:
    QStringList GetDatabases() const override;
    QString GetCurrentDatabase() const override;
    QStringList GetTables(const QString& schema) const override;
    TNameValueList GetDBFieldTypes(const QString& schema, const QString& table) const override;
    std::unique_ptr<TTableInfo> GetTableInfo(const QString& schema, const QString& table) const override;

    // A COLUMN_DEFAULT in MySQL's form. MariaDB (from 10.2.7) writes string
    // defaults as quoted literals, an explicit NULL default as the word NULL
    // and current_timestamp() in lower case; quotedDefaults says the value
    // comes from such a server. An empty result means no default.
    static QString NormalizeColumnDefault(const QString& value, bool isNull, bool quotedDefaults);
    // Whether the server version text is a MariaDB that quotes defaults.
    static bool QuotesColumnDefaults(const QString& serverVersion);
};
