#include "UUniUpdatePlan.h"

#include "UUniConnection.h"
#include "UUniError.h"
#include "UUniStatement.h"
#include "UUniTableCatalog.h"

#include <algorithm>
#include <errmsg.h>
#include <mysql.h>

namespace {

// The column flags a plan depends on: which key a column is part of, and
// whether the server numbers it.
const unsigned PlannedFlags = PRI_KEY_FLAG | UNIQUE_KEY_FLAG | MULTIPLE_KEY_FLAG | AUTO_INCREMENT_FLAG;

// With UseUnicode off the session reads latin1: a column of another character
// set arrived with "?" for every character latin1 lacks.
bool ArrivesWhole(const TUniConnection& connection, const TUniTableInfo::TColumn& column)
{
    if (connection.IsUnicode() || column.Charset.isEmpty())
        return true;
    const QString charset = column.Charset.toLower();
    return charset == QLatin1String("latin1") || charset == QLatin1String("ascii")
        || charset == QLatin1String("binary");
}

// The table a result column comes through: its schema, table and alias.
struct TSource {
    QString Schema;
    QString Table;
    QString Alias;

    bool operator==(const TSource&) const = default;
};

TSource SourceOf(const TUniColumn& column)
{
    return {column.Schema, column.Table, column.Alias};
}

// The result column that holds a table column through the source, -1 when
// none does whole.
int ResultColumnOf(const TUniConnection& connection, const std::vector<TUniColumn>& columns,
                   const TUniTableInfo& table, const TSource& source, const QString& name)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        if (SourceOf(columns[i]) != source || columns[i].OrgName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const TUniTableInfo::TColumn* column = table.FindColumn(name);
        return column && ArrivesWhole(connection, *column) ? int(i) : -1;
    }
    return -1;
}

std::shared_ptr<TUniUpdatePlan> PlanOfKey(const TUniConnection& connection, const std::vector<TUniColumn>& columns,
                                          const TUniTableInfo& table, const TSource& source,
                                          const std::vector<int>& keyFields)
{
    auto plan = std::make_shared<TUniUpdatePlan>();
    plan->Schema = table.Schema;
    plan->Table = table.Table;
    plan->KeyFields = keyFields;
    plan->Fields.resize(columns.size());
    plan->Columns = columns;
    QStringList taken;
    for (size_t i = 0; i < columns.size(); ++i) {
        const TUniColumn& result = columns[i];
        // Other tables, and this one under another alias, stay read-only: an
        // update by this key writes neither.
        if (result.OrgName.isEmpty() || SourceOf(result) != source)
            continue;
        const TUniTableInfo::TColumn* column = table.FindColumn(result.OrgName);
        if (!column || !ArrivesWhole(connection, *column) || taken.contains(column->Name, Qt::CaseInsensitive))
            continue;
        taken.append(column->Name);
        TUniUpdatePlan::TField& field = plan->Fields[i];
        field.Column = column->Name;
        field.WidthLimit = column->MaxLength;
        field.Character = !column->Charset.isEmpty() && column->Charset.compare(QLatin1String("binary"), Qt::CaseInsensitive) != 0;
        field.AutoIncrement = column->AutoIncrement;
    }
    return plan;
}

}  // namespace

bool TUniUpdatePlan::MadeFor(const std::vector<TUniColumn>& columns) const
{
    if (columns.size() != Columns.size())
        return false;
    for (size_t i = 0; i < columns.size(); ++i) {
        const TUniColumn& was = Columns[i];
        const TUniColumn& now = columns[i];
        if (was.Name != now.Name || was.OrgName != now.OrgName || SourceOf(was) != SourceOf(now))
            return false;
        // An expression's type may differ between the prepared statement and
        // its run; it is never written, so only table columns must match.
        // A new width, character set or key is a changed table too: the plan
        // holds the old width limit and may write by a key that is gone.
        if (!now.OrgName.isEmpty()
            && (was.NativeType != now.NativeType || was.Length != now.Length || was.CharsetNr != now.CharsetNr
                || (was.Flags & PlannedFlags) != (now.Flags & PlannedFlags)))
            return false;
    }
    return true;
}

std::shared_ptr<const TUniUpdatePlan> PlanUpdates(TUniConnection& connection, const std::vector<TUniColumn>& columns)
{
    std::vector<TSource> seen;
    for (const TUniColumn& column : columns) {
        if (column.OrgName.isEmpty() || column.Table.isEmpty() || column.Schema.isEmpty())
            continue;   // an expression, or a column of a derived table
        const TSource source = SourceOf(column);
        if (std::find(seen.begin(), seen.end(), source) != seen.end())
            continue;
        seen.push_back(source);
        std::shared_ptr<const TUniTableInfo> table = connection.TableCatalog().Table(connection, source.Schema, source.Table);
        if (!table->BaseTable)
            continue;
        for (const QStringList& key : table->Keys) {
            std::vector<int> keyFields;
            for (const QString& part : key) {
                const int field = ResultColumnOf(connection, columns, *table, source, part);
                if (field < 0)
                    break;
                keyFields.push_back(field);
            }
            if (keyFields.size() == size_t(key.size()))
                return PlanOfKey(connection, columns, *table, source, keyFields);
        }
    }
    return nullptr;
}

std::shared_ptr<const TUniUpdatePlan> PlanUpdates(TUniConnection& connection, const QByteArray& sql)
{
    std::vector<TUniColumn> columns;
    {
        TUniStatement statement(connection);
        try {
            statement.Prepare(sql);
        } catch (const EUniError& e) {
            // The server's refusal is for the run itself to report; a client
            // error (a lost session among them) is the statement's error.
            if (e.ErrorCode() >= CR_MIN_ERROR && e.ErrorCode() <= CR_MAX_ERROR)
                throw;
            return nullptr;
        }
        MYSQL_RES* metadata = statement.ResultMetadata();
        if (!metadata)
            return nullptr;
        const unsigned count = mysql_num_fields(metadata);
        const MYSQL_FIELD* fields = mysql_fetch_fields(metadata);
        for (unsigned i = 0; i < count; ++i)
            columns.push_back(ColumnOfField(fields[i], connection));
        mysql_free_result(metadata);
    }
    return PlanUpdates(connection, columns);
}
