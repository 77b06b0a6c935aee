#pragma once

#include "transfer/UProgressMonitor.h"

class QLabel;
class QProgressBar;

// The progress monitor over a dialog's bar and labels (borrowed). The run holds
// the user-interface thread and lets events through only at the event pump's
// ticks; a change is drawn there, together with the others since the last
// tick, rather than at once in a pass of its own.
class TGUIProgressMonitor : public TProgressMonitor {
public:
    void Init(QProgressBar* bar, QLabel* messageLabel, QLabel* notifyLabel, QLabel* percentLabel);

    void SetTotal(int total) override;
    void Progress(int position) override;
    void Finish(int position) override;
    void Reset() override;
    void SetNotify(const QString& text) override;
    void SetMessage(const QString& text) override;

    int Total() const { return FTotal; }
    bool Uncounted() const { return FUncounted; }

private:
    void SetBarPosition(int value);
    void SetBarValue(int value);
    void ShowPercent(int position);

    QProgressBar* FBar = nullptr;
    QLabel* FMessageLabel = nullptr;
    QLabel* FNotifyLabel = nullptr;
    QLabel* FPercentLabel = nullptr;
    int FTotal = 0;
    bool FUncounted = false;
};
