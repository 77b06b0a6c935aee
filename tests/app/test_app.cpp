#include "AppTestUtil.h"
#include "app/UProgram.h"
#include "app/UQuenmarel.h"
#include "base/UErrorReport.h"
#include "base/UException.h"
#include "base/UMakerSite.h"
#include "settings/UAppSettings.h"
#include "settings/URegUtil.h"
#include "db/UDBObjectFactory.h"
#include "support/VqHttpTestServer.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// An application whose services and modes are observed by the test.
class TProbeApp : public TQuenmarel {
public:
    static inline bool failFactory = false;
    static inline bool ranGUI = false;
    static inline int servicesBuilt = 0;
    static inline std::function<void()> onRunGUI;

    static TApp* Make()
    {
        std::unique_ptr<TProbeApp> app(new TProbeApp());
        app->Construct();
        return app.release();
    }
    void RunGUI() override
    {
        ranGUI = true;
        if (onRunGUI)
            onRunGUI();
    }

protected:
    std::unique_ptr<TDBObjectFactory> CreateDBObjectFactory() override
    {
        if (failFactory)
            throw Exception(QStringLiteral("factory failed"));
        ++servicesBuilt;
        return TQuenmarel::CreateDBObjectFactory();
    }
    void CreateLobObjectFactory() override { ++servicesBuilt; }
};

int RunProbe(std::vector<const char*> args)
{
    std::vector<char*> argv;
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    return RunProgram(int(args.size()), argv.data(), &TProbeApp::Make);
}

// The program's units started and a probe application built for one test;
// both undone at its end, the application first.
struct ProbeRun {
    apptest::ProgramUnits units;
    std::unique_ptr<TApp> app {TProbeApp::Make()};
};

// Window mode starts the update check: tests keep it on loopback.
void SetNotNotifyUpdate(const QString& value)
{
    RegWriteString(QLatin1String(TAppSettings::RegistryKey), QStringLiteral("NotNotifyUpdate"), value);
}

struct ReportCatcher {
    QStringList messages;
    ReportCatcher() { SetExceptionReporter([this](const QString& m) { messages.append(m); }); }
    ~ReportCatcher() { SetExceptionReporter({}); }
};

}  // namespace

TEST(Application, AnyArgumentSelectsCommandLineMode)
{
    TProbeApp::failFactory = false;
    TProbeApp::ranGUI = false;
    // Nothing to log on with: the run fails, and says so with its exit code.
    EXPECT_EQ(RunProbe({"/opt/x/Vantorquill", "no-such-parameter"}), 1);
    EXPECT_FALSE(TProbeApp::ranGUI);
    EXPECT_FALSE(TApp::HasInstance()) << "the application object is freed when the run ends";

    SetNotNotifyUpdate(QStringLiteral("-1"));
    EXPECT_EQ(RunProbe({"/opt/x/Vantorquill"}), 0);
    EXPECT_TRUE(TProbeApp::ranGUI);
}

TEST(Application, WindowModeStartsTheUpdateCheckAndEndsItWithTheRun)
{
    VQ_REQUIRE_TEST_HTTP();
    vqtest::HttpTestServer server;
    server.SetSilent(QStringLiteral("versioncheck.php"));
    SetMakerSite(server.Address());
    SetNotNotifyUpdate(QStringLiteral("False"));
    RegWriteString(QLatin1String(TAppSettings::RegistryKey), QStringLiteral("CheckUpdateDate"),
                   QStringLiteral("20200101"));
    TProbeApp::onRunGUI = [&] {
        QElapsedTimer timer;
        timer.start();
        while (server.Requests().isEmpty() && timer.elapsed() < 10000)
            QThread::msleep(20);
    };
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(RunProbe({"/opt/x/Vantorquill"}), 0);
    TProbeApp::onRunGUI = nullptr;
    SetMakerSite(QString());
    ASSERT_EQ(server.Requests().size(), 1) << "the check runs at start";
    EXPECT_LT(timer.elapsed(), 10000) << "the end does not wait for a silent server";
    EXPECT_EQ(RegReadString(QLatin1String(TAppSettings::RegistryKey), QStringLiteral("CheckUpdateDate")),
              QStringLiteral("20200101"));
}

TEST(Application, FailingServiceReportsAbortsAndExitsWithOne)
{
    ReportCatcher reports;
    TProbeApp::failFactory = true;
    TProbeApp::ranGUI = false;
    TProbeApp::servicesBuilt = 0;
    EXPECT_EQ(RunProbe({"/opt/x/Vantorquill"}), 1);
    TProbeApp::failFactory = false;
    EXPECT_EQ(reports.messages, QStringList{QStringLiteral("factory failed")});
    EXPECT_FALSE(TProbeApp::ranGUI) << "no main window after a failed start";
    EXPECT_EQ(TProbeApp::servicesBuilt, 0) << "later steps are not run";
    EXPECT_FALSE(TApp::HasInstance());
}

TEST(Application, AccessorsRaiseWithoutAnObject)
{
    ASSERT_FALSE(TApp::HasInstance());
    try {
        TApp::GetInstance();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TApp not create."));
    }
    try {
        TQuenmarel::GetApp();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TQuenmarel not create."));
    }
    EXPECT_FALSE(TApp::IsGUIMode());
}

TEST(Application, SecondConstructionAbortsSilently)
{
    ProbeRun run;
    EXPECT_THROW(TProbeApp::Make(), EAbort);
    EXPECT_EQ(TApp::GetInstance(), run.app.get());
}

TEST(Application, SystemInfoHasThreeLinesWithoutConnection)
{
    ProbeRun run;
    const QStringList lines = run.app->GetSystemInfo().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("(Version ")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("-bit Edition)")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("System Language: ")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("System Decimal Separator: ")));
    EXPECT_EQ(lines[2].size(), QStringLiteral("System Decimal Separator: ").size() + 1);
}

TEST(Application, BuildsOneMysqlFactoryForSourceAndTarget)
{
    ProbeRun run;
    TDBObjectFactory* factory = TQuenmarel::GetApp()->GetDBObjectFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->GetDBType(), QStringLiteral("Mysql"));
    EXPECT_EQ(SourceDBFactory, factory);
    EXPECT_EQ(DestDBFactory, factory);
    run.app.reset();
    EXPECT_EQ(SourceDBFactory, nullptr) << "the references do not outlive the factory";
    EXPECT_EQ(DestDBFactory, nullptr);
}

TEST(Application, SystemInfoNamesTheServerVersionWhenConnected)
{
    VQ_REQUIRE_TEST_DB();
    ProbeRun run;
    TUniConnection* connection = TQuenmarel::GetApp()->GetDBObjectFactory()->GetConnection();
    apptest::PointAtTestServer(*connection);
    connection->Connect();
    const QStringList lines = run.app->GetSystemInfo().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3], QStringLiteral("DB Version: ") + connection->ServerVersion());
    EXPECT_FALSE(connection->ServerVersion().isEmpty());
}

TEST(Application, ProgramNameDropsTheFirstLowerCaseExe)
{
    const struct {
        const char* file;
        const char* name;
    } cases[] = {
        {"/usr/bin/Vantorquill", "Vantorquill"},
        {"/x/Vantorquill.exe", "Vantorquill"},
        {"/x/VANTORQUILL.EXE", "VANTORQUILL.EXE"},
        {"/x/a.exe.exe", "a.exe"},
        {"/x.exe/tool", "tool"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramNameFromFile(QString::fromUtf8(c.file)), QString::fromUtf8(c.name)) << c.file;
}
