// The logon object against the test MariaDB (and the test sshd): logon from
// command-line parameters, from an ini section (directly and through the
// tunnel), by the dialog through its registered class, logoff, the current
// database; and the packet-limit step after every logon.
#include "DBTestUtil.h"
#include "base/ULog.h"
#include "base/UMemoryLogAppender.h"
#include "base/URttiUtil.h"
#include "db/UDBLogon.h"
#include "db/UDBLogonForm.h"
#include "db/UMysqlDBClassInit.h"
#include "db/UMysqlDBLogonOption.h"
#include "db/USSHConnection.h"
#include "platform/dac/DacTestSupport.h"
#include "platform/ini/UIniFile.h"
#include "support/VqSshTestSupport.h"
#include "support/VqTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using dbtest::MessageOf;
using dbtest::S;

// A logon dialog that does what the test tells it when it is shown.
class TProbeLogonForm : public TDBLogonForm {
public:
    using TDBLogonForm::TDBLogonForm;
    static inline std::function<void(TUniConnection&)> OnShow;
    static inline int ConnectionsSet = 0;

    int ShowModal() override
    {
        ShownMode = FormUseMode();
        if (OnShow)
            OnShow(*FConnection);
        return 0;
    }
    TFormUseMode ShownMode = fumConfig;

protected:
    void OnConnectionSet() override { ++ConnectionsSet; }
};

const QString formClass = S("UMysqlLogonForm.TMysqlLogonForm");

// The connection settings of the test server as a profile.
void FillFromTestServer(TMysqlDBLogonOption& option)
{
    const vqtest::DbServer server = vqtest::TestDbServer();
    option.Server = server.host;
    option.Port = QString::number(server.port);
    option.Username = server.user;
    option.Password = server.password;
    option.UseUnicode = S("True");
}

QStringList ParamsOfTestServer()
{
    const vqtest::DbServer server = vqtest::TestDbServer();
    return {S("mysql_server=") + server.host, S("mysql_port=") + QString::number(server.port),
            S("username=") + server.user, S("password=") + server.password, S("mysql_database=mysql")};
}

// Every logon raises the server's global packet limit; the tests that lower
// it to watch that step hold this server-wide lock against those that raise
// it, in whatever test process they run.
class TPacketLimitLock {
public:
    TPacketLimitLock() : FConnection(dactest::NewConnection())
    {
        FConnection->Connect();
        EXPECT_EQ(dactest::Scalar(*FConnection, S("select get_lock('vq_max_allowed_packet', 120)")), S("1"));
    }
    TUniConnection& Connection() { return *FConnection; }

private:
    std::unique_ptr<TUniConnection> FConnection;   // the lock goes with the session
};

class LogonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VQ_REQUIRE_TEST_DB();
        Lock = std::make_unique<TPacketLimitLock>();
        ASSERT_TRUE(Folder.isValid());
        InitMysqlDBClasses();
        Logon = std::make_unique<TDBLogon>(S("Mysql"));
        TaskFile = Folder.filePath(S("task.ilt"));
    }

    void TearDown() override
    {
        Logon.reset();
        DoneMysqlDBClasses();
    }

    TMysqlDBLogonOption& Option() { return *dynamic_cast<TMysqlDBLogonOption*>(Logon->GetLogonOption()); }
    TUniConnection& Connection() { return *Logon->GetConnection(); }

    std::unique_ptr<TPacketLimitLock> Lock;
    QTemporaryDir Folder;
    QString TaskFile;
    std::unique_ptr<TDBLogon> Logon;
};

}  // namespace

TEST_F(LogonTest, ConstructionBuildsEveryPart)
{
    EXPECT_EQ(Logon->DBType(), S("Mysql"));
    EXPECT_EQ(Option().GetDBType(), S("Mysql"));
    ASSERT_NE(Logon->GetSSHConnection(), nullptr);
    EXPECT_FALSE(Logon->IsConnected());
    EXPECT_EQ(Connection().ProviderName(), S("MySQL"));
    EXPECT_EQ(MessageOf([&] { Logon->GetLogonForm(); }), S("Can not find class type: ") + formClass)
        << "command-line mode has no dialog class";
}

