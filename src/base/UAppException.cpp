#include "UAppException.h"

#include <QMutex>
#include <cstdio>

namespace {
QMutex handlerLock;
TAppExceptionHandler& handlerSlot()
{
    static TAppExceptionHandler handler;
    return handler;
}
}

void SetAppExceptionHandler(TAppExceptionHandler handler)
{
    QMutexLocker lock(&handlerLock);
    handlerSlot() = std::move(handler);
}

void HandleAppException(const std::exception& e)
{
    // An abort has said what it had to already: it ends the handler quietly.
    if (dynamic_cast<const EAbort*>(&e))
        return;
    TAppExceptionHandler handler;
    {
        QMutexLocker lock(&handlerLock);
        handler = handlerSlot();
    }
    if (handler) {
        try {
            handler(e);
            return;
        } catch (...) {
            // A failing handler must not take the event loop down with it.
        }
    }
    std::fprintf(stderr, "%s\n", ExceptionMessage(e).toUtf8().constData());
}
