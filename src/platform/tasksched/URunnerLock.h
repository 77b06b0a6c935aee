#pragma once

#include <QString>

namespace tasksched {

// The one-runner-per-store lock: a file of the store held with flock for the
// runner's life, released by the kernel however the runner ends.
class TRunnerLock {
public:
    enum TResult { lrAcquired, lrHeld, lrRefused };

    TRunnerLock() = default;
    ~TRunnerLock();
    TRunnerLock(const TRunnerLock&) = delete;
    TRunnerLock& operator=(const TRunnerLock&) = delete;

    // lrHeld: another runner holds it. lrRefused, with the reason: the file
    // cannot be opened, is a link, or is not the user's own.
    TResult Acquire(const QString& path, QString* error);

private:
    int FHandle = -1;
};

}  // namespace tasksched