TEST_F(LogonTest, FromParametersConnectsDirectly)
{
    // SSH settings left in the shared profile do not matter.
    Option().UseSSH = true;
    Option().SSHConnectionOption()->SSHHost = S("no.such.host.invalid");
    EXPECT_TRUE(Logon->LogonFromParams(ParamsOfTestServer()));
    EXPECT_TRUE(Logon->IsConnected());
    EXPECT_FALSE(Logon->GetSSHConnection()->IsConnected());
    EXPECT_EQ(Connection().Server(), vqtest::TestDbServer().host);
    EXPECT_EQ(dactest::Scalar(Connection(), S("select database()")), S("mysql"));
    Logon->Logoff();

    QStringList params = ParamsOfTestServer();
    params[3] = S("password=wrong");
    auto probe = dactest::NewConnection();
    probe->SetPassword(S("wrong"));
    const QString reason = MessageOf([&] { probe->Connect(); });
    EXPECT_EQ(MessageOf([&] { Logon->LogonFromParams(params); }), S("Can not via cmd login database mysql. ") + reason);
    EXPECT_FALSE(Logon->IsConnected());
}

TEST_F(LogonTest, FromAnIniSection)
{
    TMysqlDBLogonOption saved;
    FillFromTestServer(saved);
    saved.Database = S("mysql");
    saved.SaveToIni(TaskFile, S("SourceDB"));
    EXPECT_NE(TIniFile(TaskFile).ReadString(S("SourceDB"), S("Password"), QString()), saved.Password);

    EXPECT_TRUE(Logon->LogonFromIni(TaskFile, S("SourceDB")));
    EXPECT_EQ(dactest::Scalar(Connection(), S("select database()")), S("mysql"));
    EXPECT_EQ(Option().Password, saved.Password) << "the profile keeps what the section said";

    // Logging off twice is harmless.
    Logon->Logoff();
    Logon->Logoff();
    EXPECT_FALSE(Logon->IsConnected());
}

TEST_F(LogonTest, FromAnIniSectionItsFailures)
{
    TIniFile ini(TaskFile);
    ini.WriteString(S("NoPort"), S("Server"), S("127.0.0.1"));
    ini.WriteString(S("NoPort"), S("Database"), S("shop"));
    ini.WriteString(S("NoPort"), S("Username"), S("nobody"));
    const QString message = MessageOf([&] { Logon->LogonFromIni(TaskFile, S("NoPort")); });
    EXPECT_TRUE(message.startsWith(S("Can not via ini login database shop. "))) << message.toStdString();
    EXPECT_EQ(Connection().Port(), 3306) << "a section without Port uses 3306";

    // Reading errors are not wrapped.
    ini.WriteString(S("BadCipher"), S("PasswordEncrypted"), S("1"));
    ini.WriteString(S("BadCipher"), S("Password"), S("nothex"));
    EXPECT_EQ(MessageOf([&] { Logon->LogonFromIni(TaskFile, S("BadCipher")); }), S("Error: not a Hex String"));

    // An unreachable SSH server: the database connection is not attempted.
    const int closedPort = sshtest::FreePort();
    ini.WriteString(S("Ssh"), S("UseSSH"), S("1"));
    ini.WriteString(S("Ssh"), S("SSHHost"), S("127.0.0.1"));
    ini.WriteInteger(S("Ssh"), S("SSHPort"), closedPort);
    ini.WriteString(S("Ssh"), S("Server"), S("db.example"));
    ini.WriteString(S("Ssh"), S("Database"), S("shop"));
    const QString sshMessage = MessageOf([&] { Logon->LogonFromIni(TaskFile, S("Ssh")); });
    EXPECT_TRUE(sshMessage.startsWith(
        S("Can not via ini login database shop. At SSH connect: Cannot connect to the SSH server 127.0.0.1:%1: ")
            .arg(closedPort)))
        << sshMessage.toStdString();
    EXPECT_EQ(Connection().Server(), S("db.example")) << "the connection was not pointed at a tunnel";
    EXPECT_FALSE(Logon->IsConnected());
}

