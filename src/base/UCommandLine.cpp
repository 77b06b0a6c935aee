#include "UCommandLine.h"

#include <QFileInfo>

namespace {
QStringList& params()
{
    static QStringList list;
    return list;
}
}

void SetProgramArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString program = argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString();
    // Prefer the real executable path; argv[0] may be relative or a bare name.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists() && !self.symLinkTarget().isEmpty()) {
        // Keep the name the program was started under (it may be a link with
        // another name) but in an absolute folder.
        const QFileInfo started(program);
        program = started.exists() ? started.absoluteFilePath() : self.symLinkTarget();
    }
    SetProgramArguments(program, arguments);
}

void SetProgramArguments(const QString& programFile, const QStringList& arguments)
{
    params() = QStringList{programFile} + arguments;
}

int ParamCount()
{
    return params().isEmpty() ? 0 : int(params().size() - 1);
}

QString ParamStr(int index)
{
    return (index >= 0 && index < params().size()) ? params().at(index) : QString();
}
