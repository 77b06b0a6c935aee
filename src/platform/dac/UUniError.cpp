#include "UUniError.h"

EUniError::EUniError(const QString& message, int errorCode, const QString& sqlState)
    : Exception(message), FErrorCode(errorCode), FSqlState(sqlState)
{
}
