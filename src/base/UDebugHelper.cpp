#include "UDebugHelper.h"

#include "ULog.h"
#include "UMemoryLogAppender.h"

#include <memory>

namespace {
std::unique_ptr<TMemoryLogAppender>& debugLog()
{
    static std::unique_ptr<TMemoryLogAppender> log;
    return log;
}
}

void TDebugHelper::Init()
{
    if (debugLog())
        return;
    debugLog() = std::make_unique<TMemoryLogAppender>();
    debugLog()->SetDebugLevel();
    debugLog()->MaxSize = 524288;
    TLog::GetLogger()->AddAppender(debugLog().get());
}

void TDebugHelper::Done()
{
    if (!debugLog())
        return;
    TLog::GetLogger()->RemoveAppender(debugLog().get());
    debugLog().reset();
}

QString TDebugHelper::GetLog()
{
    return debugLog() ? debugLog()->GetText() : QString();
}

void TDebugHelper::ClearLog()
{
    if (debugLog())
        debugLog()->Clear();
}
