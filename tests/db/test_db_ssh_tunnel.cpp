// The SSH tunnel through the test sshd to the test MariaDB: the host-key
// question and the stored keys (also across processes), refusals, the local
// port search, the loopback-only listener and when a logged-on client is
// reused.
#include "DBTestUtil.h"
#include "base/ULog.h"
#include "base/UMemoryLogAppender.h"
#include "db/USSHConnection.h"
#include "platform/dac/DacTestSupport.h"
#include "platform/ssh/UScFileStorage.h"
#include "platform/ssh/UScKey.h"
#include "platform/ssh/UScSSHClient.h"
#include "support/VqFakePrompter.h"
#include "support/VqSshTestSupport.h"
#include "support/VqTestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

using dbtest::AcceptTestSshServerKey;
using dbtest::MessageOf;
using dbtest::ProgramKeyStorage;
using dbtest::S;
using dbtest::TestSshServerKey;

// The question as the user must see it, built from the key file alone.
QString ExpectedQuestion()
{
    QFile file(vqtest::TestSshServer().hostKeyFile);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray blob = QByteArray::fromBase64(file.readLine().split(' ').value(1));
    const QString fingerprint =
        QString::fromLatin1(QCryptographicHash::hash(blob, QCryptographicHash::Md5).toHex(':'));
    return S("The authenticity of server can not be verified.\r\nFingerprint for the key received from server: ")
           + fingerprint + S(".\r\nKey length: 256 bits.\r\nAre you sure you want to continue connecting?");
}

void Configure(TSSHConnection& tunnel)
{
    const vqtest::SshServer server = vqtest::TestSshServer();
    tunnel.FHost = server.host;
    tunnel.FPort = server.port;
    tunnel.FUser = server.user;
    tunnel.FPassword = server.password;
}

// The first of count free ports in a row, above the ports the program uses.
int FreePortRun(int count)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int base = 20000 + int(QRandomGenerator::global()->bounded(30000));
        bool free = true;
        for (int port = base; port < base + count && free; ++port)
            free = sshtest::TPortHolder(port).IsValid();
        if (free)
            return base;
    }
    return 0;
}

class TunnelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VQ_REQUIRE_TEST_DB();
        VQ_REQUIRE_TEST_SSH();
        QFile::remove(ProgramKeyStorage().FileName());
    }
};

}  // namespace

TEST(Tunnel, StartsItsPortSearchAt4217)
{
    TSSHConnection tunnel;
    EXPECT_EQ(tunnel.FLocalPort, 4217);
    EXPECT_EQ(tunnel.FPort, 0);
    EXPECT_FALSE(tunnel.IsConnected());
    tunnel.Disconnect();   // harmless when not connected
}

TEST_F(TunnelTest, AcceptedKeyIsStoredAndASelectRunsThroughTheTunnel)
{
    vqtest::FakePrompter prompter;
    prompter.QueueAnswer(TPromptAnswer::OK);
    TSSHConnection tunnel;
    Configure(tunnel);
    auto connection = dactest::NewConnection();
    connection->SetServer(S("no.such.host.invalid"));   // only the SSH server is used
    tunnel.ConnectFor(*connection);
    EXPECT_TRUE(tunnel.IsConnected());
    EXPECT_EQ(connection->Server(), S("127.0.0.1"));
    EXPECT_EQ(connection->Port(), tunnel.FLocalPort);
    EXPECT_EQ(tunnel.FDestPort, vqtest::TestDbServer().port);

    ASSERT_EQ(prompter.Prompts.size(), 1);
    EXPECT_EQ(prompter.Prompts[0].text, ExpectedQuestion());
    EXPECT_EQ(prompter.Prompts[0].buttons, TPromptButtons(pbOK | pbCancel));
    ASSERT_TRUE(ProgramKeyStorage().FindKey(S("127.0.0.1")));
    EXPECT_EQ(*ProgramKeyStorage().FindKey(S("127.0.0.1")), TestSshServerKey());

    connection->Connect();
    EXPECT_EQ(dactest::Scalar(*connection, S("select @@port")), QString::number(vqtest::TestDbServer().port));
    EXPECT_EQ(dactest::Scalar(*connection, S("select length(repeat('ab', 2000000))")), S("4000000"));
    EXPECT_EQ(dactest::Scalar(*connection, S("select md5(repeat('xy', 1500000))")),
              QString::fromLatin1(QCryptographicHash::hash(QByteArray("xy").repeated(1500000),
                                                           QCryptographicHash::Md5).toHex()));
    connection->Disconnect();

    // Not asked again in this run...
    tunnel.Disconnect();
    tunnel.Connect();
    EXPECT_EQ(prompter.Prompts.size(), 1);
    tunnel.Disconnect();

    // ...nor by a later process that finds the stored key.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(S("VQ_KEYS_DATA_HOME"), qEnvironmentVariable("XDG_DATA_HOME"));
    const vqtest::ProcessResult child = vqtest::RunProcess(
        QFile::symLinkTarget(S("/proc/self/exe")),
        {S("--gtest_also_run_disabled_tests"), S("--gtest_filter=TunnelChild.DISABLED_ConnectsWithoutAsking")},
        environment);
    EXPECT_EQ(child.exitCode, 0) << child.out.constData() << child.err.constData();
    EXPECT_TRUE(child.out.contains("[  PASSED  ] 1 test")) << child.out.constData();
}

