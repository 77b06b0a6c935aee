#include "UExceptionStat.h"

#include "UErrorReport.h"
#include "ULog.h"
#include "UMemoryLogAppender.h"

#include <memory>

namespace {
std::unique_ptr<TMemoryLogAppender>& errorLog()
{
    static std::unique_ptr<TMemoryLogAppender> log;
    return log;
}
}

void TExceptionStat::Start()
{
    if (errorLog())
        return;
    errorLog() = std::make_unique<TMemoryLogAppender>();
    errorLog()->SetErrorLevel();
    errorLog()->MaxSize = 1024;
    TLog::GetLogger()->AddAppender(errorLog().get());
}

void TExceptionStat::Stop()
{
    if (!errorLog())
        return;
    TLog::GetLogger()->RemoveAppender(errorLog().get());
    errorLog().reset();
}

bool TExceptionStat::HasErrors()
{
    return errorLog() && !errorLog()->GetText().isEmpty();
}

void TExceptionStat::Clear()
{
    if (errorLog())
        errorLog()->Clear();
}

void TExceptionStat::ReportIfErrors(const QString& message)
{
    if (!HasErrors())
        return;
    ShowExceptionReport(message);
    Clear();
}
