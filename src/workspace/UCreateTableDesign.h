#pragma once

#include "db/UNameValueList.h"

#include <QList>
#include <QString>
#include <memory>

class TTableCreator;
class TTableInfo;

// Positions of the create-table dialog's column grid.
enum TColumnGridColumn {
    cgFieldName = 0,
    cgDataType = 1,
    cgDefaultValue = 2,
    cgNotNull = 3,
    cgPrimaryKey = 4,
    cgAutoInc = 5,
    cgColumnCount = 6,
};

// Positions of the index grid.
enum TIndexGridColumn {
    igIndexName = 0,
    igColumns = 1,
    igIndexType = 2,
    igColumnCount = 3,
};

// The items of the index grid's type list; a cell holds the item's position.
enum TIndexTypeItem {
    itUnique = 0,
    itNonUnique = 1,
};
QString IndexTypeText(int item);   // "UNIQUE", else "NON_UNIQUE"
int IndexTypeItem(const QString& text);   // its position, -1 for any other text

// One row of the column grid, the cell texts as they stand.
struct TColumnRow {
    QString FieldName;
    QString DataType;
    QString DefaultValue;
    bool NotNull = false;
    bool PrimaryKey = false;
    bool AutoIncrement = false;
};

struct TIndexRow {
    QString IndexName;
    QString Columns;
    int IndexType = itUnique;
};

// Where a failed check sends the user.
enum class TDesignTarget {
    None,
    TableName,
    ColumnsGrid,   // the column grid itself (it has no rows)
    ColumnCell,
    IndexCell,
};

struct TDesignFault {
    QString Message;   // empty: the design is valid
    TDesignTarget Target = TDesignTarget::None;
    int Row = -1;
    int Column = -1;
    bool IsValid() const { return Message.isEmpty(); }
};

// A table design as the create-table dialog's controls hold it. The dialog
// copies its controls into one, so that the checks and the description need
// no window.
class TCreateTableDesign {
public:
    QString Schema;
    QString TableName;
    QList<TColumnRow> Columns;
    QList<TIndexRow> Indexes;

    // The first failing check in the dialog's fixed order; names, types, keys
    // and duplicates. Duplicate names are compared ignoring letter case, as
    // the server compares them.
    TDesignFault Validate(const TTableCreator& creator) const;

    // A new description: names and cells trimmed, the schema as it stands,
    // flags "-1" and "0", the index type "UNIQUE" or "NON_UNIQUE".
    std::unique_ptr<TTableInfo> ToTableInfo() const;

    // The rows that show an existing table: names normalised and made unique
    // for display, the loaded types recorded in detectedTypes, index columns
    // in the creator's letter case.
    static TCreateTableDesign FromTableInfo(const TTableInfo& info, const TTableCreator& creator,
                                            TNameValueList& detectedTypes);
};