// Run only as the second process of the test above.
TEST(TunnelChild, DISABLED_ConnectsWithoutAsking)
{
    ASSERT_FALSE(qEnvironmentVariable("VQ_KEYS_DATA_HOME").isEmpty());
    qputenv("XDG_DATA_HOME", qgetenv("VQ_KEYS_DATA_HOME"));
    vqtest::FakePrompter prompter;
    TSSHConnection tunnel;
    Configure(tunnel);
    tunnel.FDestPort = vqtest::TestDbServer().port;
    tunnel.Connect();
    EXPECT_TRUE(tunnel.IsConnected());
    EXPECT_TRUE(prompter.Prompts.isEmpty());
}

TEST_F(TunnelTest, KeyRefusedByTheUserFailsAndStoresNothing)
{
    vqtest::FakePrompter prompter;   // no answer queued: Cancel
    TSSHConnection tunnel;
    Configure(tunnel);
    EXPECT_EQ(MessageOf([&] { tunnel.Connect(); }),
              S("The host key of the SSH server 127.0.0.1:%1 was not accepted.").arg(tunnel.FPort));
    EXPECT_EQ(prompter.Prompts.size(), 1);
    EXPECT_FALSE(tunnel.IsConnected());
    EXPECT_FALSE(tunnel.Client()->Connected());
    EXPECT_FALSE(ProgramKeyStorage().FindKey(S("127.0.0.1")));
}

TEST_F(TunnelTest, ChangedHostKeyIsRefusedWithoutAsking)
{
    ProgramKeyStorage().AddKey(S("127.0.0.1"), TScKey(QByteArray("\0\0\0\x0bssh-ed25519\0\0\0\x01\x01", 20)));
    vqtest::FakePrompter prompter;
    prompter.QueueAnswer(TPromptAnswer::OK);
    TSSHConnection tunnel;
    Configure(tunnel);
    const QString message = MessageOf([&] { tunnel.Connect(); });
    EXPECT_TRUE(message.startsWith(S("The host key of the SSH server 127.0.0.1:%1 has changed").arg(tunnel.FPort)))
        << message.toStdString();
    EXPECT_TRUE(prompter.Prompts.isEmpty()) << "a changed key is never put to the user";
    EXPECT_FALSE(tunnel.IsConnected());
    EXPECT_NE(*ProgramKeyStorage().FindKey(S("127.0.0.1")), TestSshServerKey()) << "the stored key stays";
}

TEST_F(TunnelTest, WithoutADisplayAnUnknownKeyIsRefusedAndLogged)
{
    ASSERT_EQ(TPrompter::Installed(), nullptr) << "command-line mode keeps the console prompter";
    TMemoryLogAppender log;
    TLog::GetLogger()->AddAppender(&log);
    TSSHConnection tunnel;
    Configure(tunnel);
    const QString message = MessageOf([&] { tunnel.Connect(); });
    TLog::GetLogger()->RemoveAppender(&log);

    EXPECT_TRUE(message.contains(S("cannot be confirmed without a display"))) << message.toStdString();
    EXPECT_TRUE(message.contains(TestSshServerKey().MD5Fingerprint()));
    ASSERT_EQ(log.Lines.size(), 1);
    EXPECT_TRUE(log.Lines[0].contains(S("[error]\t") + message));
    EXPECT_FALSE(ProgramKeyStorage().FindKey(S("127.0.0.1"))) << "never accepted silently";
    EXPECT_FALSE(tunnel.Client()->Connected());
}

