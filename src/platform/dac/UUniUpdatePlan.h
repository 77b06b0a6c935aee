#pragma once

#include "UUniCursor.h"

#include <QString>
#include <memory>
#include <vector>

class TUniConnection;

// How the rows of one result are written back: the one base table whose key
// the result holds wholly, and what each result column is in that table.
// Columns of other tables and expressions stay read-only; so do the columns
// of the same table under another alias (a self-join): the key names the row
// of the alias it came through only.
struct TUniUpdatePlan {
    struct TField {
        QString Column;            // the name in the table; empty: read-only
        qint64 WidthLimit = -1;    // characters or bytes, -1: unchecked
        bool Character = false;    // WidthLimit counts characters
        bool AutoIncrement = false;
    };
    QString Schema;
    QString Table;
    std::vector<TField> Fields;    // one per result column
    std::vector<int> KeyFields;    // the result columns of the key
    // The result columns the plan was made for: a later result of the same
    // text is written by this plan only while it has the same ones.
    std::vector<TUniColumn> Columns;

    bool Editable(int field) const { return !Fields.at(size_t(field)).Column.isEmpty(); }
    // Same names, tables, aliases, schemas and, for table columns, types,
    // widths, character sets and key flags.
    bool MadeFor(const std::vector<TUniColumn>& columns) const;
};

// Decides the plan of a statement before it runs: the server prepares it
// (nothing runs) and names each column's table; the catalogue gives the
// tables' keys. Null when the result cannot be written back. With UseUnicode
// off, a character column whose character set is not latin1 or ascii is
// neither editable nor a key: it arrived with "?" for what latin1 lacks.
std::shared_ptr<const TUniUpdatePlan> PlanUpdates(TUniConnection& connection, const QByteArray& sql);

// The same decision over columns already known (a test of the rules).
std::shared_ptr<const TUniUpdatePlan> PlanUpdates(TUniConnection& connection,
                                                  const std::vector<TUniColumn>& columns);
