#include "UErrorReport.h"

#include "UPrompter.h"

namespace {
TErrorReporter& reporterSlot()
{
    static TErrorReporter reporter;
    return reporter;
}
}

void SetExceptionReporter(TErrorReporter reporter)
{
    reporterSlot() = std::move(reporter);
}

void ShowExceptionReport(const QString& message)
{
    if (reporterSlot())
        reporterSlot()(message);
    else
        ShowFallbackExceptionReport(message);
}

void ShowFallbackExceptionReport(const QString& message)
{
    TPrompter::Instance().ShowError(message);
}
