#include "VqTestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>

namespace vqtest {

DbServer TestDbServer()
{
    DbServer s;
    s.host = qEnvironmentVariable("VQ_TEST_DB_HOST");
    s.port = qEnvironmentVariableIntValue("VQ_TEST_DB_PORT");
    s.socket = qEnvironmentVariable("VQ_TEST_DB_SOCKET");
    s.user = qEnvironmentVariable("VQ_TEST_DB_USER");
    s.password = qEnvironmentVariable("VQ_TEST_DB_PASSWORD");
    if (s.port == 0 || s.user.isEmpty())
        s.host.clear();
    return s;
}

SshServer TestSshServer()
{
    SshServer s;
    s.host = qEnvironmentVariable("VQ_TEST_SSH_HOST");
    s.port = qEnvironmentVariableIntValue("VQ_TEST_SSH_PORT");
    s.user = qEnvironmentVariable("VQ_TEST_SSH_USER");
    s.password = qEnvironmentVariable("VQ_TEST_SSH_PASSWORD");
    s.hostKeyFile = qEnvironmentVariable("VQ_TEST_SSH_HOST_KEY");
    if (s.port == 0 || s.user.isEmpty())
        s.host.clear();
    return s;
}

QString TestDataPath(const QString& relative)
{
    QString root = qEnvironmentVariable("VQ_TEST_DATA");
    if (root.isEmpty())
        root = QStringLiteral(VQ_SOURCE_TESTS_DATA);
    return root + QLatin1Char('/') + relative;
}

QString ProgramPath()
{
    return QStringLiteral(VQ_PROGRAM_PATH);
}

ProcessResult RunProcess(const QString& program, const QStringList& arguments,
                         const QProcessEnvironment& environment, int timeoutMs)
{
    ProcessResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(30000))
        return result;
    process.closeWriteChannel();
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

bool ProcessEventsUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QProcessEnvironment HeadlessEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

void ResetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

qint64 PeakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

QByteArray WritePatternFile(const QString& path, int mebibytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < mebibytes; ++i) {
        for (int j = 0; j < chunk.size(); ++j)
            chunk[j] = char((i * 31 + j * 7) & 0xFF);
        if (file.write(chunk) != chunk.size())
            return {};
        hash.addData(chunk);
    }
    return hash.result();
}

}  // namespace vqtest
