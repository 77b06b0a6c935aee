#pragma once

#include "base/UComponent.h"

#include <QString>
#include <memory>

class TScFileStorage;
class TScKey;
class TScSSHChannel;
class TScSSHClient;
class TUniConnection;

// The SSH tunnel to a MySQL server: logs on to the SSH server with a
// password, listens on a local port of 127.0.0.1 and forwards every
// connection made to it to FHost:FDestPort as the SSH server resolves it.
// Host keys the user accepted are kept in the per-user program folder; an
// unknown key is put to the user, a changed one is refused.
//
// The fields are set directly by their users: the logon profile sets FHost,
// FPort, FUser and FPassword, the logon object and the logon dialog set
// FDestPort before Connect and read FLocalPort after it.
class TSSHConnection : public TObject {
public:
    static constexpr int FirstLocalPort = 4217;
    static constexpr int LocalPortTries = 20;

    TSSHConnection();
    // Disconnects, then frees the channel, the client and the key storage.
    ~TSSHConnection() override;

    QString FHost;               // the SSH server, also the forwarding's destination host
    int FPort = 0;               // the SSH server's port
    QString FUser;
    QString FPassword;
    int FLocalPort = FirstLocalPort;   // the local port last chosen
    int FDestPort = 0;           // the MySQL port on the far side

    // Logs on to the SSH server (reusing a connected client only while its
    // server, port, user and password are unchanged), finds a free local port
    // and starts the forwarding. Raises; on a failure after the logon the
    // client is disconnected again.
    void Connect();
    // Stops the forwarding, then disconnects the client; harmless when not
    // connected.
    void Disconnect();
    // The forwarding runs.
    bool IsConnected() const;

    // Opens the tunnel to the connection's port and points the connection
    // at it: FDestPort := its Port, Connect, then Server "127.0.0.1" and Port
    // FLocalPort.
    void ConnectFor(TUniConnection& connection);

    TScSSHClient* Client() const { return FClient.get(); }
    TScSSHChannel* Channel() const { return FChannel.get(); }
    TScFileStorage* KeyStorage() const { return FKeyStorage.get(); }

private:
    void ClientBeforeConnect();
    void ServerKeyValidate(const TScKey& key, bool& accept);
    bool ConfirmHostKey(const TScKey& key);
    // From FLocalPort upwards, the first port nobody listens on; tests counts
    // the ports found taken, and the 20th raises the bind message.
    void FindLocalPort(int& tests);
    void NextLocalPort(int& tests);
    bool ClientSettingsChanged() const;

    // Declared in reverse order of freeing.
    std::unique_ptr<TScFileStorage> FKeyStorage;
    std::unique_ptr<TScSSHClient> FClient;
    std::unique_ptr<TScSSHChannel> FChannel;
};

// The confirmation question for a host key that is not known yet.
QString HostKeyQuestion(const TScKey& key);
