#include "URunnerLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tasksched {

TRunnerLock::~TRunnerLock()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

TRunnerLock::TResult TRunnerLock::Acquire(const QString& path, QString* error)
{
    auto refuse = [&](const QString& why) {
        if (error != nullptr)
            *error = QStringLiteral("The runner's lock \"%1\" cannot be used: %2").arg(path, why);
        if (FHandle >= 0)
            ::close(FHandle);
        FHandle = -1;
        return lrRefused;
    };
    FHandle = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (FHandle < 0)
        return refuse(errno == ELOOP ? QStringLiteral("it is a symbolic link") : QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    if (::fstat(FHandle, &info) != 0)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(info.st_mode))
        return refuse(QStringLiteral("it is not a regular file"));
    if (info.st_uid != ::geteuid())
        return refuse(QStringLiteral("it is not the user's own"));
    if (::flock(FHandle, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return refuse(QString::fromLocal8Bit(std::strerror(errno)));
        ::close(FHandle);
        FHandle = -1;
        return lrHeld;
    }
    return lrAcquired;
}

}  // namespace tasksched
