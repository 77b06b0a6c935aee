#pragma once

#include <QString>

class TLogger;
class TPrompter;

// At the start of a program the settings store is read once, so that a store
// found damaged (and set aside) is told to the user there and then, not only
// in a log nobody keeps.
class TSettingsStartCheck {
public:
    // Window mode: one error box per damaged store.
    static void TellInWindow(TPrompter& prompter, const QString& fileName = QString());
    // Command line: one error line per damaged store in the run's log.
    static void TellInLog(TLogger& logger, const QString& fileName = QString());
};
