// The update check against the local HTTP server: the request, the answers,
// the once-a-day rule kept in the registry, and the checks' threads.
#include "app/UUpdateCheck.h"
#include "app/UUpdateCheckRunner.h"
#include "base/UMakerSite.h"
#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"
#include "platform/http/UHttpClient.h"
#include "support/VqHttpTestServer.h"
#include "support/VqTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>

using vqtest::HttpTestServer;

namespace {
const QString Key = QLatin1String(TAppSettings::RegistryKey);

std::string Setting(const char* name)
{
    return RegReadString(Key, QLatin1String(name)).toStdString();
}

std::string S(const QString& text)
{
    return text.toStdString();
}

void SetSetting(const char* name, const QString& value)
{
    RegWriteString(Key, QLatin1String(name), value);
}

// Points the maker's site at the test's prefix for the test's length.
struct SiteAtServer {
    explicit SiteAtServer(const QString& base) { SetMakerSite(base); }
    ~SiteAtServer() { SetMakerSite(QString()); }
};

// The version requests received below the prefix's folder (a table's case).
QStringList VersionRequests(const HttpTestServer& server, const QString& folder = QString())
{
    QStringList lines;
    for (const vqtest::HttpRequest& r : server.Requests()) {
        if (r.path.startsWith(server.Prefix() + folder + QStringLiteral("versioncheck.php")))
            lines << r.method + QLatin1Char(' ') + r.path;
    }
    return lines;
}

const QDateTime Noon(QDate(2026, 3, 10), QTime(12, 0));
}

TEST(UpdateCheck, AnswersDecideNewOrNotAndTheManualCheckSaysWhy)
{
    VQ_REQUIRE_TEST_HTTP();
    struct Case {
        const char* name;
        int status;          // 0: the address refuses; -1: never answers; -2: answers without end
        QByteArray body;
        bool isNew;
        TUpdateNoticeKind notice;
        QString header;
    };
    const QString cannot = QStringLiteral("Can not check for updates: ");
    const QString latest = QStringLiteral("This is the latest version (3.3) of Vantorquill");
    const Case cases[] = {
        {"same", 200, "3.3\r\n", false, TUpdateNoticeKind::LatestVersion, latest},
        {"lower", 200, "3.2", true, TUpdateNoticeKind::NewVersion,
         QStringLiteral("Updates are available for Vantorquill, version 3.2")},
        {"higher", 200, " 3.4\n", true, TUpdateNoticeKind::NewVersion,
         QStringLiteral("Updates are available for Vantorquill, version 3.4")},
        {"empty", 200, "", false, TUpdateNoticeKind::CannotCheck,
         cannot + QStringLiteral("the answer is not a version number")},
        {"page", 200, "<html><body>Not found</body></html>", false, TUpdateNoticeKind::CannotCheck,
         cannot + QStringLiteral("the answer is not a version number")},
        {"error", 500, "3.4", false, TUpdateNoticeKind::CannotCheck, cannot + QStringLiteral("HTTP status 500")},
        {"refused", 0, "", false, TUpdateNoticeKind::CannotCheck, cannot + QStringLiteral("Failed to connect")},
        {"silent", -1, "", false, TUpdateNoticeKind::CannotCheck, cannot + QStringLiteral("Operation timed out")},
        {"endless", -2, "", false, TUpdateNoticeKind::CannotCheck, cannot + QStringLiteral("the answer is too long")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server;
        const QString site = server.Address(QString::fromLatin1(c.name) + QLatin1Char('/'));
        const SiteAtServer at(c.status == 0 ? vqtest::RefusingAddress() : site);
        if (c.status == -1)
            server.SetSilent(QString::fromLatin1(c.name) + QStringLiteral("/versioncheck.php"));
        else if (c.status == -2)
            server.SetEndless(QString::fromLatin1(c.name) + QStringLiteral("/versioncheck.php"));
        else if (c.status > 0)
            server.SetAnswer(QString::fromLatin1(c.name) + QStringLiteral("/versioncheck.php"), c.status, c.body);

        THttpClient client;
        client.TimeoutMs = 700;
        TUpdateCheck check(client);
        check.ProgramVersion = QStringLiteral("3.3.1.210811");
        check.Clock = [] { return Noon; };
        std::optional<TUpdateNotice> shown;
        QElapsedTimer timer;
        timer.start();
        check.CheckNow([&](const TUpdateNotice& n) { shown = n; });
        EXPECT_LT(timer.elapsed(), 3000);

        EXPECT_EQ(check.IsNewVersion(), c.isNew);
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(int(shown->Kind), int(c.notice));
        EXPECT_TRUE(shown->Header.startsWith(c.header)) << shown->Header.toStdString();
        EXPECT_EQ(S(shown->Caption), "Check Update");
        EXPECT_EQ(shown->LinkAddress.isEmpty(), c.notice == TUpdateNoticeKind::CannotCheck);
        EXPECT_EQ(Setting("CheckUpdateDate"), S(QStringLiteral("20260310"))) << "the manual check writes the date";
        if (c.status != 0) {
            const QString folder = QString::fromLatin1(c.name) + QLatin1Char('/');
            const QStringList requests = VersionRequests(server, folder);
            ASSERT_FALSE(requests.isEmpty());
            EXPECT_EQ(requests[0].toStdString(),
                      (QStringLiteral("GET ") + server.Prefix() + folder
                       + QStringLiteral("versioncheck.php?product=Vantorquill&version=3.3.1.210811"))
                          .toStdString());
        }
    }
}

// A server that sends without end fills neither the memory nor the time-out.
TEST(UpdateCheck, AnAnswerWithoutEndFailsTheCheckAtItsCap)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetEndless(QStringLiteral("versioncheck.php"));
    const SiteAtServer at(server.Address());
    THttpClient client;
    TUpdateCheck check(client);
    check.ProgramVersion = QStringLiteral("3.3.1.210811");
    vqtest::ResetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(check.IsNewVersion());
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(S(check.FailReason), "the answer is too long");
    const qint64 peak = vqtest::PeakMemoryMiB();
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 100);
}

