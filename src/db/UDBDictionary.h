#pragma once

#include "UNameValueList.h"
#include "UTableInfo.h"
#include "base/UComponent.h"

#include <QString>
#include <QStringList>
#include <memory>

class TDBHelper;
class TUniConnection;
class TUniMetaData;

// The server's catalogue (databases, tables, views, columns, indexes, row
// counts) and the one spelling of names in SQL texts: QuoteName and
// GetQualifiedName. Usable once SetConnection has run; every read needs the
// connection to be connected. Nothing is cached.
class TDBDictionary : public TObject {
public:
    TDBDictionary();
    ~TDBDictionary() override;

    // Borrows the connection and makes the dialect object for its provider
    // name. Called once, right after creation.
    void SetConnection(TUniConnection* connection);
    TUniConnection* Connection() const { return FConnection; }
    TDBHelper* Helper() const { return FHelper.get(); }

    QString GetProviderName() const;
    // False for the file databases "Access", "SQLite" and "DBF".
    bool IsServerDatabase() const;
    // The database the connection is set to.
    QString GetDatabaseName() const;
    // "select * from " + the qualified name.
    QString GetSelectAllSql(const QString& schema, const QString& table) const;
    // The same of a table named in the catalogue (the object tree, the
    // dictionary's lists): see GetCatalogueQualifiedName.
    QString GetCatalogueSelectAllSql(const QString& schema, const QString& table) const;
    // The name as an identifier of the dialect ("`a``b`" for MySQL).
    QString QuoteName(const QString& name) const;
    // "`schema`.`table`" for MySQL; the table alone for a blank schema.
    QString GetQualifiedName(const QString& schema, const QString& table) const;
    // The same for a name read from the catalogue: never trimmed, always quoted.
    QString GetCatalogueQualifiedName(const QString& schema, const QString& table) const;
    // The number of rows the query returns; 0 when it fails (logged at
    // debug level), never raises.
    qint64 GetRecordCount(const QString& sql) const;

    // The schema and table selected in the object tree.
    const QString& CurrentSchema() const { return FCurrentSchema; }
    void SetCurrentSchema(const QString& schema) { FCurrentSchema = schema; }
    const QString& CurrentTable() const { return FCurrentTable; }
    void SetCurrentTable(const QString& table) { FCurrentTable = table; }

    virtual void FillColumns(const QString& schema, const QString& table, TTableInfo& info) const;
    virtual void FillIndexes(const QString& schema, const QString& table, TTableInfo& info) const;
    virtual void FillPrimaryKey(const QString& schema, const QString& table, TTableInfo& info) const;
    virtual QString NormalizeName(const QString& name) const;
    virtual QString GetConnectionCaption() const = 0;
    virtual QStringList GetDatabases() const = 0;
    virtual QString GetCurrentDatabase() const = 0;
    virtual QStringList GetTables(const QString& schema) const = 0;
    virtual QStringList GetViews(const QString& schema) const = 0;
    // column = type entries in table order.
    virtual TNameValueList GetDBFieldTypes(const QString& schema, const QString& table) const;
    virtual std::unique_ptr<TTableInfo> GetTableInfo(const QString& schema, const QString& table) const;
    // The columns that alone make up a unique index.
    virtual QStringList GetUniqueColumns(const QString& schema, const QString& table) const;
    // Of a table named in the catalogue (see GetCatalogueQualifiedName).
    virtual QString GetDropTableSql(const QString& schema, const QString& table) const;

protected:
    TUniConnection& CheckedConnection() const;
    // Opens a catalogue read of one kind, restricted to the schema and table.
    void OpenMetaData(TUniMetaData& meta, const QString& kind, const QString& schema, const QString& table) const;
    // Adds a column to an index's comma-separated column list.
    static void AppendIndexColumn(TTableInfo& info, const QString& index, const QString& column);

private:
    TUniConnection* FConnection = nullptr;
    QString FCurrentSchema;
    QString FCurrentTable;
    std::unique_ptr<TDBHelper> FHelper;
};
