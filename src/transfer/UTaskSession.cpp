#include "UTaskSession.h"

#include "platform/ini/UMyIniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// An existing file loses the access of others; a missing one is created empty
// with owner-only access, which later in-place writes keep.
bool MakeOwnerOnly(const QString& fileName)
{
    QFile file(fileName);
    if (file.exists())
        return file.setPermissions(OwnerOnly);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly);
}

// The previous file as fileName + ".bak", replacing an older copy. A failure
// leaves things as they are: the save goes on without a copy.
void BackUp(const QString& fileName)
{
    QFile source(fileName);
    if (!source.exists() || !source.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = source.readAll();
    const QString backup = fileName + QStringLiteral(".bak");
    if (!MakeOwnerOnly(backup))
        return;
    QSaveFile copy(backup);
    if (copy.open(QIODevice::WriteOnly) && copy.write(content) == content.size())
        copy.commit();
}

}  // namespace

const QString TTaskSession::NoFolderText = QStringLiteral("select a directory");

TTaskSession::TTaskSession(const QString& recentKey, const QString& filter, const QString& defaultExt,
                           const QString& kind)
    : FRecentList(recentKey, MaxRecentFiles), FFilter(filter), FDefaultExt(defaultExt), FKind(kind)
{
}

TTaskSession::~TTaskSession() = default;

void TTaskSession::PrepareTaskFile(const QString& fileName)
{
    MakeOwnerOnly(fileName);   // a failure shows when the ini writer fails
}

QString TTaskSession::JoinLines(const QString& text)
{
    QString joined = text;
    joined.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    joined.replace(QLatin1Char('\r'), QLatin1Char(' '));
    joined.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return joined;
}

QString TTaskSession::IniText(const QString& value)
{
    const QString text = JoinLines(value);
    if (text.isEmpty())
        return text;
    const bool trimmed = text.front().unicode() <= 0x20 || text.back().unicode() <= 0x20;
    const QChar first = text.front();
    const bool quoted = text.size() >= 2 && (first == QLatin1Char('"') || first == QLatin1Char('\''))
                        && text.back() == first;
    return trimmed || quoted ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

void TTaskSession::SaveToFile(const QString& fileName)
{
    FFileName = fileName;
    BackUp(FFileName);
    FRecentList.Add(FFileName);
    WriteIni(FFileName);
}

void TTaskSession::LoadFromFile(const QString& fileName)
{
    FFileName = fileName;
    FRecentList.Add(FFileName);
    ReadIni(TMyIniFile(QFileInfo(fileName).absoluteFilePath()));
}

bool TTaskSession::IsModified() const
{
    if (FFileName.isEmpty())
        return true;
    const std::unique_ptr<TTaskSession> saved = CreateSame();
    saved->LoadFromFile(FFileName);
    return !saved->IsSame(*this);
}

QString TTaskSession::GetCaption() const
{
    return FFileName.isEmpty() ? GetDescription() : FFileName;
}
