#pragma once

#include "UNameValueList.h"

#include <QString>
#include <QStringList>

// The description of one table. The name=value lists are keyed by the column
// names exactly as they stand in Columns; index lists by the index name.
// Flags are "-1" and "0"; an empty value is never stored (see TNameValueList).
class TTableInfo {
public:
    QString Schema;
    QString TableName;
    QStringList Columns;            // column names in table order
    TNameValueList FieldTypes;      // column = type text, e.g. "varchar(255)"
    TNameValueList NotNulls;        // column = not-null flag
    TNameValueList PrimaryKeys;     // column = primary-key flag
    TNameValueList AutoIncrements;  // column = auto-increment flag
    TNameValueList DefaultValues;   // column = default value as text
    TNameValueList IndexColumns;    // index = its columns joined by "," in index order
    TNameValueList IndexTypes;      // index = "UNIQUE" or "NON_UNIQUE"
};
