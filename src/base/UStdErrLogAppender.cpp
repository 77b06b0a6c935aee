#include "UStdErrLogAppender.h"

#include "ULogUtil.h"

#include <cstdio>

void TStdErrLogAppender::Append(const QString& text)
{
    WriteStdErrLogLine(text);
}

void WriteStdErrLogLine(const QString& text)
{
    QString message = text;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray line = (QLatin1Char('[') + LogTimeStamp() + QStringLiteral("] ") + message
                             + QLatin1Char('\n')).toUtf8();
    // One write per line, so that lines of several writers never mix.
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}
