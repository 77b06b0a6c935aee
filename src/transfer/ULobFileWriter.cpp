#include "ULobFileWriter.h"

#include "app/base/UException.h"
#include "platform/dac/UField.h"
#include "platform/dac/UUniDataSet.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr qint64 LazyChunk = 1 << 20;

}  // namespace

TLobFileWriter::~TLobFileWriter()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

void TLobFileWriter::Create(const QByteArray& path)
{
    if (FHandle >= 0)
        Close();
    FPath = path;
    FHandle = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
        RaiseError("create", errno);
}

void TLobFileWriter::WriteValue(const TField& field, const char* tail, qsizetype tailSize)
{
    const TUniCell cell = field.DataSet()->Cell(field.Index());
    if (cell.Null)
        return;
    if (!cell.Lazy) {
        WriteAll(cell.Data, cell.Length, tail, tailSize);
        return;
    }
    if (!FChunk)
        FChunk = std::make_unique<char[]>(LazyChunk);
    for (qint64 offset = 0; offset < cell.Length;) {
        const qint64 got = field.DataSet()->ReadLazy(field.Index(), offset, FChunk.get(),
                                                     std::min(LazyChunk, cell.Length - offset));
        if (got <= 0)
            throw EInOutError(QStringLiteral("The value of field '%1' could not be read").arg(field.FieldName()));
        WriteAll(FChunk.get(), got, nullptr, 0);
        offset += got;
    }
    WriteAll(nullptr, 0, tail, tailSize);
}

// One gathered write for the value and its tail; a short write goes on where
// it stopped.
void TLobFileWriter::WriteAll(const char* data, qint64 size, const char* tail, qsizetype tailSize)
{
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

void TLobFileWriter::Close()
{
    if (FHandle < 0)
        return;
    const int handle = FHandle;
    FHandle = -1;
    if (::close(handle) != 0 && errno != EINTR)
        RaiseError("write", errno);
    FPath.clear();
}

void TLobFileWriter::RaiseError(const char* action, int error)
{
    // The file stays open after a failed write: a merge goes on with the
    // next value.
    throw EInOutError(QStringLiteral("Cannot %1 file \"%2\". %3")
                          .arg(QLatin1String(action), QString::fromUtf8(FPath),
                               QString::fromLocal8Bit(std::strerror(error))));
}
