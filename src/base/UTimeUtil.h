#pragma once

#include <QString>

// "hh:mm:ss.zzz" (withMilliseconds) or "hh:mm:ss" of an amount of
// milliseconds; hours print in full, a negative amount shows as negative
// seconds ("00:00:-05").
QString FormatMilliseconds(double milliseconds, bool withMilliseconds);

// The time still needed when done of total items took elapsed:
// elapsed / (done / total) - elapsed; 0 when done or total is 0.
double EstimateRemaining(double elapsed, qint64 done, qint64 total);
