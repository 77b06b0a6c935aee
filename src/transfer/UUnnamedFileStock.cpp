#include "UUnnamedFileStock.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr mode_t NewFileMode = 0666;   // less the umask, as for a file opened on the spot

// Local file systems without a flush on close: their close returns no error
// that a write did not already report.
bool CloseReportsNoError(int folder)
{
    struct statfs info {};
    if (::fstatfs(folder, &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case TMPFS_MAGIC:
    case EXT4_SUPER_MAGIC:   // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

}  // namespace

TUnnamedFileStock::TUnnamedFileStock(int folder) : FFolder(::fcntl(folder, F_DUPFD_CLOEXEC, 0))
{
    if (FFolder < 0) {
        FFailed = true;
        return;
    }
    FClosesBehind = CloseReportsNoError(FFolder);
    FFiles.reserve(FullStock);
    FToClose.reserve(MostWaitingToClose);
    FHelper = std::thread([this] { Serve(); });
}

TUnnamedFileStock::~TUnnamedFileStock()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FEnding = true;
    }
    FWanted.notify_one();
    if (FHelper.joinable())
        FHelper.join();
    for (const int file : FToClose)
        ::close(file);
    for (const int file : FFiles)
        ::close(file);
    if (FFolder >= 0)
        ::close(FFolder);
}

int TUnnamedFileStock::Take()
{
    std::unique_lock<std::mutex> lock(FLock);
    if (FFiles.empty())
        return -1;
    const int file = FFiles.back();
    FFiles.pop_back();
    const bool wake = FFiles.size() == RefillBelow && !FFailed;
    lock.unlock();
    if (wake)
        FWanted.notify_one();
    return file;
}

bool TUnnamedFileStock::CloseBehind(int file)
{
    if (!FClosesBehind)
        return false;
    std::unique_lock<std::mutex> lock(FLock);
    if (FToClose.size() >= MostWaitingToClose)
        return false;
    FToClose.push_back(file);
    const bool wake = FToClose.size() == CloseBatch;
    lock.unlock();
    if (wake)
        FWanted.notify_one();
    return true;
}

void TUnnamedFileStock::Serve()
{
    std::vector<int> closing;
    closing.reserve(MostWaitingToClose);
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FWanted.wait(lock, [this] {
            return FEnding || FToClose.size() >= CloseBatch || (!FFailed && FFiles.size() <= RefillBelow);
        });
        if (FEnding)
            return;   // the destructor closes what is left
        closing.swap(FToClose);
        lock.unlock();
        for (const int file : closing)
            ::close(file);
        closing.clear();
        lock.lock();
        while (!FEnding && !FFailed && FFiles.size() < FullStock && FToClose.size() < CloseBatch) {
            lock.unlock();
            const int file = ::openat(FFolder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, NewFileMode);
            lock.lock();
            if (file < 0)
                FFailed = true;   // the taker meets the error on its own open
            else
                FFiles.push_back(file);
        }
    }
}
