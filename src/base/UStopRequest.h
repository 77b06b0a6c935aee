#pragma once

// A stop asked for from outside the program: in command-line mode SIGINT and
// SIGTERM ask the running transfer to end after its current item, so that it
// leaves no half-written file and still writes its summary. A second signal
// ends the process at once, as the signal would without a handler.
void InstallStopSignals();
// True once a stop signal came (or RequestStop was called).
bool StopRequested();
void RequestStop();
