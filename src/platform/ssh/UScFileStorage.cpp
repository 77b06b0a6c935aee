#include "UScFileStorage.h"

#include "base/UException.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QUrl>
#include <utility>
#include <vector>

namespace {

using TEntries = std::vector<std::pair<QString, TScKey>>;

TEntries ReadEntries(const QString& fileName)
{
    TEntries entries;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() != 3)
            continue;   // a damaged line is passed over
        const TScKey key(QByteArray::fromBase64(fields[2]));
        if (key.IsEmpty() || key.Algorithm() != QString::fromLatin1(fields[1]))
            continue;
        entries.emplace_back(QUrl::fromPercentEncoding(fields[0]), key);
    }
    return entries;
}

void WriteEntries(const QString& fileName, const TEntries& entries)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("Cannot write the SSH host key file \"%1\": %2").arg(fileName, file.errorString()));
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    for (const auto& [name, key] : entries) {
        file.write(QUrl::toPercentEncoding(name) + '\t' + key.Algorithm().toLatin1() + '\t' + key.Blob().toBase64()
                   + '\n');
    }
    if (!file.commit())
        throw EInOutError(QStringLiteral("Cannot write the SSH host key file \"%1\": %2").arg(fileName, file.errorString()));
}

TEntries::iterator FindEntry(TEntries& entries, const QString& name)
{
    return std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
        return entry.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

// Runs change on the stored entries under the lock between processes and
// writes the result when it returns true.
template <class F>
bool ChangeEntries(const QString& fileName, F&& change)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QLockFile lock(fileName + QStringLiteral(".lock"));
    if (!lock.lock())
        throw EInOutError(QStringLiteral("Cannot lock the SSH host key file \"%1\".").arg(fileName));
    TEntries entries = ReadEntries(fileName);
    if (!change(entries))
        return false;
    WriteEntries(fileName, entries);
    return true;
}

}  // namespace

QString TScFileStorage::FileName() const
{
    if (FPath.isEmpty())
        return QString();
    QString folder = FPath;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + QLatin1String(KeyFileName);
}

std::optional<TScKey> TScFileStorage::FindKey(const QString& name) const
{
    if (FPath.isEmpty())
        return std::nullopt;
    TEntries entries = ReadEntries(FileName());
    const auto found = FindEntry(entries, name);
    if (found == entries.end())
        return std::nullopt;
    return found->second;
}

void TScFileStorage::AddKey(const QString& name, const TScKey& key)
{
    if (FPath.isEmpty())
        throw EInOutError(QStringLiteral("The SSH host key storage has no folder."));
    ChangeEntries(FileName(), [&](TEntries& entries) {
        const auto found = FindEntry(entries, name);
        if (found != entries.end())
            found->second = key;
        else
            entries.emplace_back(name, key);
        return true;
    });
}

bool TScFileStorage::RemoveKey(const QString& name)
{
    if (FPath.isEmpty())
        return false;
    return ChangeEntries(FileName(), [&](TEntries& entries) {
        const auto found = FindEntry(entries, name);
        if (found == entries.end())
            return false;
        entries.erase(found);
        return true;
    });
}
