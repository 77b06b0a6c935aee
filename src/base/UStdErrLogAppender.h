#pragma once

#include "ULogAppender.h"

// Writes one time-stamped line per message to standard error, in the form of
// a log file's line: what an unattended run reports when it was given no log
// file. Line breaks inside a message become LF.
class TStdErrLogAppender : public TLogAppender {
public:
    void Append(const QString& text) override;
};

// "[" + stamp + "] " + text and LF on standard error.
void WriteStdErrLogLine(const QString& text);
