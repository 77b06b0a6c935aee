#pragma once

#include "UGUIProgressMonitor.h"
#include "transfer/UConvertOutputer.h"

class QPlainTextEdit;

// The dialogs' outputer: a run's events drive the progress monitor, and
// errors and the closing summary become lines of the output memo.
class TProgressConvertOutputer : public TConvertOutputer {
public:
    // The controls are borrowed; memo may be null.
    void Init(QProgressBar* bar, QLabel* messageLabel, QLabel* notifyLabel, QLabel* percentLabel,
              QPlainTextEdit* memo);

    void Clear() override;
    void Output(const QString& text) override;
    void HandleError(TConvertStatus& status) override;
    void HandleMessage(TConvertStatus& status) override;
    void HandleStart(TConvertStatus& status) override;
    void HandleEnd(TConvertStatus& status) override;
    void HandleProgress(TConvertStatus& status) override;

    TGUIProgressMonitor& Monitor() { return FMonitor; }

    // "N records,    Elapsed: hh:mm:ss.zzz.    " and, with errors,
    // "E rows can not convert.".
    static QString SummaryText(int succeeded, int errors, double elapsed, const QString& unitWord);
    // The error notice followed by the status message; empty when neither.
    static QString NoticeText(const QString& lastError, const QString& message);

private:
    void SetStepFor(int total);

    TGUIProgressMonitor FMonitor;
    QPlainTextEdit* FMemo = nullptr;
};
