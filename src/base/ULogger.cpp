#include "ULogger.h"

void TLogger::AddAppender(TLogAppender* appender)
{
    FAppenders.append(appender);
}

void TLogger::RemoveAppender(TLogAppender* appender)
{
    FAppenders.removeAll(appender);
}

void TLogger::Log(int level, const QString& text)
{
    // Copy: an appender may detach itself while we walk the list.
    const QList<TLogAppender*> appenders = FAppenders;
    for (TLogAppender* appender : appenders) {
        if (appender->Level <= level)
            appender->Append(FormatLevel(level, text));
    }
}
