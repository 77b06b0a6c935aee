#pragma once

#include "ULogger.h"

// The registry of named loggers (names compared without regard to case). It
// owns the loggers; Init and Done are run by the program's ordered start-up
// and shut-down.
class TLog {
public:
    static void Init();
    static void Done();

    static TLogger* GetLoggerByName(const QString& name);
    static TLogger* GetLogger();   // "Global"
};
