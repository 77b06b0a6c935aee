#pragma once

#include <QString>

// The error memory log of window mode (error level, 1,024 characters): tells
// whether a transfer run logged errors. Outside window mode it does not exist
// and every operation does nothing.
class TExceptionStat {
public:
    static void Start();
    static void Stop();
    static bool HasErrors();
    static void Clear();
    static void ReportIfErrors(const QString& message);
};
