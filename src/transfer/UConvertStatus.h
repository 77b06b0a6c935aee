#pragma once

#include <QString>
#include <functional>

class TConvertStatus;
using TConvertStatusEvent = std::function<void(TConvertStatus&)>;

// The counters, times and last texts of one transfer run, and the five events
// through which outputers and the progress display observe it. An empty event
// is skipped.
class TConvertStatus {
public:
    TConvertStatusEvent OnStart;
    TConvertStatusEvent OnEnd;
    TConvertStatusEvent OnError;
    TConvertStatusEvent OnMessage;
    TConvertStatusEvent OnProgress;

    int Total = -1;   // items the run expects; -1 when there is no count
    int Succeeded = 0;
    int Errors = 0;
    double StartTick = 0;   // milliseconds of TickCount()
    double EndTick = 0;
    QString Message;     // the last informational message
    QString LastError;   // the text of the last failed item
    bool Running = false;   // between Start and Finish

    // Zeroes the counters (not Total), empties the texts, stamps the start
    // (now, or when the run began) and fires OnStart.
    void Start();
    void Start(double startTick);
    // Stamps the end and fires OnEnd.
    void Finish();
    void DoError() { Fire(OnError); }
    void DoMessage() { Fire(OnMessage); }
    void DoProgress() { Fire(OnProgress); }
    // A run that ended without errors handled fewer items than it counted
    // (rows went away): the total becomes what was done.
    void FixTotal();
    // Milliseconds since Start.
    double GetElapsed() const;

    // A monotonic clock in milliseconds.
    static double TickCount();

private:
    void Fire(const TConvertStatusEvent& event) { if (event) event(*this); }
};
