#include "UUpdateCheckRunner.h"

#include "base/UAppException.h"
#include "base/ULog.h"
#include "platform/http/UHttpClient.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace {
struct TRunningCheck {
    THttpClient Client;
    std::thread Thread;
    bool Aborted = false;     // guarded by the runner's lock
    bool UiDone = false;      // the handed-over call has run
    bool Finished = false;
};

struct TRunner {
    std::mutex Lock;
    std::condition_variable Changed;
    TUpdateCheckRunner::TPresenter Presenter;
    std::list<std::shared_ptr<TRunningCheck>> Checks;
    int ConnectTimeoutMs = THttpClient::DefaultConnectTimeoutMs;
    int TimeoutMs = THttpClient::DefaultTimeoutMs;
    std::function<QDateTime()> Clock;
};

TRunner& runner()
{
    // Never destroyed: a check still running at exit must not meet a freed
    // runner (the program ends them with AbortAll first).
    static TRunner* r = new TRunner;
    return *r;
}

// Runs fn on the user-interface thread once a presenter is installed; with
// wait, returns when it has run. An abort meanwhile raises EAbort.
void OnUserInterface(const std::shared_ptr<TRunningCheck>& check, std::function<void()> fn, bool wait)
{
    TRunner& r = runner();
    std::unique_lock lock(r.Lock);
    r.Changed.wait(lock, [&] { return check->Aborted || r.Presenter; });
    if (check->Aborted)
        throw EAbort();
    check->UiDone = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [check, fn = std::move(fn)] {
            {
                std::lock_guard guard(runner().Lock);
                if (check->Aborted)
                    return;
            }
            GuardedCall(fn);
            std::lock_guard guard(runner().Lock);
            check->UiDone = true;
            runner().Changed.notify_all();
        },
        Qt::QueuedConnection);
    if (!wait)
        return;
    r.Changed.wait(lock, [&] { return check->Aborted || check->UiDone; });
    if (check->Aborted)
        throw EAbort();
}

void LogDebug(const std::shared_ptr<TRunningCheck>& check, const QString& text)
{
    // The loggers belong to the user-interface thread.
    OnUserInterface(check, [text] { TLog::GetLogger()->Debug(text); }, false);
}

void RunCheck(const std::shared_ptr<TRunningCheck>& check, bool manual)
{
    try {
        TUpdateCheck updateCheck(check->Client);
        {
            std::lock_guard guard(runner().Lock);
            if (runner().Clock)
                updateCheck.Clock = runner().Clock;
        }
        const TNoticeShower show = [check](const TUpdateNotice& notice) {
            OnUserInterface(
                check,
                [notice] {
                    TUpdateCheckRunner::TPresenter presenter;
                    {
                        std::lock_guard guard(runner().Lock);
                        presenter = runner().Presenter;
                    }
                    if (presenter)
                        presenter(notice);
                },
                true);
        };
        if (manual) {
            updateCheck.CheckNow(show);
        } else {
            updateCheck.AutoNotify(show);
            // The start-up check stays silent; the reason goes to the log.
            if (!updateCheck.FailReason.isEmpty())
                LogDebug(check, QStringLiteral("Update check: ") + updateCheck.FailReason);
        }
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        try {
            LogDebug(check, QStringLiteral("Update check: ") + ExceptionMessage(e));
        } catch (...) {
        }
    }
    std::lock_guard guard(runner().Lock);
    check->Finished = true;
    runner().Changed.notify_all();
}

void Start(bool manual)
{
    TRunner& r = runner();
    std::list<std::shared_ptr<TRunningCheck>> ended;
    auto check = std::make_shared<TRunningCheck>();
    {
        std::lock_guard guard(r.Lock);
        for (auto it = r.Checks.begin(); it != r.Checks.end();) {
            if ((*it)->Finished)
                ended.splice(ended.end(), r.Checks, it++);
            else
                ++it;
        }
        check->Client.ConnectTimeoutMs = r.ConnectTimeoutMs;
        check->Client.TimeoutMs = r.TimeoutMs;
        r.Checks.push_back(check);
    }
    for (const auto& done : ended)
        done->Thread.join();
    check->Thread = std::thread([check, manual] { RunCheck(check, manual); });
}
}

void TUpdateCheckRunner::NotifyUpdate()
{
    Start(false);
}

void TUpdateCheckRunner::CheckUpdate()
{
    Start(true);
}

void TUpdateCheckRunner::SetPresenter(TPresenter presenter)
{
    std::lock_guard guard(runner().Lock);
    runner().Presenter = std::move(presenter);
    runner().Changed.notify_all();
}

void TUpdateCheckRunner::AbortAll()
{
    TRunner& r = runner();
    std::list<std::shared_ptr<TRunningCheck>> checks;
    {
        std::lock_guard guard(r.Lock);
        checks.swap(r.Checks);
        for (const auto& check : checks) {
            check->Aborted = true;
            check->Client.Abort();
        }
        r.Changed.notify_all();
    }
    for (const auto& check : checks) {
        if (check->Thread.joinable())
            check->Thread.join();
    }
}

int TUpdateCheckRunner::RunningCount()
{
    std::lock_guard guard(runner().Lock);
    int count = 0;
    for (const auto& check : runner().Checks)
        count += check->Finished ? 0 : 1;
    return count;
}

void TUpdateCheckRunner::SetTimeouts(int connectMs, int totalMs)
{
    std::lock_guard guard(runner().Lock);
    runner().ConnectTimeoutMs = connectMs;
    runner().TimeoutMs = totalMs;
}

void TUpdateCheckRunner::SetClock(std::function<QDateTime()> clock)
{
    std::lock_guard guard(runner().Lock);
    runner().Clock = std::move(clock);
}
