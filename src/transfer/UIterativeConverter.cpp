#include "UIterativeConverter.h"

#include "base/UException.h"
#include "base/ULog.h"
#include "base/ULogUtil.h"
#include "base/UStopRequest.h"
#include "platform/dac/UUniStatement.h"

namespace {

std::function<void()>& ProcessMessagesHook()
{
    static std::function<void()> hook;
    return hook;
}

// The program log keeps only the first few errors of a run; OnError sees all.
constexpr int MaxLoggedErrors = 5;

}  // namespace

TIterativeConverter::TIterativeConverter() : FStatus(std::make_unique<TConvertStatus>()) {}

TIterativeConverter::~TIterativeConverter()
{
    Stop();
}

void TIterativeConverter::SetProcessMessagesHook(std::function<void()> hook)
{
    ProcessMessagesHook() = std::move(hook);
}

bool TIterativeConverter::Convert()
{
    // The run's time counts from here: opening the statement can take most
    // of it (its first row is read then), and a run stopped meanwhile ran
    // that long.
    FRunStart = TConvertStatus::TickCount();
    // Between the chunks of one large value too: events, and Stop (the button
    // or a stop signal), which fails that value before anything of it is stored.
    TUniStatement::SetChunkHook([this] {
        if (ProcessMessagesHook())
            ProcessMessagesHook()();
        if (StopRequested())
            FStopped = true;
        if (FStopped)
            throw EAbort();
    });
    struct RemoveChunkHook {
        ~RemoveChunkHook() { TUniStatement::SetChunkHook(nullptr); }
    } removeChunkHook;
    try {
        BeforeConvert();
        if (!SkipConvert()) {
            StartConvert();
            RunLoop();
            EndConvert();
        }
    } catch (...) {
        AfterConvert();
        throw;
    }
    AfterConvert();
    return true;
}

void TIterativeConverter::StartConvert()
{
    FStopped = false;
    FLoggedErrors = 0;
    CountTotal();
    FStatus->Start(FRunStart);
}

void TIterativeConverter::RunLoop()
{
    while (HasNext() && !ShouldStop()) {
        ConvertOneRecord();
        DoAfterConvertSome();
        Next();
    }
    AfterLoop();
}

bool TIterativeConverter::ShouldStop()
{
    // A stop signal of an unattended run counts as the Stop button.
    if (StopRequested())
        FStopped = true;
    if (FStopped)
        return true;
    if (MaxErrors > 0 && FStatus->Errors > MaxErrors) {
        FStatus->Message = QStringLiteral("Maxinum error count (%1) exceeded. ").arg(MaxErrors);
        TLog::GetLogger()->Info(FStatus->Message);
        FStatus->DoMessage();
        return true;
    }
    // Never more items than counted: rows added after the count are left.
    return !IsTotalUnknown() && GetPosition() > FStatus->Total;
}

void TIterativeConverter::DoAfterConvertSome()
{
    FStatus->Succeeded = std::max(0, GetPosition() - FStatus->Errors);
    FStatus->DoProgress();
    if (ProcessMessagesHook())
        ProcessMessagesHook()();
}

void TIterativeConverter::EndConvert()
{
    // A stopped run keeps its count, so that the share done shows.
    if (!FStopped)
        FStatus->FixTotal();
    FStatus->Finish();
}

void TIterativeConverter::HandleConvertError(const QString& itemText, const std::exception& error,
                                             const QString& itemNote)
{
    // A name or message with line breaks must not forge log lines.
    const QString message = EscapeLogText(ExceptionMessage(error));
    QString text = EscapeLogText(itemText);
    if (!itemNote.isEmpty())
        text += QStringLiteral("\r\n") + itemNote + QStringLiteral("\r\n");
    FStatus->LastError = text + QStringLiteral("\r\n") + message;
    FStatus->DoError();
    if (FLoggedErrors < MaxLoggedErrors) {
        TLog::GetLogger()->Error(message);
        ++FLoggedErrors;
    }
}
