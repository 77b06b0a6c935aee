#include "UStopRequest.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>
#include <semaphore.h>
#include <sys/socket.h>
#include <thread>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
std::atomic<int> stopSocket{-1};
std::atomic<bool> connectionCut{false};
// Held while the watcher cuts and while a socket is registered or dropped, so
// a closed socket's number, reused by another connection, is never cut.
std::mutex socketGuard;
// Posted by the first signal (sem_post is async-signal-safe); the watcher
// thread waits on it.
sem_t firstSignal;

extern "C" void HandleStopSignal(int signal)
{
    if (stopRequested) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);   // delivered when the handler returns
        return;
    }
    stopRequested = 1;
    const int saved = errno;
    sem_post(&firstSignal);
    errno = saved;
}

void WatchStop()
{
    while (sem_wait(&firstSignal) != 0) {
    }
    timespec left{StopCutSeconds, 0};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    const std::lock_guard<std::mutex> hold(socketGuard);
    const int socket = stopSocket.load();
    if (socket >= 0) {
        connectionCut = true;
        ::shutdown(socket, SHUT_RDWR);
    }
}

}  // namespace

void InstallStopSignals()
{
    static const bool watching = [] {
        sem_init(&firstSignal, 0, 0);
        std::thread(&WatchStop).detach();
        return true;
    }();
    (void)watching;
    struct sigaction action {};
    action.sa_handler = &HandleStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the current item ends normally or at
    // the next check, never with a spurious read or write error.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested()
{
    return stopRequested != 0;
}

void RequestStop()
{
    stopRequested = 1;
}

void SetStopSocket(int socket)
{
    const std::lock_guard<std::mutex> hold(socketGuard);
    stopSocket = socket;
}

bool StopCutConnection()
{
    return connectionCut;
}
