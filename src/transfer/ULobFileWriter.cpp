#include "ULobFileWriter.h"

#include "base/UException.h"
#include "platform/dac/UField.h"
#include "platform/dac/UUniDataSet.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr qint64 LazyChunk = 1 << 20;

std::function<bool()>& InterruptCheck()
{
    static std::function<bool()> check;
    return check;
}

// The folder part of path, with its trailing "/"; empty for a bare name.
QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

}  // namespace

TLobFileWriter::~TLobFileWriter()
{
    Discard();
}

void TLobFileWriter::SetInterruptCheck(std::function<bool()> check)
{
    InterruptCheck() = std::move(check);
}

void TLobFileWriter::Create(const QByteArray& path)
{
    Discard();
    FPath = path;
    FLength = 0;
    // Hidden, in the target folder (so the rename stays on one file system),
    // with the mode a new file of that name gets; an existing file keeps its
    // mode.
    struct stat existing {};
    const bool replacing = ::lstat(path.constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    const QByteArray folder = FolderOf(path);
    for (int attempt = 0; FHandle < 0; ++attempt) {
        FTempPath = folder + ".vq-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
        FHandle = ::open(FTempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FHandle < 0 && (errno != EEXIST || attempt > 100)) {
            FTempPath.clear();
            RaiseError("create", errno);
        }
    }
    if (replacing)
        ::fchmod(FHandle, existing.st_mode & 07777);
}

void TLobFileWriter::WriteValue(const TField& field, const char* tail, qsizetype tailSize)
{
    const TUniCell cell = field.DataSet()->Cell(field.Index());
    if (cell.Null)
        return;
    try {
        if (cell.Lazy) {
            WriteLazy(field, cell.Length);
            WriteAll(nullptr, 0, tail, tailSize);
        } else {
            WriteAll(cell.Data, cell.Length, tail, tailSize);
        }
    } catch (...) {
        // Back to the last whole value; a merge goes on with the next one.
        if (::ftruncate(FHandle, FLength) != 0 || ::lseek(FHandle, FLength, SEEK_SET) < 0)
            Discard();
        throw;
    }
    FLength = ::lseek(FHandle, 0, SEEK_CUR);
}

void TLobFileWriter::WriteLazy(const TField& field, qint64 length)
{
    if (!FChunk)
        FChunk = std::make_unique<char[]>(LazyChunk);
    for (qint64 offset = 0; offset < length;) {
        if (InterruptCheck() && InterruptCheck()())
            throw EInOutError(QStringLiteral("The run was stopped before the value for file \"%1\" was written "
                                             "completely")
                                  .arg(QString::fromUtf8(FPath)));
        const qint64 got = field.DataSet()->ReadLazy(field.Index(), offset, FChunk.get(),
                                                     std::min(LazyChunk, length - offset));
        if (got <= 0)
            throw EInOutError(QStringLiteral("The value of field '%1' could not be read").arg(field.FieldName()));
        WriteAll(FChunk.get(), got, nullptr, 0);
        offset += got;
    }
}

// One gathered write for the value and its tail; a short write goes on where
// it stopped.
void TLobFileWriter::WriteAll(const char* data, qint64 size, const char* tail, qsizetype tailSize)
{
    if (FHandle < 0)
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". It is not open").arg(QString::fromUtf8(FPath)));
    iovec parts[2] = {{const_cast<char*>(data), size_t(size)}, {const_cast<char*>(tail), size_t(tailSize)}};
    int first = size > 0 ? 0 : 1;
    const int count = tailSize > 0 ? 2 : 1;
    while (first < count) {
        const ssize_t written = ::writev(FHandle, parts + first, count - first);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            RaiseError("write", errno);
        }
        size_t left = size_t(written);
        while (first < count && left >= parts[first].iov_len) {
            left -= parts[first].iov_len;
            ++first;
        }
        if (first < count) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + left;
            parts[first].iov_len -= left;
        }
    }
}

void TLobFileWriter::Commit()
{
    if (FHandle < 0)
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". It is not open").arg(QString::fromUtf8(FPath)));
    // Every byte is with the system once the writes returned (there is no
    // buffer of ours); the close reports what a network file system still
    // holds back. No fsync: it would cost milliseconds per file, and a kill,
    // a stop or a full disk cannot cut a renamed file anyway.
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0 && errno != EINTR) {
        const int error = errno;
        Discard();
        RaiseError("write", error);
    }
    if (::rename(FTempPath.constData(), FPath.constData()) != 0) {
        const int error = errno;
        Discard();
        RaiseError("create", error);
    }
    FTempPath.clear();
}

void TLobFileWriter::Discard() noexcept
{
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
    if (!FTempPath.isEmpty()) {
        ::unlink(FTempPath.constData());
        FTempPath.clear();
    }
}

void TLobFileWriter::RaiseError(const char* action, int error)
{
    throw EInOutError(QStringLiteral("Cannot %1 file \"%2\". %3")
                          .arg(QLatin1String(action), QString::fromUtf8(FPath),
                               QString::fromLocal8Bit(std::strerror(error))));
}
