// The SSH layer against the real test sshd: host keys and their storage, the
// client's logon and host-key check, and the local forwarding with its pump
// thread (data both ways, many connections, half-close, refusals, loopback
// only).
#include "support/VqSshTestSupport.h"
#include "platform/ssh/UScFileStorage.h"
#include "platform/ssh/UScKey.h"
#include "platform/ssh/UScSSHChannel.h"
#include "platform/ssh/UScSSHClient.h"
#include "support/VqTestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>

using namespace sshtest;

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

QString ReadFirstLine(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readLine()).trimmed() : QString();
}

TScKey ServerKey()
{
    return TScKey::FromOpenSSH(ReadFirstLine(vqtest::TestSshServer().hostKeyFile));
}

QByteArray RandomBytes(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

// A client for the test server whose host key is stored as accepted.
class SshTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VQ_REQUIRE_TEST_SSH();
        ASSERT_TRUE(Folder.isValid());
        Storage.SetPath(Folder.path());
        const vqtest::SshServer server = vqtest::TestSshServer();
        Client.HostName = server.host;
        Client.Port = server.port;
        Client.User = server.user;
        Client.Password = server.password;
        Client.KeyStorage = &Storage;
        Storage.AddKey(server.host, ServerKey());
    }

    // Points channel from sourcePort at destPort on the SSH server's side.
    static void Aim(TScSSHChannel& channel, int sourcePort, int destPort)
    {
        channel.SetSourcePort(sourcePort);
        channel.SetDestHost(S("127.0.0.1"));
        channel.SetDestPort(destPort);
    }

    // Connects the client and starts channel from a free local port to
    // destPort; returns the local port.
    int StartForwarding(TScSSHChannel& channel, int destPort)
    {
        Client.Connect();
        const int localPort = FreePort();
        Aim(channel, localPort, destPort);
        channel.Connect();
        return localPort;
    }

    QTemporaryDir Folder;
    TScFileStorage Storage;
    TScSSHClient Client;
};

}  // namespace

TEST(SshKey, SizeAndFingerprintAgreeWithOpenSSH)
{
    QTemporaryDir folder;
    const std::pair<const char*, const char*> kinds[] = {
        {"rsa", "2048"}, {"rsa", "3072"}, {"ecdsa", "384"}, {"ecdsa", "521"}, {"ed25519", ""}, {"dsa", "1024"}};
    for (const auto& [type, bits] : kinds) {
        const QString file = folder.filePath(S(type) + S(bits));
        QStringList args {S("-q"), S("-t"), S(type), S("-N"), S(""), S("-f"), file};
        if (*bits)
            args << S("-b") << S(bits);
        const vqtest::ProcessResult made = vqtest::RunProcess(S("ssh-keygen"), args);
        if (QString(S(type)) == S("dsa") && made.exitCode != 0)
            continue;   // newer OpenSSH builds no longer make DSA keys
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();
        const vqtest::ProcessResult listed =
            vqtest::RunProcess(S("ssh-keygen"), {S("-l"), S("-E"), S("md5"), S("-f"), file + S(".pub")});
        // "<bits> MD5:<fingerprint> <comment> (<TYPE>)"
        const QStringList fields = QString::fromLatin1(listed.out).simplified().split(QLatin1Char(' '));
        ASSERT_GE(fields.size(), 2) << listed.out.constData();

        const TScKey key = TScKey::FromOpenSSH(ReadFirstLine(file + S(".pub")));
        EXPECT_EQ(QString::number(key.BitCount()), fields[0]) << type << bits;
        EXPECT_EQ(S("MD5:") + key.MD5Fingerprint(), fields[1]) << type << bits;
        EXPECT_EQ(key.Algorithm(), ReadFirstLine(file + S(".pub")).section(QLatin1Char(' '), 0, 0));
    }
    EXPECT_EQ(TScKey().BitCount(), 0);
    EXPECT_EQ(TScKey(QByteArray("\0\0\0\xff", 4)).Algorithm(), QString()) << "a damaged blob reads as nothing";
}

