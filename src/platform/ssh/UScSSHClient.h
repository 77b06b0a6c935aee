#pragma once

#include "UScKey.h"
#include "base/UException.h"
#include "base/UNetUtil.h"

#include <QString>
#include <functional>

struct ssh_session_struct;
class TScFileStorage;
class TScSSHChannel;

// An SSH failure: the server cannot be reached, the host key or the
// password is refused, a forwarding cannot start.
class ESSHError : public Exception {
public:
    using Exception::Exception;
};

// An SSH client with password authentication. Connect checks the server's
// host key against the key storage: a stored key of the host-key name that
// matches is accepted at once; otherwise OnServerKeyValidate decides (it may
// raise itself to give its own reason), and a refused key ends the connect.
//
// The session is used by one thread at a time: the calling thread while it
// connects and disconnects, the channel's pump thread while a forwarding runs.
class TScSSHClient {
public:
    using TServerKeyValidate = std::function<void(const TScKey& key, bool& accept)>;

    TScSSHClient();
    ~TScSSHClient();
    TScSSHClient(const TScSSHClient&) = delete;
    TScSSHClient& operator=(const TScSSHClient&) = delete;

    QString HostName;
    int Port = 22;
    QString User;
    QString Password;
    // The name the host key is stored under; empty: HostName.
    QString HostKeyName;
    // Seconds that connecting may take.
    int Timeout = ConnectTimeoutSeconds;
    TScFileStorage* KeyStorage = nullptr;   // borrowed
    // Runs just before a connect, not when the client is connected already.
    std::function<void()> BeforeConnect;
    TServerKeyValidate OnServerKeyValidate;

    // Does nothing when connected. Raises ESSHError; the client is then
    // disconnected.
    void Connect();
    // Stops a forwarding that runs on the session first.
    void Disconnect();
    // False also once the server has closed the session.
    bool Connected() const;

    // The name a host key is looked up and stored under.
    QString KeyName() const { return HostKeyName.isEmpty() ? HostName : HostKeyName; }

    // --- for the channel ----------------------------------------------------
    ssh_session_struct* Session() const { return FSession; }
    // The channel that now runs on the session (one at a time), or none.
    void SetActiveChannel(TScSSHChannel* channel) { FActiveChannel = channel; }
    TScSSHChannel* ActiveChannel() const { return FActiveChannel; }

private:
    void VerifyHostKey();
    void Authenticate();
    QString Address() const;
    QString SessionError() const;
    void FreeSession();

    ssh_session_struct* FSession = nullptr;
    TScSSHChannel* FActiveChannel = nullptr;
};
