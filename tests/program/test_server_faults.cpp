// Unattended runs against a server that misbehaves: one without strict mode,
// one that freezes behind a link that drops every packet. The server is a
// throwaway of this suite's own (the shared test server is never frozen nor
// reconfigured), and the dropped link is a firewall rule on its port only.
#include "CmdLineTestRun.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>

namespace {

using cmdtest::S;

// A MariaDB of this suite's own, started as the test servers are.
struct TOwnServer {
    QTemporaryDir Dir;
    int Port = 0;
    qint64 Pid = 0;
    QString User;
    QString Password;

    bool Start()
    {
        const QString root = QFileInfo(QStringLiteral(VQ_SOURCE_TESTS_DATA)).dir().path() + S("/..");
        QProcess script;
        script.start(S("bash"), {root + S("/scripts/testservers.sh"), S("start"), Dir.path(), S("mariadb")});
        if (!script.waitForFinished(180000) || script.exitCode() != 0) {
            ADD_FAILURE() << "the suite's own MariaDB did not start: " << script.readAllStandardError().toStdString();
            return false;
        }
        QFile env(Dir.path() + S("/env"));
        env.open(QIODevice::ReadOnly);
        for (const QByteArray& line : env.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line).remove(S("export ")).remove(QLatin1Char('\''));
            const QString value = text.section(QLatin1Char('='), 1);
            if (text.startsWith(S("VQ_TEST_DB_PORT=")))
                Port = value.toInt();
            else if (text.startsWith(S("VQ_TEST_DB_USER=")))
                User = value;
            else if (text.startsWith(S("VQ_TEST_DB_PASSWORD=")))
                Password = value;
        }
        QFile pid(Dir.path() + S("/mariadb/server.pid"));
        pid.open(QIODevice::ReadOnly);
        Pid = pid.readAll().trimmed().toLongLong();
        return Port > 0 && Pid > 0;
    }

    void Stop()
    {
        if (Pid > 0)
            ::kill(pid_t(Pid), SIGCONT);
        const QString root = QFileInfo(QStringLiteral(VQ_SOURCE_TESTS_DATA)).dir().path() + S("/..");
        QProcess::execute(S("bash"), {root + S("/scripts/testservers.sh"), S("stop"), Dir.path()});
    }
};

// Drops every packet to and from one loopback port while it lives: to the
// programs on either end the link is dead, as a cut cable or a host gone.
class TDroppedPort {
public:
    explicit TDroppedPort(int port) : FTable(S("vqtest_drop_%1").arg(port))
    {
        const QString script = S("add table inet %1\n"
                                 "add chain inet %1 out { type filter hook output priority 0; }\n"
                                 "add rule inet %1 out tcp dport %2 drop\n"
                                 "add rule inet %1 out tcp sport %2 drop\n")
                                   .arg(FTable)
                                   .arg(port);
        QProcess nft;
        nft.start(S("nft"), {S("-f"), S("-")});
        nft.write(script.toUtf8());
        nft.closeWriteChannel();
        FActive = nft.waitForFinished(10000) && nft.exitStatus() == QProcess::NormalExit && nft.exitCode() == 0;
        if (!FActive)
            ADD_FAILURE() << "nft could not add the rule (root and nftables are needed): "
                          << nft.readAllStandardError().toStdString();
    }
    ~TDroppedPort()
    {
        if (FActive)
            QProcess::execute(S("nft"), {S("delete"), S("table"), S("inet"), FTable});
    }
    bool Active() const { return FActive; }

private:
    QString FTable;
    bool FActive = false;
};

class ServerFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Server = new TOwnServer;
        if (!Server->Start()) {
            delete Server;
            Server = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        if (Server)
            Server->Stop();
        delete Server;
        Server = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(Server) << "the suite's own MariaDB is needed";
        ASSERT_TRUE(Home.isValid() && Work.isValid());
        Env = vqtest::HeadlessEnvironment();
        Env.insert(S("HOME"), Home.path());
        Env.insert(S("XDG_DATA_HOME"), Home.path() + S("/data"));
        Env.insert(S("XDG_CONFIG_HOME"), Home.path() + S("/config"));
        Connection = std::make_unique<TUniConnection>();
        Connection->SetServer(S("127.0.0.1"));
        Connection->SetPort(Server->Port);
        Connection->SetUsername(Server->User);
        Connection->SetPassword(Server->Password);
        Connection->SpecificOptions().SetValue(S("UseUnicode"), S("True"));
        Connection->Connect();
        Connection->ExecSQL(S("CREATE DATABASE IF NOT EXISTS faults"));
        Connection->SetDatabase(S("faults"));
    }

    QString Path(const QString& relative) const { return Work.path() + QLatin1Char('/') + relative; }

    void WriteFile(const QString& relative, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QString ImportTask(const QString& table) const
    {
        QByteArray text = "[Import]\r\nSchema=faults\r\nTable=" + table.toUtf8() + "\r\nLobField=body\r\nLoadFolder="
                          + Path(S("in")).toUtf8()
                          + "\r\nIncludeSubFolder=0\r\nNameField=name\r\nIncludeNameExt=0\r\nImportType=0\r\n"
                            "ExtType=0\r\n";
        WriteFile(S("import.ilt"), text);
        return Path(S("import.ilt"));
    }

    QStringList LogonArgs(int port) const
    {
        return {S("mysql_server=127.0.0.1"), S("mysql_port=") + QString::number(port),
                S("mysql_username=") + Server->User, S("mysql_password=") + Server->Password,
                S("mysql_database=faults"), S("mysql_unicode=True")};
    }

    QStringList LogLines(const QString& file) const
    {
        QFile log(file);
        log.open(QIODevice::ReadOnly);
        return cmdtest::NormalizedLines(log.readAll(), "\r\n");
    }

    QStringList Rows(const QString& sql)
    {
        TUniQuery query;
        query.SetConnection(Connection.get());
        query.SetSQL(sql);
        query.Open();
        QStringList rows;
        for (; !query.Eof(); query.Next())
            rows << query.Fields(0)->AsString();
        return rows;
    }

    static TOwnServer* Server;
    QTemporaryDir Home;
    QTemporaryDir Work;
    QProcessEnvironment Env;
    std::unique_ptr<TUniConnection> Connection;
};

