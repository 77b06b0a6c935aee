#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

class TUniConnection;
struct TUniColumn;
struct TUniUpdatePlan;

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

// The table descriptions of one connection, read once, and the plans of the
// statements decided with them (by the current database and the text). A
// statement other than SELECT may change a table, and a new session may see
// other tables: either empties the cache.
class TUniTableCatalog {
public:
    std::shared_ptr<const TUniTableInfo> Table(TUniConnection& connection, const QString& schema,
                                               const QString& table);
    // False when the statement was not decided yet; plan may be null (read-only).
    bool FindPlan(TUniConnection& connection, const QString& sql, std::shared_ptr<const TUniUpdatePlan>& plan);
    void StorePlan(TUniConnection& connection, const QString& sql, std::shared_ptr<const TUniUpdatePlan> plan);
    // Another client changed a table the plan of the statement was made for:
    // the plan goes, and so do the descriptions of the tables of the columns,
    // so that the next plan reads them afresh.
    void DropPlan(TUniConnection& connection, const QString& sql, const std::vector<TUniColumn>& columns);
    void Clear()
    {
        FTables.clear();
        FPlans.clear();
    }

private:
    void Sync(TUniConnection& connection);
    std::shared_ptr<const TUniTableInfo> Read(TUniConnection& connection, const QString& schema,
                                              const QString& table);

    quint64 FGeneration = 0;
    std::map<std::pair<QString, QString>, std::shared_ptr<const TUniTableInfo>> FTables;
    std::map<std::pair<QString, QString>, std::shared_ptr<const TUniUpdatePlan>> FPlans;
};
