#include "UConvertStatus.h"

#include <QElapsedTimer>

void TConvertStatus::Start()
{
    Start(TickCount());
}

void TConvertStatus::Start(double startTick)
{
    Succeeded = 0;
    Errors = 0;
    Message.clear();
    LastError.clear();
    StartTick = startTick;
    Running = true;
    Fire(OnStart);
}

void TConvertStatus::Finish()
{
    EndTick = TickCount();
    Running = false;
    Fire(OnEnd);
}

void TConvertStatus::FixTotal()
{
    if (Total != Succeeded && Errors == 0)
        Total = Succeeded;
}

double TConvertStatus::GetElapsed() const
{
    return TickCount() - StartTick;
}

double TConvertStatus::TickCount()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return double(clock.nsecsElapsed()) / 1e6;
}
