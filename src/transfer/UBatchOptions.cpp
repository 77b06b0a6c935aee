#include "UBatchOptions.h"

#include "base/UCommandLine.h"
#include "base/UException.h"
#include "base/UFileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString taskOptionName = QStringLiteral("task");

// The path with links of its existing part resolved, so that two spellings of
// one file compare equal, also before the file exists.
QString ResolvedPath(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + QLatin1Char('/') + info.fileName();
}

bool SameFile(const QString& a, const QString& b)
{
    return ResolvedPath(a) == ResolvedPath(b);
}

QString Quoted(const QString& text)
{
    return QLatin1Char('"') + TBatchOptions::QuoteShellArgument(text) + QLatin1Char('"');
}

}  // namespace

const QString TBatchOptions::BatchFileDefaultExt = QStringLiteral("sh");
const QString TBatchOptions::BatchFileFilter = QStringLiteral("Shell scripts (*.sh)|*.sh");

TBatchOptions::TBatchOptions() : OptionName(QStringLiteral("session")) {}

TBatchOptions::~TBatchOptions() = default;

bool TBatchOptions::Fail(const QString& message)
{
    ErrorMessage = message;
    return false;
}

QString TBatchOptions::SessionFileWord() const
{
    return OptionName == taskOptionName ? QStringLiteral("task file") : QStringLiteral("session file");
}

bool TBatchOptions::Validate()
{
    if (SessionFile.isEmpty())
        return Fail(QStringLiteral("Please enter sessoin file name."));
    if (LogFile.isEmpty())
        return Fail(QStringLiteral("Please enter log file name."));
    if (BatchFile.isEmpty())
        return Fail(QStringLiteral("Please enter batch file name."));
    // Writing the sections into a mistyped name would leave a task without
    // settings and a script that fails unattended.
    if (!QFileInfo(SessionFile).isFile())
        return Fail(QStringLiteral("The %1 \"%2\" does not exist.").arg(SessionFileWord(), SessionFile));
    // Either file written over the task destroys it; a log appended to the
    // script would run as commands next time.
    if (SameFile(BatchFile, SessionFile))
        return Fail(QStringLiteral("The batch file must not be the %1.").arg(SessionFileWord()));
    if (SameFile(LogFile, SessionFile))
        return Fail(QStringLiteral("The log file must not be the %1.").arg(SessionFileWord()));
    if (SameFile(LogFile, BatchFile))
        return Fail(QStringLiteral("The log file must not be the batch file."));
    return true;
}

QString TBatchOptions::QuoteShellArgument(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('\\') || c == QLatin1Char('"'))
            result += QLatin1Char('\\');
        result += c;
    }
    return result;
}

QString TBatchOptions::GetBatchLine() const
{
    return Quoted(GetProgramPath()) + QStringLiteral("  ") + OptionName + QLatin1Char('=') + Quoted(SessionFile)
           + QStringLiteral(" logfile=") + Quoted(LogFile);
}

QString TBatchOptions::GetBatchText() const
{
    return QStringLiteral("#!/bin/sh\n") + GetBatchLine() + QLatin1Char('\n');
}

void TBatchOptions::WriteBatchFile()
{
    const QByteArray bytes = GetBatchText().toUtf8();
    QSaveFile file(BatchFile);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError("create", BatchFile, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw FileError("write", BatchFile, file.errorString());
    if (!QFile::setPermissions(BatchFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
        throw EInOutError(QStringLiteral("Cannot make file \"%1\" executable").arg(BatchFile));
}

void TBatchOptions::SetOptionName(const QString& name)
{
    if (name.toLower() == taskOptionName)
        OptionName = taskOptionName;
}

QString TBatchOptions::SessionFileCaption() const
{
    return OptionName == taskOptionName ? QStringLiteral("Task File") : QStringLiteral("Session File");
}

void TBatchOptions::SetSessionFile(const QString& fileName)
{
    SessionFile = fileName;
    LogFile = DeriveFileName(fileName, QStringLiteral(".log"));
    BatchFile = DeriveFileName(fileName, QLatin1Char('.') + BatchFileDefaultExt);
}

QString TBatchOptions::DeriveFileName(const QString& fileName, const QString& newExt)
{
    const qsizetype nameStart = fileName.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot >= nameStart ? fileName.left(dot) : fileName) + newExt;
}

QString TBatchOptions::GetProgramPath()
{
    const QString program = ParamStr(0);
    if (!program.isEmpty())
        return QFileInfo(program).absoluteFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}
