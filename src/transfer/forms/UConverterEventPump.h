#pragma once

#include <QElapsedTimer>

// Keeps the windows alive while a transfer runs on the user-interface thread.
// The converter calls it after every item and between the chunks of a large
// value; it handles the pending events at most once per interval. After each
// of thousands of small files, most passes would find nothing to do and still
// cost their time, and every pass draws what changed since the last (about a
// millisecond for the progress bar and its labels). Ten passes a second keep
// the window live and answer a click on Stop or Escape within about a tenth
// of a second besides the item in hand, for a tenth of the drawing.
class TConverterEventPump {
public:
    static constexpr int DefaultIntervalMs = 100;

    explicit TConverterEventPump(int intervalMs = DefaultIntervalMs);

    // Handles the pending events, unless that was done less than an interval
    // ago. True when it did.
    bool Pump();

    // A pump becomes the converter's hook until Remove.
    static void Install(int intervalMs = DefaultIntervalMs);
    static void Remove();

private:
    int FIntervalMs;
    QElapsedTimer FSinceLast;
};
