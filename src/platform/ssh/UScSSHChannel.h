#pragma once

#include "UScSSHClient.h"

#include <QString>
#include <atomic>
#include <memory>
#include <thread>

// The source port is taken by another socket.
class ESSHPortInUse : public ESSHError {
public:
    using ESSHError::ESSHError;
};

// Local port forwarding over an SSH client: listens on 127.0.0.1 only (never
// on other interfaces, so nobody else on the network can ride the user's
// session) and forwards every accepted connection through a "direct-tcpip"
// channel to DestHost:DestPort as the SSH server resolves it.
//
// While connected, one pump thread owns the client's session and moves the
// data of every forwarded connection; the database connect may then block
// its own thread while the tunnel keeps pumping. Disconnect stops the
// thread and gives the session back to the calling thread.
class TScSSHChannel {
public:
    explicit TScSSHChannel(TScSSHClient* client = nullptr);
    ~TScSSHChannel();
    TScSSHChannel(const TScSSHChannel&) = delete;
    TScSSHChannel& operator=(const TScSSHChannel&) = delete;

    TScSSHClient* Client() const { return FClient; }
    void SetClient(TScSSHClient* client);

    // Changing the source port or the destination while connected first
    // disconnects.
    int SourcePort() const { return FSourcePort; }
    void SetSourcePort(int port);
    const QString& DestHost() const { return FDestHost; }
    void SetDestHost(const QString& host);
    int DestPort() const { return FDestPort; }
    void SetDestPort(int port);
    // Seconds an accepted connection waits for the SSH server to open its
    // channel before it is closed.
    int Timeout = 15;

    // Listens on 127.0.0.1:SourcePort and starts forwarding; the client must
    // be connected. Raises ESSHError (ESSHPortInUse when the port is taken).
    void Connect();
    // Stops forwarding and closes every forwarded connection; harmless when
    // not connected.
    void Disconnect();
    // Listening, and the SSH session still alive.
    bool Connected() const;

    // --- for the client ---------------------------------------------------------
    bool Running() const { return FPump != nullptr; }
    bool SessionLost() const;

    class TPump;

private:
    TScSSHClient* FClient = nullptr;
    int FSourcePort = 0;
    QString FDestHost;
    int FDestPort = 0;
    std::unique_ptr<TPump> FPump;
};
