#include "ULobFileWriter.h"

#include "UUnnamedFileStock.h"
#include "base/UException.h"
#include "base/UFileUtil.h"
#include "platform/dac/UField.h"
#include "platform/dac/UUniDataSet.h"

#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr qint64 LazyChunk = 1 << 20;
constexpr mode_t NewFileMode = 0666;   // less the umask
constexpr int MaxNameAttempts = 100;

std::function<bool()>& InterruptCheck()
{
    static std::function<bool()> check;
    return check;
}

// An unnamed file is given its name through its own descriptor where the
// kernel allows that to the process that opened it, else through /proc (the
// walk of that path costs about a tenth of a small file); without /proc
// every file takes the temporary name.
bool CanLinkUnnamed()
{
    static const bool available = ::access("/proc/self/fd", X_OK) == 0;
    return available;
}

std::atomic<bool> LinkByDescriptor{true};

std::atomic<bool> UnnamedRefusedForTests{false};

// The file systems and kernels that do not make unnamed files say so thus.
bool UnnamedRefused(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

QByteArray TemporaryName()
{
    return ".vq-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
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
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const int handle = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        RaiseFileError("create", path, errno);
    FOwnedFolder = handle;
    Start(handle, path.mid(slash + 1), path);
}

void TLobFileWriter::Create(int folder, const QByteArray& name, const QByteArray& path, TUnnamedFileStock* stock)
{
    Discard();
    Start(folder, name, path, stock);
}

void TLobFileWriter::Start(int folder, const QByteArray& name, const QByteArray& path, TUnnamedFileStock* stock)
{
    FFolder = folder;
    FName = name;
    FPath = path;
    FLength = 0;
    FWritten = 0;
    FStock = stock;
    if (StartsUnnamed()) {
        FHandle = stock != nullptr ? stock->Take() : -1;
        FUnnamed = FHandle >= 0;
        if (FHandle < 0)
            OpenUnnamed();
    }
    if (FHandle < 0)
        OpenTemporary();
}

void TLobFileWriter::SetUnnamedFilesRefused(bool refused)
{
    UnnamedRefusedForTests = refused;
}

bool TLobFileWriter::StartsUnnamed()
{
    return CanLinkUnnamed() && !UnnamedRefusedForTests;
}

void TLobFileWriter::OpenUnnamed()
{
    FHandle = ::openat(FFolder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, NewFileMode);
    if (FHandle >= 0) {
        FUnnamed = true;
        return;
    }
    if (!UnnamedRefused(errno))
        RaiseError("create", errno);
}

// Hidden, in the target folder (so the rename stays on one file system).
void TLobFileWriter::OpenTemporary()
{
    for (int attempt = 0; FHandle < 0; ++attempt) {
        FTempName = TemporaryName();
        FHandle = ::openat(FFolder, FTempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
        if (FHandle < 0 && (errno != EEXIST || attempt > MaxNameAttempts)) {
            const int error = errno;
            FTempName.clear();
            RaiseError("create", error);
        }
    }
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
        FWritten = FLength;
        if (::ftruncate(FHandle, FLength) != 0 || ::lseek(FHandle, FLength, SEEK_SET) < 0)
            Discard();
        throw;
    }
    FLength = FWritten;
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
        FWritten += written;
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
    // a stop or a full disk cannot cut a file that has its name already.
    if (FUnnamed) {
        if (LinkUnnamed(FName.constData())) {
            FUnnamed = false;
            if (FStock != nullptr && FStock->CloseBehind(FHandle)) {
                FHandle = -1;
                Discard();
                return;
            }
            if (const int error = CloseHandle()) {
                ::unlinkat(FFolder, FName.constData(), 0);   // new, so nothing earlier is lost
                Discard();
                RaiseError("write", error);
            }
            Discard();
            return;
        }
        LinkUnnamedAsTemporary();
    } else {
        KeepExistingMode();
    }
    if (const int error = CloseHandle()) {
        Discard();
        RaiseError("write", error);
    }
    if (::renameat(FFolder, FTempName.constData(), FFolder, FName.constData()) != 0) {
        const int error = errno;
        Discard();
        RaiseError("create", error);
    }
    FTempName.clear();
    Discard();
}

bool TLobFileWriter::LinkUnnamed(const char* name)
{
    if (LinkByDescriptor) {
        if (::linkat(FHandle, "", FFolder, name, AT_EMPTY_PATH) == 0)
            return true;
        // Older kernels refuse it without a privilege (ENOENT); /proc then
        // says whether the name or the folder is the trouble.
        if (errno == EEXIST)
            return false;
    }
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", FHandle);
    if (::linkat(AT_FDCWD, self, FFolder, name, AT_SYMLINK_FOLLOW) == 0) {
        LinkByDescriptor = false;
        return true;
    }
    if (errno != EEXIST) {
        const int error = errno;
        Discard();
        RaiseError("create", error);
    }
    return false;
}

// The final name exists: the file takes a temporary name, to be renamed over
// it, with the mode of the file it replaces.
void TLobFileWriter::LinkUnnamedAsTemporary()
{
    KeepExistingMode();
    for (int attempt = 0;; ++attempt) {
        FTempName = TemporaryName();
        if (LinkUnnamed(FTempName.constData()))
            break;
        if (attempt > MaxNameAttempts) {
            FTempName.clear();
            Discard();
            RaiseError("create", EEXIST);
        }
    }
    FUnnamed = false;
}

void TLobFileWriter::KeepExistingMode()
{
    struct stat existing {};
    if (::fstatat(FFolder, FName.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(FHandle, existing.st_mode & 07777);
}

int TLobFileWriter::CloseHandle()
{
    const int handle = FHandle;
    FHandle = -1;
    return ::close(handle) != 0 && errno != EINTR ? errno : 0;
}

void TLobFileWriter::Discard() noexcept
{
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
    FUnnamed = false;
    if (!FTempName.isEmpty()) {
        ::unlinkat(FFolder, FTempName.constData(), 0);
        FTempName.clear();
    }
    if (FOwnedFolder >= 0) {
        ::close(FOwnedFolder);
        FOwnedFolder = -1;
    }
    FFolder = -1;
    FStock = nullptr;
}

void TLobFileWriter::RaiseFileError(const char* action, const QByteArray& path, int error)
{
    throw FileError(action, QString::fromUtf8(path), QString::fromLocal8Bit(std::strerror(error)));
}

void TLobFileWriter::RaiseError(const char* action, int error) const
{
    RaiseFileError(action, FPath, error);
}
