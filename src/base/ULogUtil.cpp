#include "ULogUtil.h"

#include "UException.h"

#include <QFile>
#include <QMutex>
#include <algorithm>

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
    // A log may hold whole scripts, passwords in them included: a new one is
    // the owner's alone, an existing one keeps its mode.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw EInOutError(QStringLiteral("Cannot open log file \"%1\": %2").arg(fileName, file.errorString()));
    if (file.write(line) != line.size() || !file.flush())
        throw EInOutError(QStringLiteral("Cannot write log file \"%1\": %2").arg(fileName, file.errorString()));
}

QString EscapeLogText(const QString& text)
{
    const auto isControl = [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; };
    if (std::none_of(text.cbegin(), text.cend(), isControl))
        return text;
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (!isControl(c)) {
            escaped += c;
            continue;
        }
        switch (c.unicode()) {
        case u'\r': escaped += QLatin1String("\\r"); break;
        case u'\n': escaped += QLatin1String("\\n"); break;
        case u'\t': escaped += QLatin1String("\\t"); break;
        default:
            escaped += QLatin1String("\\x")
                       + QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0')).toUpper();
        }
    }
    return escaped;
}
