#include "UConvertOutputer.h"

#include "UConvertStatus.h"
#include "base/UException.h"

void TConvertOutputer::Attach()
{
    if (!FStatus)
        throw Exception(QStringLiteral("The outputer has no status to attach to."));
    FStatus->OnError = [this](TConvertStatus& status) { HandleError(status); };
    FStatus->OnMessage = [this](TConvertStatus& status) { HandleMessage(status); };
    FStatus->OnStart = [this](TConvertStatus& status) { HandleStart(status); };
    FStatus->OnEnd = [this](TConvertStatus& status) { HandleEnd(status); };
    FStatus->OnProgress = [this](TConvertStatus& status) { HandleProgress(status); };
}