TEST(UpdateCheck, VersionsReadWithADotInAnyLocale)
{
    VQ_REQUIRE_TEST_HTTP();
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("versioncheck.php"), 200, "3.4");
    const SiteAtServer at(server.Address());
    THttpClient client;
    TUpdateCheck check(client);
    check.ProgramVersion = QStringLiteral("3.3.1.210811");
    EXPECT_TRUE(check.IsNewVersion());
    EXPECT_EQ(VersionNumber(QStringLiteral("3,4")), 0);
    QLocale::setDefault(previous);
}

TEST(UpdateCheck, StartUpCheckRunsOnceADayAndHonoursTheUsersChoice)
{
    VQ_REQUIRE_TEST_HTTP();
    struct Case {
        const char* name;
        QString notNotify;
        QString date;
        QDateTime now;
        bool asks;
        QString notNotifyAfter;
        QString dateAfter;
    };
    const QString today = QStringLiteral("20260310");
    const Case cases[] = {
        {"first run", QString(), QString(), Noon, true, QStringLiteral("False"), today},
        {"switched off", QStringLiteral("-1"), QStringLiteral("20200101"), Noon, false, QStringLiteral("-1"),
         QStringLiteral("20200101")},
        {"checked today", QStringLiteral("0"), today, Noon, false, QStringLiteral("0"), today},
        {"checked yesterday", QStringLiteral("False"), QStringLiteral("20260309"), Noon, true,
         QStringLiteral("False"), today},
        {"yesterday, at midnight", QStringLiteral("False"), QStringLiteral("20260309"),
         QDateTime(QDate(2026, 3, 10), QTime(0, 0)), false, QStringLiteral("False"), QStringLiteral("20260309")},
        {"over a day ahead", QStringLiteral("0"), QStringLiteral("20260312"), Noon, true, QStringLiteral("0"), today},
        {"no date yet", QStringLiteral("False"), QString(), Noon, false, QStringLiteral("False"), today},
        {"no date at all", QStringLiteral("0"), QStringLiteral("2024x"), Noon, true, QStringLiteral("0"), today},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server;
        const QString folder = QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('_'))
                                   .remove(QLatin1Char(',')) + QLatin1Char('/');
        server.SetAnswer(folder + QStringLiteral("versioncheck.php"), 200, "3.4");
        const SiteAtServer at(server.Address(folder));
        SetSetting("NotNotifyUpdate", c.notNotify);
        SetSetting("CheckUpdateDate", c.date);

        THttpClient client;
        TUpdateCheck check(client);
        check.ProgramVersion = QStringLiteral("3.3.1.210811");
        check.Clock = [&] { return c.now; };
        int notices = 0;
        check.AutoNotify([&](const TUpdateNotice& n) {
            ++notices;
            EXPECT_EQ(n.Caption, QStringLiteral("Upgrade Notify"));
        });
        EXPECT_EQ(VersionRequests(server, folder).size(), c.asks ? 1 : 0);
        EXPECT_EQ(notices, c.asks ? 1 : 0);
        EXPECT_EQ(Setting("NotNotifyUpdate"), S(c.notNotifyAfter));
        EXPECT_EQ(Setting("CheckUpdateDate"), S(c.dateAfter));
    }
}

