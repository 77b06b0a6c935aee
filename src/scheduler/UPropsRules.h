#pragma once

#include "saUtils.h"

#include <QStringList>

// The rules of the task properties dialog that need no window: the items of
// its duration boxes and the durations they stand for, the run-time texts and
// the repeat interval of a daily trigger.

// One duration drop-down: its items, the item selected when the dialog is
// made and the item that its check box selects.
struct TDurationBox {
    QStringList Items;
    int AtCreation = -1;
    int OnCheck = -1;
};

const TDurationBox& StopRuningBox();
const TDurationBox& RestartTimeBox();
const TDurationBox& DeleteAfterBox();
const TDurationBox& IdleBox();
const TDurationBox& IdleWaitBox();

// "2 hours" -> PT2H, "3 days" -> P3D, "30 minutes" -> PT30M; a text without a
// blank ("Immediately", a count) as it is; "" stays "".
QString TextToDuration(const QString& text);
// The first item whose duration is text; -1 for "" or no match.
int GetTimeIndex(const QStringList& items, const QString& text);

// Long time + ", " + long date of QLocale(), or "Never" for a time that never was.
QString PropsRunTimeText(TDateTime time);

// A daily repeat interval as the panel shows it: hours when it is a whole
// number of hours, else minutes.
struct TRepeatInterval {
    int Value = 0;
    bool Hours = false;
    static TRepeatInterval FromMinutes(quint32 minutes);
    quint32 Minutes() const { return Hours ? quint32(Value) * 60 : quint32(Value); }
};
