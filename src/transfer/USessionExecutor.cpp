#include "USessionExecutor.h"

#include "UConvertOutputer.h"
#include "UIterativeConverter.h"
#include "app/base/UException.h"
#include "app/base/UExceptionStat.h"
#include "app/base/ULog.h"

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
        FOutputer->Output(message);
        TLog::GetLogger()->Error(failurePrefix + message);
        result = false;
    }
    FItemErrors = converter.Status().Errors;
    TExceptionStat::ReportIfErrors(reportMessage);
    return result;
}
