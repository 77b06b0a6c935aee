#include "UConverterEventPump.h"

#include "transfer/UIterativeConverter.h"

#include <QCoreApplication>
#include <memory>

TConverterEventPump::TConverterEventPump(int intervalMs) : FIntervalMs(intervalMs) {}

bool TConverterEventPump::Pump()
{
    if (FSinceLast.isValid() && FSinceLast.elapsed() < FIntervalMs)
        return false;
    QCoreApplication::processEvents();
    FSinceLast.start();
    return true;
}

void TConverterEventPump::Install(int intervalMs)
{
    auto pump = std::make_shared<TConverterEventPump>(intervalMs);
    TIterativeConverter::SetProcessMessagesHook([pump] { pump->Pump(); });
}

void TConverterEventPump::Remove()
{
    TIterativeConverter::SetProcessMessagesHook(nullptr);
}
