#include "ULogConvertOutputer.h"

#include "UConvertStatus.h"
#include "base/UStdErrLogAppender.h"
#include "base/UTimeUtil.h"

void TLogConvertOutputer::Output(const QString& text)
{
    if (LogFile().isEmpty())
        WriteStdErrLogLine(text);
    else
        TConvertOutputer::Output(text);
}

void TLogConvertOutputer::HandleError(TConvertStatus& status)
{
    Output(status.LastError);
}

void TLogConvertOutputer::HandleMessage(TConvertStatus& status)
{
    Output(status.Message);
}

void TLogConvertOutputer::HandleEnd(TConvertStatus& status)
{
    Output(SummaryText(status.Succeeded, status.Errors, status.GetElapsed()));
}

QString TLogConvertOutputer::SummaryText(int succeeded, int errors, double elapsedMs)
{
    QString text = QString::number(succeeded) + QStringLiteral(" records") + QStringLiteral("    Elapsed: ")
                   + FormatMilliseconds(elapsedMs, true);
    if (errors > 0)
        text += QStringLiteral(".  ") + QString::number(errors) + QStringLiteral(" rows can not convert.");
    return text;
}
