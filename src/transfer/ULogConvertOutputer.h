#pragma once

#include "UConvertOutputer.h"

// The outputer of unattended runs: each failed item, each message and a
// closing summary become lines of the run's log file. Without a log file the
// lines go to standard error, so that a failed run always leaves a trace.
class TLogConvertOutputer : public TConvertOutputer {
public:
    void Output(const QString& text) override;

    // The failed item's text, CR LF and the error (one time stamp for both).
    void HandleError(TConvertStatus& status) override;
    void HandleMessage(TConvertStatus& status) override;
    void HandleStart(TConvertStatus&) override {}
    // The summary line (SummaryText).
    void HandleEnd(TConvertStatus& status) override;
    void HandleProgress(TConvertStatus&) override {}

    // "N records    Elapsed: hh:mm:ss.zzz", and when items failed
    // ".  N rows can not convert.".
    static QString SummaryText(int succeeded, int errors, double elapsedMs);
};