TEST_F(LogonTest, FromAnIniSectionThroughTheTunnel)
{
    VQ_REQUIRE_TEST_SSH();
    const vqtest::SshServer ssh = vqtest::TestSshServer();
    ASSERT_NO_FATAL_FAILURE(dbtest::AcceptTestSshServerKey());

    TMysqlDBLogonOption saved;
    FillFromTestServer(saved);
    saved.Server = S("name.the.ssh.server.resolves.not");   // the forwarding goes to the SSH host
    saved.Database = S("mysql");
    saved.UseSSH = true;
    saved.SSHConnectionOption()->SSHHost = ssh.host;
    saved.SSHConnectionOption()->SSHPort = ssh.port;
    saved.SSHConnectionOption()->SSHUserName = ssh.user;
    saved.SSHConnectionOption()->SSHPassword = ssh.password;
    saved.SaveToIni(TaskFile, S("SourceDB"));

    EXPECT_TRUE(Logon->LogonFromIni(TaskFile, S("SourceDB")));
    TSSHConnection* tunnel = Logon->GetSSHConnection();
    EXPECT_TRUE(tunnel->IsConnected());
    EXPECT_EQ(Connection().Server(), S("127.0.0.1"));
    EXPECT_EQ(Connection().Port(), tunnel->FLocalPort);
    EXPECT_EQ(dactest::Scalar(Connection(), S("select @@port")), QString::number(vqtest::TestDbServer().port));

    // The profile taken back from the live connection names the MySQL port.
    TMysqlDBLogonOption back;
    back.AssignFrom(Connection(), *tunnel);
    EXPECT_TRUE(back.UseSSH);
    EXPECT_EQ(back.Port, QString::number(vqtest::TestDbServer().port));
    EXPECT_EQ(back.SSHConnectionOption()->SSHHost, ssh.host);

    Logon->Logoff();
    EXPECT_FALSE(Logon->IsConnected());
    EXPECT_FALSE(tunnel->IsConnected());
    Logon->Logoff();
}

TEST_F(LogonTest, ByTheDialogOfTheRegisteredClass)
{
    TRttiUtil::RegisterComponentClass<TProbeLogonForm>(formClass);
    auto* form = dynamic_cast<TProbeLogonForm*>(Logon->GetLogonForm());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->SSHConnection(), Logon->GetSSHConnection());
    EXPECT_EQ(form->LogonOption(), Logon->GetLogonOption());

    // Closed without connecting.
    TProbeLogonForm::OnShow = nullptr;
    TProbeLogonForm::ConnectionsSet = 0;
    EXPECT_FALSE(Logon->LogonWithDialog());
    EXPECT_EQ(form->Connection(), Logon->GetConnection());
    EXPECT_EQ(form->ShownMode, fumSingleLogon);
    EXPECT_EQ(TProbeLogonForm::ConnectionsSet, 1) << "the form refills itself before every run";
    EXPECT_FALSE(Logon->IsConnected());

    // Connected by the dialog: the packet-limit step reconnects.
    unsigned long threadBefore = 0;
    TProbeLogonForm::OnShow = [&](TUniConnection& connection) {
        const vqtest::DbServer server = vqtest::TestDbServer();
        connection.SetServer(server.host);
        connection.SetPort(server.port);
        connection.SetUsername(server.user);
        connection.SetPassword(server.password);
        connection.Connect();
        threadBefore = connection.ThreadId();
    };
    EXPECT_TRUE(Logon->LogonWithDialog());
    EXPECT_EQ(TProbeLogonForm::ConnectionsSet, 2);
    EXPECT_TRUE(Logon->IsConnected());
    EXPECT_NE(Connection().ThreadId(), threadBefore);
    EXPECT_EQ(Logon->GetLogonForm(), form) << "one dialog for the run";

    TProbeLogonForm::OnShow = nullptr;
    Logon.reset();   // frees the form while its class is registered
    TRttiUtil::Unregister(formClass);
}