TEST(SshKeyStorage, KeysAreNamedReplacedAndKeptPrivate)
{
    QTemporaryDir folder;
    TScFileStorage storage;
    EXPECT_FALSE(storage.FindKey(S("host"))) << "no folder, no keys";
    storage.SetPath(folder.path() + S("/keys"));
    const TScKey first(QByteArray("\0\0\0\x0bssh-ed25519\0\0\0\x01\x01", 20));
    const TScKey second(QByteArray("\0\0\0\x0bssh-ed25519\0\0\0\x01\x02", 20));

    EXPECT_FALSE(storage.FindKey(S("db.example")));
    storage.AddKey(S("db.example"), first);
    storage.AddKey(S("name with\ttab and %"), second);
    ASSERT_TRUE(storage.FindKey(S("DB.Example")));
    EXPECT_EQ(*storage.FindKey(S("DB.Example")), first) << "host names ignore letter case";
    EXPECT_EQ(*storage.FindKey(S("name with\ttab and %")), second);

    storage.AddKey(S("db.example"), second);
    EXPECT_EQ(*storage.FindKey(S("db.example")), second);
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                            | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(storage.FileName()) & others, QFileDevice::Permissions()) << "the owner's alone";

    // A damaged line is passed over; the others still count.
    QFile file(storage.FileName());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("garbage line\nx\tssh-rsa\tnot-base64!\n");
    file.close();
    EXPECT_EQ(*storage.FindKey(S("db.example")), second);

    EXPECT_TRUE(storage.RemoveKey(S("db.example")));
    EXPECT_FALSE(storage.RemoveKey(S("db.example")));
    EXPECT_FALSE(storage.FindKey(S("db.example")));
    EXPECT_TRUE(storage.FindKey(S("name with\ttab and %")));
}

