#pragma once

#include <QChar>
#include <QString>

// The section "DBImport" of "config.ini", read once at start-up.
class TDBImportSettings {
public:
    // The column type the table creator writes for a column without one;
    // empty keeps the creator's own default.
    static QString DefaultFieldType;
    // The first character of "DecimalSeparator", else the locale's.
    static QChar DecimalSeparator;

    // Reads the file only when it exists; raises "Cannot create ..." when the
    // program folder cannot be made.
    static void Load();
};
