#pragma once

#include "UConvertStatus.h"

#include <QString>
#include <exception>
#include <functional>
#include <memory>

// The item-by-item frame of import, export and merge. Convert runs the steps
// in a fixed order; a subclass supplies the items (HasNext, Next, GetPosition,
// CountTotal) and converts one at a time in ConvertOneRecord, catching that
// item's errors itself: it counts them in Status().Errors and reports them
// through HandleConvertError, and the run goes on.
class TIterativeConverter {
public:
    TIterativeConverter();
    virtual ~TIterativeConverter();
    TIterativeConverter(const TIterativeConverter&) = delete;
    TIterativeConverter& operator=(const TIterativeConverter&) = delete;

    // Runs the whole conversion and returns true. An error outside the
    // per-item handling passes to the caller after AfterConvert has run.
    bool Convert();
    // Ends the run before the next item; safe to call from inside the yield
    // hook (a Stop button) on the same thread.
    void Stop() { FStopped = true; }
    bool Stopped() const { return FStopped; }

    TConvertStatus& Status() { return *FStatus; }
    const TConvertStatus& Status() const { return *FStatus; }

    // The most failed items before the run ends; 0 means no limit.
    int MaxErrors = 0;
    int LoggedErrors() const { return FLoggedErrors; }

    // Called after every item so that pending window messages are handled
    // (repaints, a click on Stop). Window mode installs the event processing;
    // without a hook nothing happens. Process-wide.
    static void SetProcessMessagesHook(std::function<void()> hook);

protected:
    virtual void BeforeConvert() {}
    // Subclasses add their own preparation and then call this.
    virtual void StartConvert();
    virtual void AfterLoop() {}
    virtual void EndConvert();
    // Runs even after an error: releases what BeforeConvert opened.
    virtual void AfterConvert() {}
    virtual bool SkipConvert() { return false; }
    virtual bool HasNext() = 0;
    // Moves to the next item.
    virtual void Next() = 0;
    virtual void ConvertOneRecord() = 0;
    virtual bool IsTotalUnknown() { return FStatus->Total == -1; }
    // Sets Status().Total, -1 when there is no count.
    virtual void CountTotal() = 0;
    // The 1-based number of the current item; after ConvertOneRecord, the
    // number of items handled so far.
    virtual int GetPosition() = 0;

    void RunLoop();
    bool ShouldStop();
    void DoAfterConvertSome();
    // itemText names the item (a file path, "Serial: " and a row's serial);
    // the subclass has already counted the failure in Status().Errors. A
    // note (a hint) goes on lines of its own after the item. Control
    // characters of the item and the message are escaped.
    void HandleConvertError(const QString& itemText, const std::exception& error,
                            const QString& itemNote = QString());

private:
    bool FStopped = false;
    int FLoggedErrors = 0;
    double FRunStart = 0;   // TConvertStatus::TickCount() when Convert began
    std::unique_ptr<TConvertStatus> FStatus;
};
