#include "UProgressMonitor.h"

#include "UConvertStatus.h"
#include "base/UTimeUtil.h"

#include <cmath>

namespace {

// The display's own rows per step below 10,000 items.
int PlainStep(int total)
{
    if (total < 100)
        return 1;
    if (total < 1000)
        return 10;
    if (total < 10000)
        return 100;
    return static_cast<int>((static_cast<qint64>(total) + 99) / 100);
}

}  // namespace

TProgressMonitor::TProgressMonitor() : FClock(&TConvertStatus::TickCount) {}

TProgressMonitor::~TProgressMonitor() = default;

void TProgressMonitor::SetClock(TClock clock)
{
    FClock = clock ? std::move(clock) : TClock(&TConvertStatus::TickCount);
}

int TProgressMonitor::StepFor(int total, int cap)
{
    const int step = PlainStep(total);
    return cap > 0 ? std::min(step, cap) : step;
}

QString TProgressMonitor::PercentText(int position, int total)
{
    // std::round goes half away from zero, where printf's "%.0f" goes to even.
    const double percent = static_cast<double>(position) * 100.0 / static_cast<double>(total);
    return QString::number(static_cast<qint64>(std::round(percent))) + QStringLiteral(" %");
}

QString TProgressMonitor::ProgressText(int position, int total, const QString& unitWord, double elapsed)
{
    const QString ofText = total > 0 ? QString::number(total) : QStringLiteral("> ") + QString::number(position);
    const double remaining = EstimateRemaining(elapsed, position, total);
    // An uncounted total gives a negative estimate: no time is known.
    const QString remainingText = remaining < 0 ? QStringLiteral("--:--:--") : FormatMilliseconds(remaining, false);
    return QString::number(position) + QLatin1Char(' ') + unitWord + QStringLiteral(" / ") + ofText + QLatin1Char(' ')
        + unitWord + QStringLiteral("    Elapsed: ") + FormatMilliseconds(elapsed, false)
        + QStringLiteral("    Remaining: ") + remainingText;
}