TEST_F(SshTest, HostKeyCheck)
{
    // Stored and equal: accepted without asking.
    int asked = 0;
    Client.OnServerKeyValidate = [&](const TScKey&, bool&) { ++asked; };
    Client.Connect();
    EXPECT_TRUE(Client.Connected());
    EXPECT_EQ(asked, 0);
    Client.Connect();   // connected already: nothing happens
    Client.Disconnect();
    EXPECT_FALSE(Client.Connected());

    // Unknown: the event decides, and sees the offered key.
    Storage.RemoveKey(Client.HostName);
    TScKey offered;
    Client.OnServerKeyValidate = [&](const TScKey& key, bool& accept) {
        offered = key;
        accept = false;
    };
    try {
        Client.Connect();
        FAIL() << "a refused key connected";
    } catch (const ESSHError& e) {
        EXPECT_EQ(e.Message(), S("The host key of the SSH server %1:%2 was not accepted.")
                                   .arg(Client.HostName)
                                   .arg(Client.Port));
    }
    EXPECT_FALSE(Client.Connected());
    EXPECT_EQ(offered, ServerKey());

    Client.OnServerKeyValidate = [](const TScKey&, bool& accept) { accept = true; };
    Client.Connect();
    EXPECT_TRUE(Client.Connected());
    Client.Disconnect();

    // Stored under the name but different: refused, whatever the event says.
    Storage.AddKey(Client.HostName, TScKey(QByteArray("\0\0\0\x0bssh-ed25519\0\0\0\x01\x01", 20)));
    Client.OnServerKeyValidate = [](const TScKey&, bool&) {};
    try {
        Client.Connect();
        FAIL() << "a changed key connected";
    } catch (const ESSHError& e) {
        EXPECT_TRUE(e.Message().contains(S("has changed"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(ServerKey().MD5Fingerprint()));
    }

    // A key name other than the host.
    Client.HostKeyName = S("alias");
    Storage.AddKey(S("alias"), ServerKey());
    Client.Connect();
    EXPECT_TRUE(Client.Connected());
}

TEST_F(SshTest, RefusedPasswordAndUnreachableServer)
{
    Client.Password = S("wrong");
    try {
        Client.Connect();
        FAIL() << "a wrong password connected";
    } catch (const ESSHError& e) {
        EXPECT_TRUE(e.Message().startsWith(S("SSH authentication on "))) << e.Message().toStdString();
    }
    EXPECT_FALSE(Client.Connected());

    Client.Port = FreePort();
    try {
        Client.Connect();
        FAIL();
    } catch (const ESSHError& e) {
        EXPECT_TRUE(e.Message().startsWith(S("Cannot connect to the SSH server 127.0.0.1:"))) << e.Message().toStdString();
    }
}

TEST_F(SshTest, ForwardsDataBothWaysOverManyConnections)
{
    TEchoServer echo;
    TScSSHChannel channel(&Client);
    const int localPort = StartForwarding(channel, echo.Port());
    ASSERT_TRUE(channel.Connected());

    // More than every window and buffer on the way, in both directions at once.
    const QByteArray big = RandomBytes(6 * 1024 * 1024);
    EXPECT_TRUE(RoundTrip(localPort, big) == big);

    std::vector<std::future<bool>> parallel;
    for (int i = 0; i < 6; ++i) {
        parallel.push_back(std::async(std::launch::async, [localPort, i] {
            const QByteArray data = RandomBytes(200 * 1024 + i * 4096);
            return RoundTrip(localPort, data) == data;
        }));
    }
    for (auto& result : parallel)
        EXPECT_TRUE(result.get());

    EXPECT_EQ(RoundTrip(localPort, QByteArray()), QByteArray()) << "a connection that sends nothing";
    EXPECT_TRUE(Client.Connected()) << "the client reports the session the pump owns";
    EXPECT_GE(echo.Accepted(), 8);
}

TEST_F(SshTest, ListensOnLoopbackOnlyAndStopsWithTheClient)
{
    TEchoServer echo;
    TScSSHChannel channel(&Client);
    const int localPort = StartForwarding(channel, echo.Port());

    EXPECT_EQ(ListeningAddresses(localPort), QStringList {LoopbackAddress(localPort)})
        << "nobody else on the network may use the tunnel";

    Client.Disconnect();
    EXPECT_FALSE(channel.Connected());
    EXPECT_TRUE(ListeningAddresses(localPort).isEmpty());
    EXPECT_EQ(ConnectLocal(localPort), -1);
}

TEST_F(SshTest, ChangingTheSourcePortRestartsTheForwarding)
{
    TEchoServer echo;
    TScSSHChannel channel(&Client);
    const int first = StartForwarding(channel, echo.Port());
    const int second = FreePort();
    channel.SetSourcePort(second);
    EXPECT_FALSE(channel.Connected());
    channel.Connect();
    EXPECT_TRUE(ListeningAddresses(first).isEmpty());
    EXPECT_EQ(RoundTrip(second, QByteArray("ping")), QByteArray("ping"));

    // The same port again after a disconnect (no wait for closed connections).
    channel.Disconnect();
    channel.Connect();
    EXPECT_EQ(RoundTrip(second, QByteArray("again")), QByteArray("again"));
}

TEST_F(SshTest, RefusalsOfTheForwarding)
{
    TScSSHChannel channel(&Client);
    Aim(channel, FreePort(), FreePort());
    EXPECT_THROW(channel.Connect(), ESSHError) << "no connected client";

    Client.Connect();
    TPortHolder taken;
    channel.SetSourcePort(taken.Port());
    EXPECT_THROW(channel.Connect(), ESSHPortInUse);

    // A destination nobody listens on: the local connection is closed.
    const int localPort = FreePort();
    channel.SetSourcePort(localPort);
    channel.Connect();
    const int fd = ConnectLocal(localPort);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ReadToEnd(fd), QByteArray());
    CloseFd(fd);
    EXPECT_TRUE(channel.Connected()) << "one refused destination does not end the forwarding";

    TScSSHChannel second(&Client);
    second.SetSourcePort(FreePort());
    EXPECT_THROW(second.Connect(), ESSHError) << "one forwarding per session";
}
