#include "UVersionUtil.h"

#include "UCommandLine.h"

#include <QFileInfo>

namespace {
bool IsProgramFile(const QString& fileName)
{
    const QString file = QFileInfo(fileName).canonicalFilePath();
    if (file.isEmpty())
        return false;
    for (const QString& program : {QStringLiteral("/proc/self/exe"), ParamStr(0)}) {
        if (!program.isEmpty() && QFileInfo(program).canonicalFilePath() == file)
            return true;
    }
    return false;
}

QString OrX(const QString& part)
{
    return part.isEmpty() ? QStringLiteral("x") : part;
}
}

QString GetFileVersion(const QString& fileName)
{
    return IsProgramFile(fileName) ? QStringLiteral(VQ_VERSION) : QStringLiteral("x.x.x.x");
}

void SplitVersion(const QString& version, QString& major, QString& minor, QString& release,
                  QString& build)
{
    QString rest = version;
    QString* parts[] = {&major, &minor, &release};
    for (QString* part : parts) {
        const qsizetype dot = rest.indexOf(QLatin1Char('.'));
        // Fewer than three dots: the remaining text is this part, the rest read "x".
        *part = OrX(dot < 0 ? rest : rest.left(dot));
        rest = dot < 0 ? QString() : rest.mid(dot + 1);
    }
    build = OrX(rest);
}

QString GetMajorMinorVersion(const QString& fileName)
{
    QString major, minor, release, build;
    SplitVersion(GetFileVersion(fileName), major, minor, release, build);
    return QStringLiteral("%1.%2").arg(major, minor);
}
