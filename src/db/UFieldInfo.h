#pragma once

#include <QString>

// The column that the table creator is writing.
class TFieldInfo {
public:
    QString Name;
    QString FieldType;
    bool NotNull = false;
    bool PrimaryKey = false;
    bool AutoIncrement = false;
    QString DefaultValue;
};
