#include "USessionExecutor.h"

#include "UConvertOutputer.h"
#include "UIterativeConverter.h"
#include "base/UException.h"
#include "base/UExceptionStat.h"
#include "base/ULog.h"
#include "base/ULogUtil.h"

void TSessionExecutor::RaiseInvalidCast()
{
    throw EConvertError(QStringLiteral("Invalid class typecast"));
}

bool TSessionExecutor::RunConverter(TIterativeConverter& converter, const QString& failurePrefix,
                                    const QString& reportMessage)
{
    auto* outputer = dynamic_cast<TConvertOutputer*>(FOutputer);
    if (!outputer)
        RaiseInvalidCast();
    outputer->SetStatus(&converter.Status());
    outputer->Attach();

    FItemErrors = 0;
    bool result = true;
    try {
        converter.Convert();
    } catch (const std::exception& e) {
        const QString message = ExceptionMessage(e);
        FOutputer->Output(EscapeLogText(message));
        TLog::GetLogger()->Error(failurePrefix + message);
        // A run cut short after it started (a lost connection) still says
        // how far it came.
        if (converter.Status().Running)
            converter.Status().Finish();
        result = false;
    }
    FItemErrors = converter.Status().Errors;
    TExceptionStat::ReportIfErrors(reportMessage);
    return result;
}
