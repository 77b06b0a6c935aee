#include "USpillFile.h"

#include "app/base/UException.h"

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

void TSpillFile::EnsureOpen()
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

qint64 TSpillFile::Append(const char* data, qint64 size)
{
    EnsureOpen();
    const qint64 offset = FSize;
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
    FSize += size;
    return offset;
}

qint64 TSpillFile::Read(qint64 offset, char* buffer, qint64 size) const
{
    if (FHandle < 0 || offset >= FSize)
        return 0;
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
