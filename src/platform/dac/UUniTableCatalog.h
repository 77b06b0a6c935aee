#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

class TUniConnection;

// What the catalogue says of one table: enough to write its rows by key.
struct TUniTableInfo {
    struct TColumn {
        QString Name;
        bool Nullable = true;
        bool AutoIncrement = false;
        QString Charset;          // empty for columns without characters
        qint64 MaxLength = -1;    // characters (character columns) or bytes; -1: no limit known
    };
    QString Schema;
    QString Table;
    bool BaseTable = false;       // false also for a view or a missing table
    std::vector<TColumn> Columns;
    // Keys that name one row: the primary key first, then the unique keys
    // whose columns are all NOT NULL, each a list of column names.
    std::vector<QStringList> Keys;

    const TColumn* FindColumn(const QString& name) const;   // ignores letter case
};

// The table descriptions of one connection, read once. A statement other
// than SELECT may change a table, and a new session may see other tables:
// either empties the cache.
class TUniTableCatalog {
public:
    std::shared_ptr<const TUniTableInfo> Table(TUniConnection& connection, const QString& schema,
                                               const QString& table);
    void Clear() { FTables.clear(); }

private:
    std::shared_ptr<const TUniTableInfo> Read(TUniConnection& connection, const QString& schema,
                                              const QString& table);

    quint64 FGeneration = 0;
    std::map<std::pair<QString, QString>, std::shared_ptr<const TUniTableInfo>> FTables;
};
