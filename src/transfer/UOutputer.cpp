#include "UOutputer.h"

#include "app/base/ULogUtil.h"

void TOutputer::Output(const QString& text)
{
    WriteLogLine(FLogFile, text);
}
