#pragma once

#include "base/UException.h"

// An error of the server or of the client library: the message is the
// server's own text, as users see it; code and SQLSTATE ride along.
class EUniError : public Exception {
public:
    explicit EUniError(const QString& message, int errorCode = 0,
                       const QString& sqlState = QStringLiteral("HY000"));
    int ErrorCode() const { return FErrorCode; }
    const QString& SqlState() const { return FSqlState; }

private:
    int FErrorCode;
    QString FSqlState;
};