TEST_F(LogonTest, SetDatabaseOnlyForMysql)
{
    ASSERT_TRUE(Logon->LogonFromParams(ParamsOfTestServer()));
    Logon->SetDatabase(S("information_schema"));
    EXPECT_EQ(dactest::Scalar(Connection(), S("select database()")), S("information_schema"));
    Connection().SetProviderName(S("SQLite"));
    Logon->SetDatabase(S("mysql"));
    EXPECT_EQ(Connection().Database(), S("information_schema"));
}

namespace {

// The packet-limit step on the shared test server: the global value is put
// below the wanted one for the test and restored afterwards.
class AfterConnectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VQ_REQUIRE_TEST_DB();
        Lock = std::make_unique<TPacketLimitLock>();
        Admin = &Lock->Connection();
        Original = dactest::Scalar(*Admin, S("select @@global.max_allowed_packet"));
        Admin->ExecSQL(S("set global max_allowed_packet = 268435456"));
        TLog::GetLogger()->AddAppender(&Log);
    }

    void TearDown() override
    {
        TLog::GetLogger()->RemoveAppender(&Log);
        if (Admin)
            Admin->ExecSQL(S("set global max_allowed_packet = ") + Original);
    }

    QStringList Messages() const
    {
        QStringList messages;
        for (const QString& line : Log.Lines)
            messages << line.section(QLatin1Char('\t'), -1);
        return messages;
    }

    std::unique_ptr<TPacketLimitLock> Lock;
    TUniConnection* Admin = nullptr;
    QString Original;
    TMemoryLogAppender Log;
};

}  // namespace

TEST_F(AfterConnectTest, RaisesTheLimitAndReconnects)
{
    auto connection = dactest::NewConnection();
    connection->Connect();
    const unsigned long thread = connection->ThreadId();
    TMysqlDBLogonOption option;
    option.AfterConnect(*connection);
    EXPECT_TRUE(connection->Connected());
    EXPECT_NE(connection->ThreadId(), thread) << "the new session uses the global value";
    EXPECT_EQ(dactest::Scalar(*connection, S("select @@session.max_allowed_packet")), S("524288000"));
    EXPECT_EQ(Messages(), QStringList {S("set max_allowed_packet to 524288000")});

    // Already large enough: nothing set, still reconnected.
    Log.Clear();
    const unsigned long second = connection->ThreadId();
    option.AfterConnect(*connection);
    EXPECT_NE(connection->ThreadId(), second);
    EXPECT_TRUE(Messages().isEmpty());

    TUniConnection idle;
    option.AfterConnect(idle);   // not connected: nothing happens
    EXPECT_FALSE(idle.Connected());
}

TEST_F(AfterConnectTest, WithoutThePrivilegeLogsAndStillReconnects)
{
    const QString user = S("vq_nopriv_%1").arg(QCoreApplication::applicationPid());
    Admin->ExecSQL(S("create user if not exists '%1'@'%' identified by 'np-Pass1'").arg(user));
    Admin->ExecSQL(S("create user if not exists '%1'@'localhost' identified by 'np-Pass1'").arg(user));
    auto connection = dactest::NewConnection();
    connection->SetUsername(user);
    connection->SetPassword(S("np-Pass1"));
    connection->Connect();
    const unsigned long thread = connection->ThreadId();
    const QString refusal = MessageOf([&] { connection->ExecSQL(S("set global max_allowed_packet = 524288000")); });

    TMysqlDBLogonOption option;
    option.AfterConnect(*connection);
    EXPECT_TRUE(connection->Connected());
    EXPECT_NE(connection->ThreadId(), thread);
    EXPECT_EQ(Messages(), (QStringList {S("max_allowed_packet system value: 268435456"),
                                        S("max_allowed_packet set exception: ") + refusal}));
    EXPECT_TRUE(Log.Lines.value(0).contains(S("[debug]")));
    connection->Disconnect();
    Admin->ExecSQL(S("drop user '%1'@'%'").arg(user));
    Admin->ExecSQL(S("drop user '%1'@'localhost'").arg(user));
}
