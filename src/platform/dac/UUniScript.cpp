#include "UUniScript.h"

#include "UUniError.h"
#include "UUniQuery.h"
#include "UUniSqlUtil.h"

TUniScript::TUniScript(TComponent* owner) : TComponent(owner), FQuery(std::make_unique<TUniQuery>())
{
    // Script text is DDL and DML as written: a colon is never a parameter.
    FQuery->SetParamCheck(false);
}

TUniScript::~TUniScript() = default;

void TUniScript::Execute()
{
    TUniConnection* connection = FConnection;
    if (!connection && FDataSet)
        connection = FDataSet->Connection();
    if (!connection)
        throw EUniError(QStringLiteral("Connection is not defined"));
    FQuery->SetConnection(connection);
    if (FDataSet) {
        FDataSet->Close();
        // The statements are read the way the data set reads its own.
        FQuery->SetUniDirectional(FDataSet->UniDirectional());
        FQuery->SetFetchRows(FDataSet->FetchRows());
        FQuery->SpecificOptions() = FDataSet->SpecificOptions();
    }
    const QList<TSqlStatement> statements = SplitSqlStatements(FSQL, FSplit);
    for (const auto& [statement, line] : statements) {
        FCurrentLine = line;
        // The data set keeps the rows of the last statement only: an earlier
        // result is closed early, never read to its end.
        if (FDataSet && FDataSet->Active())
            FDataSet->Close();
        FQuery->SetSQL(statement);
        try {
            FQuery->Execute();
        } catch (const Exception& error) {
            TErrorAction action = eaFail;
            if (FOnError)
                FOnError(this, error, statement, action);
            if (action == eaContinue)
                continue;
            if (action == eaAbort)
                return;
            throw;
        }
        if (!FQuery->Active())
            continue;
        if (FDataSet && FDataSet->Connection() == connection)
            FDataSet->AdoptResult(*FQuery);
        else
            FQuery->Close();
    }
}
