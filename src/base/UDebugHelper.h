#pragma once

#include <QString>

// The debug memory log of the whole run: every message of "Global", kept up to
// 524,288 characters; shown by the log viewer and sent with error reports.
class TDebugHelper {
public:
    static void Init();
    static void Done();
    static QString GetLog();
    static void ClearLog();
};
