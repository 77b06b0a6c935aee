#include "UOutputer.h"

#include "base/ULogUtil.h"

void TOutputer::Output(const QString& text)
{
    WriteLogLine(FLogFile, text);
}