TEST_F(TunnelTest, WrongPasswordFails)
{
    AcceptTestSshServerKey();
    TSSHConnection tunnel;
    Configure(tunnel);
    tunnel.FPassword = S("not the password");
    EXPECT_TRUE(MessageOf([&] { tunnel.Connect(); }).startsWith(S("SSH authentication on 127.0.0.1:")));
    EXPECT_FALSE(tunnel.IsConnected());
}

TEST_F(TunnelTest, PortSearchSkipsTakenPortsAndGivesUpAfterTwenty)
{
    AcceptTestSshServerKey();
    const int base = FreePortRun(TSSHConnection::LocalPortTries);
    ASSERT_NE(base, 0);
    TSSHConnection tunnel;
    Configure(tunnel);
    tunnel.FDestPort = vqtest::TestDbServer().port;
    {
        std::vector<std::unique_ptr<sshtest::TPortHolder>> held;
        for (int port = base; port < base + 2; ++port)
            held.push_back(std::make_unique<sshtest::TPortHolder>(port));
        tunnel.FLocalPort = base;
        tunnel.Connect();
        EXPECT_EQ(tunnel.FLocalPort, base + 2);
    }
    // The next logon starts where the last one ended, and the freed port is
    // taken again.
    tunnel.Disconnect();
    tunnel.Connect();
    EXPECT_EQ(tunnel.FLocalPort, base + 2);
    tunnel.Disconnect();

    std::vector<std::unique_ptr<sshtest::TPortHolder>> held;
    for (int port = base; port < base + TSSHConnection::LocalPortTries; ++port)
        held.push_back(std::make_unique<sshtest::TPortHolder>(port));
    tunnel.FLocalPort = base;
    EXPECT_EQ(MessageOf([&] { tunnel.Connect(); }), S("Can not use SSH tunneling: bind listen port error."));
    EXPECT_EQ(tunnel.FLocalPort, base + 19);
    EXPECT_FALSE(tunnel.Client()->Connected()) << "a failed connect leaves no SSH session behind";
}

TEST_F(TunnelTest, ListensOnLoopbackOnly)
{
    AcceptTestSshServerKey();
    TSSHConnection tunnel;
    Configure(tunnel);
    tunnel.FDestPort = vqtest::TestDbServer().port;
    tunnel.Connect();
    EXPECT_EQ(sshtest::ListeningAddresses(tunnel.FLocalPort), QStringList {sshtest::LoopbackAddress(tunnel.FLocalPort)});
    tunnel.Disconnect();
    EXPECT_TRUE(sshtest::ListeningAddresses(tunnel.FLocalPort).isEmpty());
}

TEST_F(TunnelTest, AClientIsReusedOnlyWhileItsSettingsStay)
{
    AcceptTestSshServerKey();
    TSSHConnection tunnel;
    Configure(tunnel);
    tunnel.FDestPort = vqtest::TestDbServer().port;
    tunnel.FLocalPort = FreePortRun(2);   // away from tests that search from 4217 at the same time
    tunnel.Connect();
    const void* session = tunnel.Client()->Session();
    const int firstPort = tunnel.FLocalPort;

    // Connected again with the same settings (the dialog's database list
    // leaves the tunnel open): the session stays, the forwarding moves on.
    tunnel.Connect();
    EXPECT_EQ(tunnel.Client()->Session(), session);
    EXPECT_EQ(tunnel.FLocalPort, firstPort + 1);
    EXPECT_TRUE(sshtest::ListeningAddresses(firstPort).isEmpty());

    // Another password must log on anew, not ride the old session.
    tunnel.FPassword = S("changed");
    EXPECT_TRUE(MessageOf([&] { tunnel.Connect(); }).startsWith(S("SSH authentication on")));
    EXPECT_FALSE(tunnel.IsConnected());
}