TOwnServer* ServerFaults::Server = nullptr;

TEST_F(ServerFaults, WithoutStrictModeOnTheServerTooLongValuesAreRefusedNotCut)
{
    // Every session adds strict mode to the server's modes, keeping them.
    Connection->ExecSQL(S("SET GLOBAL sql_mode = 'NO_ZERO_DATE,ERROR_FOR_DIVISION_BY_ZERO'"));
    {
        TUniConnection session;
        session.SetServer(S("127.0.0.1"));
        session.SetPort(Server->Port);
        session.SetUsername(Server->User);
        session.SetPassword(Server->Password);
        session.Connect();
        TUniQuery query;
        query.SetConnection(&session);
        query.SetSQL(S("SELECT @@SESSION.sql_mode"));
        query.Open();
        QStringList modes = query.Fields(0)->AsString().split(QLatin1Char(','));
        modes.sort();
        EXPECT_EQ(modes, QStringList({S("ERROR_FOR_DIVISION_BY_ZERO"), S("NO_ZERO_DATE"), S("STRICT_ALL_TABLES")}));
    }
    Connection->ExecSQL(S("SET GLOBAL sql_mode = ''"));
    Connection->ExecSQL(S("CREATE TABLE small (name VARCHAR(5) PRIMARY KEY, body TEXT)"));
    WriteFile(S("in/big.txt"), QByteArray(70000, 'b'));
    WriteFile(S("in/ok.txt"), "fine");
    WriteFile(S("in/toolongname.txt"), "key too long");
    const QString task = ImportTask(S("small"));

    const auto run = vqtest::RunProcess(vqtest::ProgramPath(),
                                        LogonArgs(Server->Port) << S("task=") + task << S("logfile=") + Path(S("run.log")),
                                        Env);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_EQ(Rows(S("SELECT CONCAT(name, '|', body) FROM small")), QStringList({S("ok|fine")}));
    EXPECT_EQ(LogLines(Path(S("run.log"))),
              QStringList({S("[T] [info]\t") + task, S("[T] ") + Path(S("in/big.txt")),
                           S("The LOB file size is big then LOB Max Column Size."), S(""),
                           S("Data too long for column 'body' at row 1"), S("[T] ") + Path(S("in/toolongname.txt")),
                           S("Data too long for column 'name' at row 1"),
                           S("[T] 1 records    Elapsed: T.  2 rows can not convert.")}));
}

