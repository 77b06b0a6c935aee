#include "UFolderScanner.h"

#include "base/UTextCodec.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

// The extension of a name: from its last "." on, empty without one.
QStringView ExtensionOf(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringView() : name.mid(dot);
}

bool SameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// "*" and "?" wildcards, letter case ignored.
bool MatchesWildcard(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

// A pattern ending in ".*" also matches names without an extension, as
// "*.*" takes every file.
bool MatchesMask(QStringView mask, QStringView name)
{
    if (mask.endsWith(QLatin1String(".*")) && MatchesWildcard(mask.chopped(2), name))
        return true;
    return MatchesWildcard(mask, name);
}

enum class TEntryKind { Other, File, Folder };

TEntryKind KindOf(int dirFd, const dirent& entry)
{
    unsigned char type = entry.d_type;
    struct stat info;
    if (type == DT_UNKNOWN) {
        if (fstatat(dirFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return TEntryKind::Other;
        type = IFTODT(info.st_mode);
    }
    if (type == DT_LNK)   // a link counts only when it leads to a file
        return fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode) ? TEntryKind::File
                                                                                    : TEntryKind::Other;
    if (type == DT_REG)
        return TEntryKind::File;
    return type == DT_DIR ? TEntryKind::Folder : TEntryKind::Other;
}

}  // namespace

void TFolderScanner::SetMask(const QString& mask)
{
    FMask = mask;
    FMaskExt = ExtensionOf(mask).toString();
}

void TFolderScanner::Reset()
{
    FFiles.clear();
    FNativeFiles.clear();
    FFailures.clear();
    FMissingFolder = false;
}

void TFolderScanner::Scan()
{
    if (!FFolder.isEmpty())
        ScanFolder(QFile::encodeName(FFolder), true);
}

void TFolderScanner::AddFailure(const QByteArray& folder, int error)
{
    FFailures.append({DecodeFileName(folder), QString::fromLocal8Bit(std::strerror(error))});
}

bool TFolderScanner::IsTaken(const QByteArray& name) const
{
    if (name.contains("DS_Store"))
        return false;
    if (FMaskExt == QLatin1String(".*") && FMask == QLatin1String("*.*"))
        return true;
    const QString text = DecodeFileName(name);
    if (!MatchesMask(FMask, text))
        return false;
    return FMaskExt == QLatin1String(".*") || ExtensionOf(text) == FMaskExt;
}

void TFolderScanner::ScanFolder(const QByteArray& folder, bool top)
{
    DIR* dir = opendir(folder.constData());
    if (!dir) {
        if (top && errno == ENOENT)
            FMissingFolder = true;
        else
            AddFailure(folder, errno);
        return;
    }
    std::vector<QByteArray> files;
    std::vector<QByteArray> folders;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            if (errno != 0) {   // the listing broke off (the folder went away)
                AddFailure(folder, errno);
                closedir(dir);
                return;
            }
            break;
        }
        const char* name = entry->d_name;
        const bool hidden = name[0] == '.';
        if (hidden && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        switch (KindOf(dirfd(dir), *entry)) {
        case TEntryKind::File:
            files.emplace_back(name);
            break;
        case TEntryKind::Folder:
            if (FRecursive && !hidden)
                folders.emplace_back(name);
            break;
        case TEntryKind::Other:
            break;
        }
    }
    closedir(dir);

    std::sort(files.begin(), files.end());
    for (const QByteArray& name : files) {
        if (IsTaken(name)) {
            FNativeFiles.append(folder + name);
            FFiles.append(DecodeFileName(FNativeFiles.last()));
        }
    }
    std::sort(folders.begin(), folders.end());
    for (const QByteArray& name : folders)
        ScanFolder(folder + name + '/', false);
}
