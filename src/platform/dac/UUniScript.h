#pragma once

#include "base/UComponent.h"
#include "UUniSqlUtil.h"

#include <QString>
#include <functional>
#include <memory>

class Exception;
class TUniConnection;
class TUniQuery;

// What a script does after a failing statement.
enum TErrorAction {
    eaAbort,       // stop quietly
    eaFail,        // stop and raise the error (the default)
    eaException,   // raise the error
    eaContinue     // go on with the next statement
};

// Runs an SQL script statement by statement (see SplitSqlScript). With a
// data set, the rows of the last statement are left open in it when that
// statement returned rows, so that nothing needs to run twice; the rows of an
// earlier statement are closed when the next one runs.
class TUniScript : public TComponent {
public:
    using TErrorEvent = std::function<void(TUniScript* sender, const Exception& error,
                                           const QString& sql, TErrorAction& action)>;

    explicit TUniScript(TComponent* owner = nullptr);
    ~TUniScript() override;

    TUniConnection* Connection() const { return FConnection; }
    void SetConnection(TUniConnection* connection) { FConnection = connection; }
    const QString& SQL() const { return FSQL; }
    void SetSQL(const QString& sql) { FSQL = sql; }
    TUniQuery* DataSet() const { return FDataSet; }
    void SetDataSet(TUniQuery* dataSet) { FDataSet = dataSet; }   // borrowed
    void SetOnError(TErrorEvent handler) { FOnError = std::move(handler); }
    void SetSplit(TScriptSplit split) { FSplit = split; }
    // The line of the script that the running (or failing) statement starts on.
    int CurrentLine() const { return FCurrentLine; }

    void Execute();

private:
    TUniConnection* FConnection = nullptr;
    QString FSQL;
    TUniQuery* FDataSet = nullptr;
    TErrorEvent FOnError;
    TScriptSplit FSplit = TScriptSplit::AtDelimiter;
    int FCurrentLine = 0;
    std::unique_ptr<TUniQuery> FQuery;
};
