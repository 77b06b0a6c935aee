#pragma once

#include "ULogAppender.h"

#include <QList>

// A named logger: passes each prefixed message to every attached appender
// whose level the message reaches. It does not own its appenders: their owner
// removes them before freeing them.
class TLogger {
public:
    void AddAppender(TLogAppender* appender);
    void RemoveAppender(TLogAppender* appender);
    const QList<TLogAppender*>& Appenders() const { return FAppenders; }

    void Log(int level, const QString& text);
    void Debug(const QString& text) { Log(llDebug, text); }
    void Info(const QString& text) { Log(llInfo, text); }
    void Warn(const QString& text) { Log(llWarn, text); }
    void Error(const QString& text) { Log(llError, text); }

private:
    QList<TLogAppender*> FAppenders;
};
