#include "UTimeUtil.h"

#include <cmath>

namespace {
// At least width digits, the sign in front of them.
QString Field(qint64 value, int width)
{
    const QString digits = QString::number(value < 0 ? -value : value).rightJustified(width, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

// Nearest whole number, a half going to the even one.
qint64 RoundHalfEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}
}

QString FormatMilliseconds(double milliseconds, bool withMilliseconds)
{
    double ms = milliseconds;
    qint64 hours = 0;
    if (ms >= 3600000.0) {
        hours = static_cast<qint64>(std::floor(ms / 3600000.0));
        ms -= hours * 3600000.0;
    }
    qint64 minutes = 0;
    if (ms >= 60000.0) {
        minutes = static_cast<qint64>(std::floor(ms / 60000.0));
        ms -= minutes * 60000.0;
    }
    const double seconds = ms / 1000.0;
    const QString head = Field(hours, 2) + QLatin1Char(':') + Field(minutes, 2) + QLatin1Char(':');
    if (!withMilliseconds)
        return head + Field(RoundHalfEven(seconds), 2);

    qint64 whole = static_cast<qint64>(std::floor(seconds));
    qint64 rest = RoundHalfEven(ms - whole * 1000.0);
    if (rest == 1000) {   // 59,999.6 ms: "59.1000" would be wrong, carry into the seconds
        ++whole;
        rest = 0;
    }
    return head + Field(whole, 2) + QLatin1Char('.') + Field(rest, 3);
}

double EstimateRemaining(double elapsed, qint64 done, qint64 total)
{
    if (done == 0 || total == 0)
        return 0;
    return elapsed / (static_cast<double>(done) / static_cast<double>(total)) - elapsed;
}
