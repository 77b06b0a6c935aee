#pragma once

#include "USqlExecutor.h"
#include "platform/dac/UUniScript.h"

#include <memory>

class TUniConnection;

// Runs scripts through the data-access script component, statement by
// statement and without a transaction.
class TUniSqlExecutor : public TSqlExecutor {
public:
    TUniSqlExecutor();
    ~TUniSqlExecutor() override;

    void SetConnection(TUniConnection* connection) { FConnection = connection; }   // borrowed
    TUniConnection* Connection() const { return FConnection; }

    bool ExecuteSql(const QString& script) override;

private:
    // Stops the script at the failing statement and raises its message.
    void ScriptError(const Exception& error, TErrorAction& action);

    std::unique_ptr<TUniScript> FScript;
    TUniConnection* FConnection = nullptr;
    bool FSuccess = true;
};