// The server process stopped and its port dropping every packet: the host
// is gone as far as the network can tell. (A stopped process alone is not
// detectable: its kernel still answers every probe, as for a long query.)
TEST_F(ServerFaults, AFrozenServerBehindADeadLinkEndsTheRunAndALogonWithinTheirBounds)
{
    Connection->ExecSQL(S("CREATE TABLE slow (name VARCHAR(20) PRIMARY KEY, body LONGBLOB)"));
    // Each row takes a while, so the run is surely in the middle when frozen.
    Connection->ExecSQL(S("CREATE TRIGGER slow_insert BEFORE INSERT ON slow FOR EACH ROW "
                          "SET NEW.body = IF(SLEEP(0.3) = 0, NEW.body, NEW.body)"));
    for (int i = 0; i < 20; ++i)
        WriteFile(S("in/f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "value");
    const QString task = ImportTask(S("slow"));

    QProcess import;
    import.setProcessEnvironment(Env);
    import.start(vqtest::ProgramPath(),
                 LogonArgs(Server->Port) << S("task=") + task << S("logfile=") + Path(S("import.log")));
    ASSERT_TRUE(import.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (Rows(S("SELECT COUNT(*) FROM slow")).value(0).toInt() < 2 && waited.elapsed() < 30000)
        QThread::msleep(50);
    ASSERT_GE(Rows(S("SELECT COUNT(*) FROM slow")).value(0).toInt(), 2) << "the import did not get going";
    Connection.reset();

    TDroppedPort dead(Server->Port);
    ASSERT_TRUE(dead.Active());
    ::kill(pid_t(Server->Pid), SIGSTOP);
    const auto resume = qScopeGuard([] { ::kill(pid_t(Server->Pid), SIGCONT); });
    QElapsedTimer frozen;
    frozen.start();

    // A logon meanwhile gets no answer at all and gives up after its time-out.
    const auto logon = vqtest::RunProcess(vqtest::ProgramPath(),
                                          LogonArgs(Server->Port) << S("logfile=") + Path(S("logon.log")), Env, 60000);
    const qint64 logonTime = frozen.elapsed();
    ASSERT_TRUE(logon.finished) << "the logon waited on";
    EXPECT_EQ(logon.exitCode, 1);
    EXPECT_GE(logonTime, 14000);
    EXPECT_LE(logonTime, 25000);
    EXPECT_EQ(LogLines(Path(S("logon.log"))).value(0), S("[T] [error]\tException on logon."));

    // Keepalive ends the waiting statement (60 s idle, 6 probes 10 s apart),
    // the reconnect gives up after its time-out, the other files fail at once.
    ASSERT_TRUE(import.waitForFinished(240000)) << "the import waited on";
    const qint64 importTime = frozen.elapsed();
    EXPECT_LE(importTime, 200000);
    EXPECT_GE(importTime, 100000);
    EXPECT_EQ(import.exitCode(), 2) << import.readAllStandardError().toStdString();
    const QStringList lines = LogLines(Path(S("import.log")));
    ASSERT_GE(lines.size(), 4) << lines.join(S("\n")).toStdString();
    EXPECT_TRUE(lines.join(S("\n")).contains(S("Lost connection"))) << lines.join(S("\n")).toStdString();
    EXPECT_TRUE(QRegularExpression(S("^\\[T\\] \\d+ records    Elapsed: T\\.  \\d+ rows can not convert\\.$"))
                    .match(lines.last())
                    .hasMatch())
        << lines.last().toStdString();
}

// A server stopped while the run waits for its answer: its kernel still
// acknowledges every packet, so only the stop signal can end the wait. The
// run ends 10 s after it, with the summary so far, and the server, resumed,
// has the rows stored before.
TEST_F(ServerFaults, AStopSignalEndsARunWhoseServerFroze)
{
    Connection->ExecSQL(S("CREATE TABLE frozen (name VARCHAR(20) PRIMARY KEY, body LONGBLOB)"));
    Connection->ExecSQL(S("CREATE TRIGGER frozen_insert BEFORE INSERT ON frozen FOR EACH ROW "
                          "SET NEW.body = IF(SLEEP(0.3) = 0, NEW.body, NEW.body)"));
    for (int i = 0; i < 20; ++i)
        WriteFile(S("in/f%1.txt").arg(i, 2, 10, QLatin1Char('0')), "value");
    const QString task = ImportTask(S("frozen"));

    QProcess import;
    import.setProcessEnvironment(Env);
    import.start(vqtest::ProgramPath(),
                 LogonArgs(Server->Port) << S("task=") + task << S("logfile=") + Path(S("import.log")));
    ASSERT_TRUE(import.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (Rows(S("SELECT COUNT(*) FROM frozen")).value(0).toInt() < 2 && waited.elapsed() < 30000)
        QThread::msleep(50);
    ASSERT_GE(Rows(S("SELECT COUNT(*) FROM frozen")).value(0).toInt(), 2) << "the import did not get going";

    ::kill(pid_t(Server->Pid), SIGSTOP);
    auto resume = qScopeGuard([] { ::kill(pid_t(Server->Pid), SIGCONT); });
    QThread::msleep(1000);   // surely waiting now
    QElapsedTimer stopped;
    stopped.start();
    ::kill(pid_t(import.processId()), SIGTERM);
    const bool ended = import.waitForFinished(20000);
    const qint64 stopTime = stopped.elapsed();
    if (!ended)
        import.kill();
    resume.dismiss();
    ::kill(pid_t(Server->Pid), SIGCONT);

    ASSERT_TRUE(ended) << "the run waited on";
    EXPECT_GE(stopTime, 9000);
    EXPECT_EQ(import.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(import.exitCode(), 1) << import.readAllStandardError().toStdString();
    const QStringList lines = LogLines(Path(S("import.log")));
    ASSERT_GE(lines.size(), 3) << lines.join(S("\n")).toStdString();
    EXPECT_TRUE(QRegularExpression(S("^\\[T\\] \\d+ records    Elapsed: T\\.  1 rows can not convert\\.$"))
                    .match(lines[lines.size() - 2])
                    .hasMatch())
        << lines.join(S("\n")).toStdString();
    EXPECT_EQ(lines.last(), S("[T] [error]\tThe run was stopped by a signal."));
    EXPECT_GE(Rows(S("SELECT COUNT(*) FROM frozen")).value(0).toInt(), 2);
}

}  // namespace
