#include "UUniSqlExecutor.h"

#include "UDBUtil.h"
#include "base/UException.h"
#include "base/ULog.h"

TUniSqlExecutor::TUniSqlExecutor() : FScript(std::make_unique<TUniScript>())
{
    FScript->SetOnError([this](TUniScript*, const Exception& error, const QString&, TErrorAction& action) {
        ScriptError(error, action);
    });
}

TUniSqlExecutor::~TUniSqlExecutor() = default;

bool TUniSqlExecutor::ExecuteSql(const QString& script)
{
    TLog::GetLogger()->Debug(script);
    FSuccess = true;
    FScript->SetConnection(FConnection);
    FScript->SetSQL(script);
    FScript->SetSplit(Split());
    FScript->Execute();
    const bool result = FSuccess;
    if (FScript->Connection())
        Reconnect(*FScript->Connection());
    return result;
}

void TUniSqlExecutor::ScriptError(const Exception& error, TErrorAction& action)
{
    action = eaAbort;
    FSuccess = false;
    throw Exception(error.Message() + QStringLiteral(" at line ") + QString::number(FScript->CurrentLine())
                    + QStringLiteral(" of the script"));
}
