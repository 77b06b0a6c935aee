#include "USystemUtil.h"

#include "UException.h"

#include "UVersionUtil.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QSysInfo>
#include <QTextStream>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// PRETTY_NAME of os-release, else the kernel's own name.
QString DistributionName()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith(QStringLiteral("PRETTY_NAME="))) {
                QString value = line.mid(12).trimmed();
                if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
                    && value.back() == value.front())
                    value = value.mid(1, value.size() - 2);
                if (!value.isEmpty())
                    return value;
            }
        }
    }
    return QSysInfo::kernelType();
}
}

QString GetOSVersion()
{
    // Kernel version "6.1.0-13-amd64" gives major 6, minor 1, build 0.
    const QStringList parts = QSysInfo::kernelVersion().split(QLatin1Char('.'));
    auto number = [&](int i) {
        if (i >= parts.size())
            return 0;
        QString digits;
        for (QChar c : parts.at(i)) {
            if (!c.isDigit())
                break;
            digits += c;
        }
        return digits.toInt();
    };
    const bool is64 = QSysInfo::currentCpuArchitecture().contains(QStringLiteral("64"));
    return QStringLiteral("%1 (Version %2.%3, Build %4, %5)")
        .arg(DistributionName())
        .arg(number(0))
        .arg(number(1))
        .arg(number(2))
        .arg(is64 ? QStringLiteral("64-bit Edition") : QStringLiteral("32-bit Edition"));
}

bool IsOS64()
{
    return GetOSVersion().contains(QStringLiteral("64"));
}

QString GetOSArch()
{
    return IsOS64() ? QStringLiteral("x64") : QStringLiteral("x86");
}

QString GetSystemLanguage()
{
    const QLocale system = QLocale::system();
    return QLocale::languageToString(system.language()) + QStringLiteral(" (")
           + QLocale::territoryToString(system.territory()) + QLatin1Char(')');
}

QChar GetDecimalSeparator()
{
    const QString separator = QLocale::system().decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.front();
}

namespace {
// The folder without trailing "/" (the root stays "/").
QString WithoutTrailingSlashes(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

// An XDG base folder: the variable when it holds an absolute path, else the
// home folder + fallback; no trailing "/", empty without a home.
QString XdgDir(const char* variable, const QString& fallback)
{
    const QString dir = qEnvironmentVariable(variable);
    if (!dir.isEmpty() && QDir::isAbsolutePath(dir))
        return WithoutTrailingSlashes(dir);
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QString() : WithoutTrailingSlashes(home + fallback);
}
}

QString GetAppDataDir()
{
    return XdgDir("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString GetConfigDir()
{
    return XdgDir("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString GetProgramDataDir(const QString& name)
{
    const QString base = GetAppDataDir();
    // A service account may have neither: the folder would be taken from the root.
    if (base.isEmpty())
        throw Exception(QStringLiteral("Cannot create the program folder \"%1\": neither HOME nor XDG_DATA_HOME "
                                       "is set")
                            .arg(name));
    const QString folder = base + QLatin1Char('/') + name;
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Cannot create \"") + folder + QLatin1Char('"'));
    return folder + QLatin1Char('/');
}

QString GetExceptionLogFile(const QString& name)
{
    return GetProgramDataDir(name) + QStringLiteral("exception.log");
}

QString GetAppVersion()
{
    return GetFileVersion(QStringLiteral("/proc/self/exe")) + QStringLiteral(" (") + GetAppArch()
           + QLatin1Char(')');
}

QString GetAppArch()
{
    const QString arch = QSysInfo::buildCpuArchitecture();
    if (arch == QStringLiteral("x86_64"))
        return QStringLiteral("x64");
    if (arch == QStringLiteral("i386"))
        return QStringLiteral("x86");
    return arch;
}

QString GetExeVersionText(const QString&)
{
    return QString();
}

QString GetExeArch(const QString& fileName)
{
    // MZ header, its offset of the PE header at 0x3C, "PE\0\0", the machine.
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("x86");
    const QByteArray dos = file.read(64);
    if (dos.size() < 64 || !dos.startsWith("MZ"))
        return QStringLiteral("x86");
    const auto at = [&](const QByteArray& b, int i) { return static_cast<quint32>(static_cast<unsigned char>(b.at(i))); };
    const quint32 peOffset = at(dos, 0x3C) | at(dos, 0x3D) << 8 | at(dos, 0x3E) << 16 | at(dos, 0x3F) << 24;
    if (!file.seek(peOffset))
        return QStringLiteral("x86");
    const QByteArray pe = file.read(6);
    if (pe.size() < 6 || !pe.startsWith(QByteArray("PE\0\0", 4)))
        return QStringLiteral("x86");
    const quint32 machine = at(pe, 4) | at(pe, 5) << 8;
    return machine == 0x8664 || machine == 0x0200 ? QStringLiteral("x64") : QStringLiteral("x86");
}

QString GetDocumentsDir()
{
    if (qEnvironmentVariable("HOME").isEmpty())
        return QString();
    const QString dir = WithoutTrailingSlashes(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    return dir;
}

QString RunCommand(const QString& command, const QString& workingFolder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(-1))
        return QString();
    // Decoded as it arrives, so that a character split between reads survives.
    QStringDecoder decoder(QStringDecoder::System);
    QString output;
    while (process.waitForReadyRead(-1))
        output += decoder.decode(process.readAll());
    process.waitForFinished(-1);
    output += decoder.decode(process.readAll());
    return output;
}

bool IsPortListening(int port)
{
    if (port <= 0 || port > 65535)
        return false;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    ::close(fd);
    return rc == 0;
}
