#pragma once

// Program settings kept in the registry and loaded at start-up.
class TAppSettings {
public:
    // Whether the start-a-task dialog opens at start (true when nothing is stored).
    static bool ShowLaunch;

    // ShowLaunch := not the registry boolean "NotShowLaunch".
    static void Load();
    // Writes "NotShowLaunch" as "-1" or "0".
    static void Save();

    static const char* const RegistryKey;   // "Software\Corvanta\Vantorquill"
};
