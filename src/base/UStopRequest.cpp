#include "UStopRequest.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void HandleStopSignal(int signal)
{
    if (stopRequested) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);   // delivered when the handler returns
        return;
    }
    stopRequested = 1;
}

}  // namespace

void InstallStopSignals()
{
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
