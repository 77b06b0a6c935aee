#include "USystemUtil.h"

#include "UException.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSysInfo>
#include <QTextStream>

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

QString GetAppDataDir()
{
    QString dir = qEnvironmentVariable("XDG_DATA_HOME");
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            return QString();
        dir = home + QStringLiteral("/.local/share");
    }
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

QString GetProgramDataDir(const QString& name)
{
    const QString base = GetAppDataDir();
    const QString folder = base + QLatin1Char('/') + name;
    if (base.isEmpty() || !QDir().mkpath(folder))
        throw Exception(QStringLiteral("Cannot create \"") + folder + QLatin1Char('"'));
    return folder + QLatin1Char('/');
}

QString GetExceptionLogFile(const QString& name)
{
    return GetProgramDataDir(name) + QStringLiteral("exception.log");
}
