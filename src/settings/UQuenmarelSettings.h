#pragma once

#include <QString>

// Program settings kept in "config.ini" of the per-user program folder and
// loaded at start-up.
class TQuenmarelSettings {
public:
    // Whether the export dialog also offers large-object columns as name,
    // extension and sub-folder fields (false when nothing is stored).
    static bool UseLobValueAsName;

    // Reads section "Export", key "UseLobValueAsName" when the file exists.
    // Both raise "Cannot create ..." when the program folder cannot be made.
    static void Load();
    // Writes it as "1" or "0", creating the file when needed.
    static void Save();

    // GetProgramDataDir("Vantorquill") + "config.ini".
    static QString ConfigFileName();
};
