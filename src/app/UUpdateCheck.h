#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class THttpClient;

// What a check tells the user.
enum class TUpdateNoticeKind {
    NewVersion,      // "Updates are available ..."
    LatestVersion,   // "This is the latest version ..."
    CannotCheck,     // "Can not check for updates: " + the reason
};

struct TUpdateNotice {
    TUpdateNoticeKind Kind = TUpdateNoticeKind::LatestVersion;
    QString Caption;
    QString Header;
    QString Notify;
    QString LinkAddress;   // shown and opened by the link; empty: link hidden
};

// Shows a notice modally and returns when it was closed.
using TNoticeShower = std::function<void(const TUpdateNotice& notice)>;

// One update check: asks the maker's version endpoint for the latest version
// and compares it with the program's. Runs on a check's own thread (see
// TUpdateCheckRunner); the notice is shown through the shower given.
class TUpdateCheck {
public:
    // The longest version answer read.
    static constexpr qint64 MaxAnswerBytes = 64 * 1024;

    explicit TUpdateCheck(THttpClient& client);

    // The program's four-part version, sent with the request; its major.minor
    // is the current version.
    QString ProgramVersion;
    QString CurrentVersion;
    QString LatestVersion;
    // Why the latest version is unknown ("HTTP status 500", libcurl's text,
    // "the answer is not a version number", "the answer is too long"); empty
    // when it was answered.
    QString FailReason;
    QString Caption;
    std::function<QDateTime()> Clock;

    // Start-up check: honours "Do not remind me again" and runs once a day.
    void AutoNotify(const TNoticeShower& show);
    // Manual check: always asks, and says so when there is nothing new or the
    // question could not be asked.
    void CheckNow(const TNoticeShower& show);

    void QueryLatestVersion();
    bool IsNewVersion();
    bool IsCheckDue();
    void SaveCheckDate();

    TUpdateNotice Notice(TUpdateNoticeKind kind, const QString& header) const;
    TUpdateNotice NewVersionNotice() const;
    TUpdateNotice LatestVersionNotice() const;
    TUpdateNotice CannotCheckNotice() const;

    // The request's address for the endpoint in use.
    QString RequestAddress() const;

    // "Do not remind me again": writes "NotNotifyUpdate" as "-1" or "0".
    static void SaveNotShow(bool checked);

private:
    THttpClient& FClient;
};

// A version text read as a number with "." whatever the locale; 0 when it is
// not one.
double VersionNumber(const QString& text);
