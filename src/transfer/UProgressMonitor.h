#pragma once

#include <QString>
#include <functional>

// What a progress display shows of a running transfer: a bar, a message, a
// notice and a percentage. It is refreshed only at positions that are
// multiples of the step, so a large run redraws about a hundred times. The
// texts are built here, so that they can be checked without a window.
class TProgressMonitor {
public:
    using TClock = std::function<double()>;   // milliseconds, monotonic

    TProgressMonitor();
    virtual ~TProgressMonitor();

    virtual void SetTotal(int total) = 0;   // -1: not counted
    virtual void Progress(int position) = 0;
    virtual void Finish(int position) = 0;
    virtual void Reset() = 0;
    virtual void SetNotify(const QString& text) = 0;
    virtual void SetMessage(const QString& text) = 0;

    // A step of 0 would divide by zero: it becomes 1.
    void SetStep(int step) { FStep = step == 0 ? 1 : step; }
    int Step() const { return FStep; }
    void SetStartTick(double tick) { FStartTick = tick; }
    double StartTick() const { return FStartTick; }
    const QString& UnitWord() const { return FUnitWord; }
    void SetUnitWord(const QString& word) { FUnitWord = word; }

    // The monitor's clock; tests inject their own.
    void SetClock(TClock clock);
    double Now() const { return FClock(); }

    // The refresh step for a run of total items: about a hundred refreshes,
    // at most every cap items (a cap of 0 or below sets no limit).
    static int StepFor(int total, int cap);
    // position of total as a whole percent, half away from zero: "63 %".
    static QString PercentText(int position, int total);
    // "P records / T records    Elapsed: ..    Remaining: .."; an uncounted
    // total shows "> P" and no remaining time.
    static QString ProgressText(int position, int total, const QString& unitWord, double elapsed);

private:
    double FStartTick = 0;
    int FStep = 1;
    QString FUnitWord;
    TClock FClock;
};
