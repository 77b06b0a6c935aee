#pragma once

#include "UUpdateCheck.h"

#include <functional>

// Runs update checks on threads of their own. The notice is shown on the
// user-interface thread: window mode installs the presenter once its
// application object exists; until then a check that has something to show
// waits. At program end AbortAll ends every check at once: an aborted check
// shows and writes nothing, and the end never waits on the user interface.
class TUpdateCheckRunner {
public:
    // Shows a notice modally; called on the user-interface thread.
    using TPresenter = std::function<void(const TUpdateNotice& notice)>;

    // The start-up check (TUpdateCheck::AutoNotify); returns at once.
    static void NotifyUpdate();
    // The manual check (TUpdateCheck::CheckNow); returns at once.
    static void CheckUpdate();

    // Installed on the user-interface thread after its QCoreApplication is
    // made; nullptr removes it.
    static void SetPresenter(TPresenter presenter);

    // Ends every running check and waits for its thread.
    static void AbortAll();
    // Checks whose thread has not ended yet.
    static int RunningCount();

    // Time-outs of the checks' requests (tests shorten them) and the clock of
    // the date test; a null clock restores the system's.
    static void SetTimeouts(int connectMs, int totalMs);
    static void SetClock(std::function<QDateTime()> clock);
};
