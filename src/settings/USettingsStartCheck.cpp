#include "USettingsStartCheck.h"

#include "base/ULogger.h"
#include "base/UPrompter.h"
#include "platform/registry/URegistry.h"

void TSettingsStartCheck::TellInWindow(TPrompter& prompter, const QString& fileName)
{
    for (const QString& notice : TRegistry::OpenAtStart(fileName))
        prompter.ShowError(notice);
}

void TSettingsStartCheck::TellInLog(TLogger& logger, const QString& fileName)
{
    for (const QString& notice : TRegistry::OpenAtStart(fileName))
        logger.Error(notice);
}
