#pragma once

#include "base/UComponent.h"

#include <QString>

// Runs an SQL script on a connection.
class TSqlExecutor : public TObject {
public:
    // True when every statement ran; a failing statement raises with the
    // server's message (the statements before it stay in effect).
    virtual bool ExecuteSql(const QString& script) = 0;
};
