#pragma once

#include <QString>

class TIterativeConverter;
class TOutputer;
class TTaskSession;

// Runs one saved task with the converter of its kind and reports the run
// through an outputer. The task and the outputer are borrowed; they belong to
// the caller and outlive the run.
class TSessionExecutor {
public:
    virtual ~TSessionExecutor() = default;
    TSessionExecutor(const TSessionExecutor&) = delete;
    TSessionExecutor& operator=(const TSessionExecutor&) = delete;

    virtual void SetSession(TTaskSession* session) { FSession = session; }
    // True when the converter ran to its end without an exception; failed
    // items do not make it false (ItemErrors counts them). A task of the
    // other kind, or an outputer that is no TConvertOutputer, raises
    // EConvertError.
    virtual bool Execute() = 0;
    // Asks the converter to stop before its next item.
    virtual void Stop() = 0;

    void SetOutputer(TOutputer* outputer) { FOutputer = outputer; }
    TTaskSession* Session() const { return FSession; }
    TOutputer* Outputer() const { return FOutputer; }

    // The items that failed in the last Execute.
    int ItemErrors() const { return FItemErrors; }

protected:
    TSessionExecutor() = default;

    // Binds the outputer to the converter's status and runs the converter.
    // An exception out of it goes to the outputer and, with failurePrefix, to
    // the program log; then the report of a run that logged errors is asked
    // for with reportMessage (window mode only).
    bool RunConverter(TIterativeConverter& converter, const QString& failurePrefix, const QString& reportMessage);

    // The session as the task class T; EConvertError for any other.
    template <class T>
    T* SessionAs() const
    {
        T* typed = dynamic_cast<T*>(FSession);
        if (!typed)
            RaiseInvalidCast();
        return typed;
    }

private:
    [[noreturn]] static void RaiseInvalidCast();

    TTaskSession* FSession = nullptr;
    TOutputer* FOutputer = nullptr;
    int FItemErrors = 0;
};
