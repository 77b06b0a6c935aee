#pragma once

// A stop asked for from outside the program: in command-line mode SIGINT and
// SIGTERM ask the running transfer to end after its current item, so that it
// leaves no half-written file and still writes its summary. A second signal
// ends the process at once, as the signal would without a handler.
//
// An item can wait on a server that froze (a stopped process still has its
// kernel acknowledge every packet, so keepalive cannot tell): when the
// process still runs StopCutSeconds after the first signal, the watched
// socket is shut down, which makes the blocked read return with an error.
void InstallStopSignals();
// True once a stop signal came (or RequestStop was called).
bool StopRequested();
void RequestStop();

constexpr int StopCutSeconds = 10;
// The socket of the run's database connection; -1 for none.
void SetStopSocket(int socket);
// True once the watched socket was shut down: nothing more may be sent on
// that connection (no rollback, no reconnect).
bool StopCutConnection();
