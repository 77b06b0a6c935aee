#include "USpillFile.h"

#include "base/UException.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailSpill(const QString& what)
{
    throw EInOutError(QStringLiteral("The spill file of kept rows %1: %2")
                          .arg(what, QString::fromLocal8Bit(std::strerror(errno))));
}

}  // namespace

TSpillFile::TSpillFile() = default;

TSpillFile::~TSpillFile()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

QString TSpillFile::Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/vantorquill");
}

void TSpillFile::EnsureOpen() const
{
    if (FHandle >= 0)
        return;
    const QString folder = Folder();
    QDir().mkpath(folder);
    const QByteArray path = QFile::encodeName(folder);
    FHandle = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (FHandle >= 0)
        return;
    // File systems without O_TMPFILE: a named file, unlinked at once.
    QByteArray pattern = path + "/spill-XXXXXX";
    FHandle = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (FHandle < 0)
        FailSpill(QStringLiteral("cannot be created in %1").arg(folder));
    ::fchmod(FHandle, 0600);
    ::unlink(pattern.constData());
}

namespace {
constexpr qsizetype PendingLimit = 256 * 1024;
}

void TSpillFile::Write(const char* data, qint64 size, qint64 offset) const
{
    EnsureOpen();
    qint64 done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(FHandle, data + done, size_t(size - done), off_t(offset + done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            FailSpill(QStringLiteral("cannot be written"));
        }
        done += written;
    }
}

void TSpillFile::Flush() const
{
    if (FPending.isEmpty())
        return;
    Write(FPending.constData(), FPending.size(), FPendingAt);
    FPending.clear();
}

qint64 TSpillFile::Append(const char* data, qint64 size)
{
    const qint64 offset = FSize;
    if (FPending.size() + size > PendingLimit)
        Flush();
    if (size >= PendingLimit) {
        Write(data, size, offset);
    } else {
        if (FPending.isEmpty()) {
            FPending.reserve(PendingLimit);
            FPendingAt = offset;
        }
        FPending.append(data, size);
    }
    FSize += size;
    return offset;
}

void TSpillFile::Reset()
{
    FPending.clear();
    if (FHandle >= 0 && FSize > 0 && ::ftruncate(FHandle, 0) != 0)
        FailSpill(QStringLiteral("cannot be emptied"));
    FSize = 0;
}

qint64 TSpillFile::Read(qint64 offset, char* buffer, qint64 size) const
{
    if (offset >= FSize)
        return 0;
    if (!FPending.isEmpty() && offset + size > FPendingAt)
        Flush();
    size = std::min(size, FSize - offset);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(FHandle, buffer + done, size_t(size - done), off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            FailSpill(QStringLiteral("cannot be read"));
        }
        if (got == 0)
            break;
        done += got;
    }
    return done;
}
