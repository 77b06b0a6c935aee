#include "USSHConnection.h"

#include "base/UException.h"
#include "base/ULog.h"
#include "base/UPrompter.h"
#include "base/USystemUtil.h"
#include "platform/dac/UUniConnection.h"
#include "platform/ssh/UScFileStorage.h"
#include "platform/ssh/UScSSHChannel.h"
#include "platform/ssh/UScSSHClient.h"

namespace {
const QString crlf = QStringLiteral("\r\n");
}

QString HostKeyQuestion(const TScKey& key)
{
    return QStringLiteral("The authenticity of server can not be verified.") + crlf
           + QStringLiteral("Fingerprint for the key received from server: ") + key.MD5Fingerprint()
           + QStringLiteral(".") + crlf + QStringLiteral("Key length: ") + QString::number(key.BitCount())
           + QStringLiteral(" bits.") + crlf + QStringLiteral("Are you sure you want to continue connecting?");
}

TSSHConnection::TSSHConnection()
    : FKeyStorage(std::make_unique<TScFileStorage>()), FClient(std::make_unique<TScSSHClient>()),
      FChannel(std::make_unique<TScSSHChannel>(FClient.get()))
{
    try {
        FKeyStorage->SetPath(GetProgramDataDir(QStringLiteral("Vantorquill")));
    } catch (const Exception& e) {
        // Without the folder no key can be remembered; unknown keys are still
        // put to the user.
        TLog::GetLogger()->Log(llWarn, e.Message());
    }
    FClient->KeyStorage = FKeyStorage.get();
    FClient->BeforeConnect = [this] { ClientBeforeConnect(); };
    FClient->OnServerKeyValidate = [this](const TScKey& key, bool& accept) { ServerKeyValidate(key, accept); };
    FClient->Timeout = ConnectTimeoutSeconds;
    FChannel->Timeout = ConnectTimeoutSeconds;
}

TSSHConnection::~TSSHConnection()
{
    Disconnect();
}

bool TSSHConnection::ClientSettingsChanged() const
{
    return FClient->HostName != FHost || FClient->Port != FPort || FClient->User != FUser
           || FClient->Password != FPassword;
}

void TSSHConnection::Connect()
{
    // A client logged on with other settings would reach another server, or
    // the same one with stale credentials.
    if (FClient->Connected() && ClientSettingsChanged())
        Disconnect();
    FClient->Connect();
    try {
        int tests = 0;
        for (;;) {
            FindLocalPort(tests);
            FChannel->SetSourcePort(FLocalPort);
            FChannel->SetDestPort(FDestPort);
            FChannel->SetDestHost(FHost);
            try {
                FChannel->Connect();
                break;
            } catch (const ESSHPortInUse&) {
                // Taken between the test and the bind (by another program
                // searching at the same time): counts as one more test.
                NextLocalPort(tests);
            }
        }
    } catch (...) {
        Disconnect();
        throw;
    }
}

void TSSHConnection::Disconnect()
{
    FChannel->Disconnect();
    FClient->Disconnect();
}

bool TSSHConnection::IsConnected() const
{
    return FChannel->Connected();
}

void TSSHConnection::ConnectFor(TUniConnection& connection)
{
    FDestPort = connection.Port();
    Connect();
    connection.SetServer(QStringLiteral("127.0.0.1"));
    connection.SetPort(FLocalPort);
}

void TSSHConnection::ClientBeforeConnect()
{
    FChannel->Disconnect();
    FClient->Disconnect();
    FClient->HostName = FHost;
    FClient->Port = FPort;
    FClient->User = FUser;
    FClient->Password = FPassword;
}

void TSSHConnection::FindLocalPort(int& tests)
{
    while (IsPortListening(FLocalPort))
        NextLocalPort(tests);
}

void TSSHConnection::NextLocalPort(int& tests)
{
    if (++tests == LocalPortTries)
        throw Exception(QStringLiteral("Can not use SSH tunneling: bind listen port error."));
    ++FLocalPort;
}

void TSSHConnection::ServerKeyValidate(const TScKey& key, bool& accept)
{
    const QString keyName = FClient->KeyName();
    // A stored key of that name was compared by the client already: a key
    // that differs from it is never put to the user.
    if (FKeyStorage->FindKey(keyName))
        return;
    if (!ConfirmHostKey(key))
        return;
    FKeyStorage->AddKey(keyName, key);
    accept = true;
}

bool TSSHConnection::ConfirmHostKey(const TScKey& key)
{
    if (!TPrompter::Installed()) {
        // No one can answer without a display: refuse, and say why.
        const QString message = QStringLiteral("The host key of the SSH server %1 is not known and cannot be "
                                               "confirmed without a display (fingerprint %2, %3 bits). The "
                                               "connection was refused; log on once in window mode to accept "
                                               "the key.")
                                    .arg(FClient->KeyName(), key.MD5Fingerprint())
                                    .arg(key.BitCount());
        TLog::GetLogger()->Error(message);
        throw ESSHError(message);
    }
    return TPrompter::Instance().Ask(HostKeyQuestion(key), pbOK | pbCancel, TPromptKind::Question)
           == TPromptAnswer::OK;
}
