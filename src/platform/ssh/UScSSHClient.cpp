#include "UScSSHClient.h"

#include "UScFileStorage.h"
#include "UScSSHChannel.h"
#include "UScSSHLibrary.h"

#include <optional>

namespace {

// Frees a libssh key on every path.
struct TKeyHolder {
    ssh_key Key = nullptr;
    ~TKeyHolder()
    {
        if (Key)
            TScSSHLibrary::Get().ssh_key_free(Key);
    }
};

}  // namespace

TScSSHClient::TScSSHClient() = default;

TScSSHClient::~TScSSHClient()
{
    Disconnect();
}

QString TScSSHClient::Address() const
{
    return HostName + QLatin1Char(':') + QString::number(Port);
}

QString TScSSHClient::SessionError() const
{
    return QString::fromUtf8(TScSSHLibrary::Get().ssh_get_error(FSession));
}

void TScSSHClient::Connect()
{
    if (Connected())
        return;
    const TScSSHLibrary& ssh = TScSSHLibrary::Get();
    Disconnect();
    if (BeforeConnect)
        BeforeConnect();

    FSession = ssh.ssh_new();
    if (!FSession)
        throw ESSHError(QStringLiteral("Cannot create an SSH session."));
    try {
        const QByteArray host = HostName.toUtf8();
        const QByteArray user = User.toUtf8();
        const unsigned int port = unsigned(Port);
        const long timeout = Timeout;
        const int off = 0;
        const int on = 1;
        ssh.ssh_options_set(FSession, SSH_OPTIONS_HOST, host.constData());
        ssh.ssh_options_set(FSession, SSH_OPTIONS_PORT, &port);
        ssh.ssh_options_set(FSession, SSH_OPTIONS_USER, user.constData());
        ssh.ssh_options_set(FSession, SSH_OPTIONS_TIMEOUT, &timeout);
        ssh.ssh_options_set(FSession, SSH_OPTIONS_NODELAY, &on);
        // The program's own settings and key storage decide, not the user's
        // OpenSSH configuration and known_hosts files.
        ssh.ssh_options_set(FSession, SSH_OPTIONS_PROCESS_CONFIG, &off);
        ssh.ssh_options_set(FSession, SSH_OPTIONS_KNOWNHOSTS, "/dev/null");
        ssh.ssh_options_set(FSession, SSH_OPTIONS_GLOBAL_KNOWNHOSTS, "/dev/null");

        if (ssh.ssh_connect(FSession) != SSH_OK)
            throw ESSHError(QStringLiteral("Cannot connect to the SSH server %1: %2").arg(Address(), SessionError()));
        // The tunnel carries the database session: a dead link must end it.
        SetTcpKeepAlive(int(ssh.ssh_get_fd(FSession)));
        VerifyHostKey();
        Authenticate();
    } catch (...) {
        FreeSession();
        throw;
    }
}

void TScSSHClient::VerifyHostKey()
{
    const TScSSHLibrary& ssh = TScSSHLibrary::Get();
    TKeyHolder serverKey;
    char* base64 = nullptr;
    if (ssh.ssh_get_server_publickey(FSession, &serverKey.Key) != SSH_OK
        || ssh.ssh_pki_export_pubkey_base64(serverKey.Key, &base64) != SSH_OK)
        throw ESSHError(QStringLiteral("The SSH server %1 sent no usable host key: %2").arg(Address(), SessionError()));
    const TScKey key(QByteArray::fromBase64(QByteArray(base64)));
    ssh.ssh_string_free_char(base64);

    const std::optional<TScKey> stored = KeyStorage ? KeyStorage->FindKey(KeyName()) : std::nullopt;
    if (stored && *stored == key)
        return;
    bool accept = false;
    if (OnServerKeyValidate)
        OnServerKeyValidate(key, accept);
    if (accept)
        return;
    if (stored) {
        throw ESSHError(QStringLiteral("The host key of the SSH server %1 has changed: it differs from the key "
                                       "accepted before (fingerprint %2). The connection was refused.")
                            .arg(Address(), key.MD5Fingerprint()));
    }
    throw ESSHError(QStringLiteral("The host key of the SSH server %1 was not accepted.").arg(Address()));
}

void TScSSHClient::Authenticate()
{
    const QByteArray password = Password.toUtf8();
    const int rc = TScSSHLibrary::Get().ssh_userauth_password(FSession, nullptr, password.constData());
    if (rc == SSH_AUTH_SUCCESS)
        return;
    if (rc == SSH_AUTH_ERROR)
        throw ESSHError(QStringLiteral("SSH authentication on %1 failed: %2").arg(Address(), SessionError()));
    throw ESSHError(QStringLiteral("SSH authentication on %1 failed: the user name or the password was refused.")
                        .arg(Address()));
}

void TScSSHClient::Disconnect()
{
    if (FActiveChannel)
        FActiveChannel->Disconnect();
    if (!FSession)
        return;
    TScSSHLibrary::Get().ssh_disconnect(FSession);
    FreeSession();
}

void TScSSHClient::FreeSession()
{
    TScSSHLibrary::Get().ssh_free(FSession);
    FSession = nullptr;
}

bool TScSSHClient::Connected() const
{
    if (!FSession)
        return false;
    if (FActiveChannel && FActiveChannel->Running())
        return !FActiveChannel->SessionLost();
    return TScSSHLibrary::Get().ssh_is_connected(FSession) != 0;
}
