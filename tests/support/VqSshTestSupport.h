#pragma once

// Sockets for the SSH tests: a loopback echo server, free ports, blocking
// client helpers, and the listening sockets of the machine as the kernel
// lists them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace sshtest {

// A port nobody listens on right now.
int FreePort();

// A socket listening on 127.0.0.1:port (0: any free port); closed by the
// holder's destructor.
class TPortHolder {
public:
    explicit TPortHolder(int port = 0);
    ~TPortHolder();
    TPortHolder(const TPortHolder&) = delete;
    TPortHolder& operator=(const TPortHolder&) = delete;
    bool IsValid() const { return FFd >= 0; }
    int Port() const { return FPort; }

private:
    int FFd = -1;
    int FPort = 0;
};

// Echoes every byte back on each accepted connection; after the peer's end of
// data it echoes the rest and closes its sending side.
class TEchoServer {
public:
    TEchoServer();
    ~TEchoServer();
    int Port() const { return FPort; }
    int Accepted() const { return FAccepted; }

private:
    void Serve();
    int FFd = -1;
    int FPort = 0;
    std::atomic<bool> FStop {false};
    std::atomic<int> FAccepted {0};
    std::thread FThread;
    std::vector<std::thread> FWorkers;
};

// A blocking TCP client on 127.0.0.1:port; -1 when refused.
int ConnectLocal(int port);
void CloseFd(int fd);
bool WriteAll(int fd, const QByteArray& data);
// Everything until the peer closes (or an error).
QByteArray ReadToEnd(int fd);
// Sends data from a thread of its own while the reply is read, then closes
// the sending side; returns what came back.
QByteArray RoundTrip(int port, const QByteArray& data);

// "address:port" of every listening TCP socket on port, from /proc/net/tcp
// and /proc/net/tcp6 (addresses in the kernel's hex form).
QStringList ListeningAddresses(int port);
// 127.0.0.1:port in that form.
QString LoopbackAddress(int port);

}  // namespace sshtest
