#pragma once

#include "base/UComponent.h"
#include "platform/dac/UUniSqlUtil.h"

#include <QString>

// Runs an SQL script on a connection.
class TSqlExecutor : public TObject {
public:
    // True when every statement ran; a failing statement raises with the
    // server's message and the script line the statement starts on (the
    // statements before it stay in effect).
    virtual bool ExecuteSql(const QString& script) = 0;

    // Where the scripts it runs are split; a user's script at its delimiter only.
    TScriptSplit Split() const { return FSplit; }
    void SetSplit(TScriptSplit split) { FSplit = split; }

private:
    TScriptSplit FSplit = TScriptSplit::AtDelimiter;
};
