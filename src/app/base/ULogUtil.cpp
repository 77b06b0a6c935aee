#include "ULogUtil.h"

#include "UException.h"

#include <QFile>
#include <QMutex>

namespace {
QMutex& logFileLock()
{
    static QMutex lock;
    return lock;
}
}

QString LogTimeStamp(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss:zzz"));
}

void WriteLogLine(const QString& fileName, const QString& text)
{
    if (fileName.isEmpty())
        return;
    const QByteArray line = (QLatin1Char('[') + LogTimeStamp() + QStringLiteral("] ") + text
                             + QStringLiteral("\r\n")).toUtf8();
    QMutexLocker lock(&logFileLock());
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EInOutError(QStringLiteral("Cannot open log file \"%1\": %2").arg(fileName, file.errorString()));
    if (file.write(line) != line.size() || !file.flush())
        throw EInOutError(QStringLiteral("Cannot write log file \"%1\": %2").arg(fileName, file.errorString()));
}