TEST(UpdateCheck, StartUpCheckIsSilentWhenItCannotAsk)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("versioncheck.php"), 500, "");
    const SiteAtServer at(server.Address());
    SetSetting("NotNotifyUpdate", QStringLiteral("0"));
    SetSetting("CheckUpdateDate", QStringLiteral("20200101"));
    THttpClient client;
    TUpdateCheck check(client);
    int notices = 0;
    check.AutoNotify([&](const TUpdateNotice&) { ++notices; });
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(check.FailReason, QStringLiteral("HTTP status 500"));
    EXPECT_EQ(VersionRequests(server).size(), 1);
}

namespace {
// The checks' threads hand their notices to this thread's event loop.
struct EventLoop {
    int argc = 1;
    char name[8] = "vqtest";
    char* argv[2] = {name, nullptr};
    QCoreApplication app {argc, argv};
    QList<TUpdateNotice> notices;
    EventLoop()
    {
        TUpdateCheckRunner::SetPresenter([this](const TUpdateNotice& n) { notices << n; });
    }
    ~EventLoop()
    {
        TUpdateCheckRunner::AbortAll();
        TUpdateCheckRunner::SetPresenter(nullptr);
    }
    bool RunUntil(const std::function<bool()>& done, int ms = 10000)
    {
        return vqtest::ProcessEventsUntil(done, ms);
    }
};
}

TEST(UpdateCheckRunner, ManualCheckShowsItsNoticeOnTheEventLoopThenWritesTheDate)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("versioncheck.php"), 200, "99.1");
    const SiteAtServer at(server.Address());
    SetSetting("CheckUpdateDate", QString());
    EventLoop loop;
    TUpdateCheckRunner::CheckUpdate();
    ASSERT_TRUE(loop.RunUntil([] { return TUpdateCheckRunner::RunningCount() == 0; }));
    ASSERT_EQ(loop.notices.size(), 1);
    EXPECT_EQ(loop.notices[0].Header, QStringLiteral("Updates are available for Vantorquill, version 99.1"));
    EXPECT_EQ(loop.notices[0].LinkAddress, server.Address(QStringLiteral("vantorquill/")));
    EXPECT_EQ(Setting("CheckUpdateDate"), S(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
}

TEST(UpdateCheckRunner, EndingTheProgramEndsAWaitingCheckAtOnceWithoutNoticeOrDate)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetSilent(QStringLiteral("versioncheck.php"));
    const SiteAtServer at(server.Address());
    SetSetting("NotNotifyUpdate", QStringLiteral("False"));
    SetSetting("CheckUpdateDate", QStringLiteral("20200101"));
    EventLoop loop;
    TUpdateCheckRunner::NotifyUpdate();
    ASSERT_TRUE(loop.RunUntil([&] { return VersionRequests(server).size() == 1; }));
    QElapsedTimer timer;
    timer.start();
    TUpdateCheckRunner::AbortAll();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(TUpdateCheckRunner::RunningCount(), 0);
    loop.RunUntil([] { return false; }, 200);
    EXPECT_TRUE(loop.notices.isEmpty());
    EXPECT_EQ(Setting("CheckUpdateDate"), S(QStringLiteral("20200101")));
}

TEST(UpdateCheckRunner, ACheckWaitingForTheWindowsEndsWithTheProgram)
{
    VQ_REQUIRE_TEST_HTTP();
    HttpTestServer server;
    server.SetAnswer(QStringLiteral("versioncheck.php"), 200, "99.1");
    const SiteAtServer at(server.Address());
    SetSetting("CheckUpdateDate", QStringLiteral("20200101"));
    // No presenter: window mode never came up.
    TUpdateCheckRunner::CheckUpdate();
    QElapsedTimer timer;
    timer.start();
    while (VersionRequests(server).isEmpty() && timer.elapsed() < 10000)
        QThread::msleep(20);
    timer.restart();
    TUpdateCheckRunner::AbortAll();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(Setting("CheckUpdateDate"), S(QStringLiteral("20200101")));
}
