#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// The kernel's share of a small file, done beside the export on a thread of
// its own: unnamed files of one folder opened ahead, and finished files
// closed behind. Making and closing a file cost the kernel most of a small
// file's time. An unnamed file is invisible until it is linked under a name,
// so opening it early changes nothing anyone can see, and a kill leaves
// nothing behind. A finished file is closed behind only on a file system
// whose close cannot report an error (a local one): where close may report
// that the data did not arrive (a network file system), the caller closes
// and learns it.
//
// When no file is ready, or the thread met any error, Take says so and the
// caller opens its own, meeting the error itself in its place.
class TUnnamedFileStock {
public:
    // folder is duplicated: the caller may close its own handle at any time.
    explicit TUnnamedFileStock(int folder);
    // Closes what is left: every file handed to CloseBehind is closed on return.
    ~TUnnamedFileStock();
    TUnnamedFileStock(const TUnnamedFileStock&) = delete;
    TUnnamedFileStock& operator=(const TUnnamedFileStock&) = delete;

    // A file open for writing in the folder, now the caller's; -1 when none is ready.
    int Take();
    // Takes a finished file of the folder to close it later; false when the
    // caller has to close it itself.
    bool CloseBehind(int file);

private:
    void Serve();

    static constexpr std::size_t FullStock = 16;
    static constexpr std::size_t RefillBelow = FullStock / 2;   // fewer wake-ups
    static constexpr std::size_t CloseBatch = 8;
    static constexpr std::size_t MostWaitingToClose = 256;       // far below any descriptor limit

    int FFolder = -1;
    bool FClosesBehind = false;
    std::mutex FLock;
    std::condition_variable FWanted;
    std::vector<int> FFiles;      // ready, taken from the back
    std::vector<int> FToClose;
    bool FEnding = false;
    bool FFailed = false;
    std::thread FHelper;
};
