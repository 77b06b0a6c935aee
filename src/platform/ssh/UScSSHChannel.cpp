#include "UScSSHChannel.h"

#include "UScSSHClient.h"
#include "UScSSHLibrary.h"

#include <QByteArray>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// Bytes kept per direction of one forwarded connection before its source is
// no longer read.
constexpr qsizetype bufferCap = 256 * 1024;
constexpr size_t chunkSize = 32 * 1024;

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool WouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

}  // namespace

// The thread that owns the session while the forwarding runs. It polls the
// listening socket, the session's socket, every forwarded connection and a
// wake-up descriptor, and moves data without ever blocking on one of them.
class TScSSHChannel::TPump {
public:
    TPump(ssh_session session, int listenFd, const QString& destHost, int destPort, int sourcePort, int timeout)
        : FSsh(TScSSHLibrary::Get()), FSession(session), FListenFd(listenFd), FDestHost(destHost.toUtf8()),
          FDestPort(destPort), FSourcePort(sourcePort), FTimeout(std::chrono::seconds(timeout > 0 ? timeout : 15))
    {
        FWakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (FWakeFd < 0) {
            const int error = errno;
            ::close(FListenFd);
            throw ESSHError(QStringLiteral("Cannot start the SSH forwarding: %1").arg(ErrnoText(error)));
        }
        FSsh.ssh_set_blocking(FSession, 0);
        FThread = std::thread([this] { Run(); });
    }

    ~TPump()
    {
        FStop = true;
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(FWakeFd, &one, sizeof one);
        FThread.join();
        ::close(FWakeFd);
        FSsh.ssh_set_blocking(FSession, 1);
    }

    bool SessionLost() const { return FLost; }

private:
    struct TForward {
        int Fd = -1;
        ssh_channel Channel = nullptr;
        bool Open = false;           // the server confirmed the channel
        TClock::time_point Deadline; // for the confirmation
        QByteArray ToRemote;         // read from the local socket, not yet sent
        QByteArray ToLocal;          // read from the channel, not yet sent
        bool LocalEof = false;       // the local side sends nothing more
        bool EofSent = false;        // ... and the channel was told so
        bool LocalShut = false;      // the local side was told the remote end finished
        bool Done = false;
        ssh_channel_callbacks_struct Callbacks {};
    };

    // Packets of any channel may be read by a call made for another (a write
    // flushes and reads too), leaving data in a channel's buffer that no
    // descriptor will announce. These callbacks only note that something
    // arrived, so that the loop looks again before it sleeps; the data stays
    // where it is until Step reads it.
    static int OnData(ssh_session, ssh_channel, void*, uint32_t, int, void* pump)
    {
        static_cast<TPump*>(pump)->FActivity = true;
        return 0;
    }
    static void OnEvent(ssh_session, ssh_channel, void* pump) { static_cast<TPump*>(pump)->FActivity = true; }
    static int OnWindow(ssh_session, ssh_channel, uint32_t, void* pump)
    {
        static_cast<TPump*>(pump)->FActivity = true;
        return 0;
    }

    void Run()
    {
        ssh_event event = FSsh.ssh_event_new();
        FSsh.ssh_event_add_session(event, FSession);
        while (!FStop) {
            FSsh.ssh_event_dopoll(event, 0);
            if (IsLost()) {
                FLost = true;
                break;
            }
            FActivity = false;
            for (auto& forward : FForwards)
                Step(*forward);
            CloseFinished();
            if (!WaitForWork())
                break;
        }
        for (auto& forward : FForwards)
            Close(*forward);
        FForwards.clear();
        ::close(FListenFd);
        FSsh.ssh_event_remove_session(event, FSession);
        FSsh.ssh_event_free(event);
    }

    bool IsLost() const
    {
        return FSsh.ssh_is_connected(FSession) == 0 || (FSsh.ssh_get_status(FSession) & (SSH_CLOSED | SSH_CLOSED_ERROR)) != 0;
    }

    // Polls every descriptor that has something to do; false when stopped.
    bool WaitForWork()
    {
        std::vector<pollfd> fds;
        fds.push_back({FWakeFd, POLLIN, 0});
        fds.push_back({FListenFd, POLLIN, 0});
        short sessionEvents = POLLIN;
        if (FSsh.ssh_get_poll_flags(FSession) & SSH_WRITE_PENDING)
            sessionEvents |= POLLOUT;
        fds.push_back({FSsh.ssh_get_fd(FSession), sessionEvents, 0});
        const size_t firstForward = fds.size();
        int timeout = FActivity ? 0 : -1;
        const TClock::time_point now = TClock::now();
        for (auto& forward : FForwards) {
            short events = 0;
            if (forward->Open && !forward->LocalEof && forward->ToRemote.size() < bufferCap)
                events |= POLLIN;
            if (!forward->ToLocal.isEmpty())
                events |= POLLOUT;
            // A socket without wanted events stays out, or its hang-up would
            // wake the poll again and again.
            fds.push_back({events != 0 ? forward->Fd : -1, events, 0});
            if (!forward->Open) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(forward->Deadline - now);
                const int ms = int(std::max<qint64>(0, left.count()) + 1);
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
        }

        int ready;
        do {
            ready = ::poll(fds.data(), fds.size(), timeout);
        } while (ready < 0 && errno == EINTR);
        if (FStop)
            return false;
        if (ready <= 0)
            return true;
        if (fds[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] const ssize_t read = ::read(FWakeFd, &count, sizeof count);
        }
        for (size_t i = 0; i < FForwards.size(); ++i)
            if (fds[firstForward + i].revents & (POLLIN | POLLHUP | POLLERR))
                ReadLocal(*FForwards[i]);
        if (fds[1].revents & POLLIN)
            Accept();
        return true;
    }

    void Accept()
    {
        for (;;) {
            const int fd = ::accept4(FListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            auto forward = std::make_unique<TForward>();
            forward->Fd = fd;
            forward->Channel = FSsh.ssh_channel_new(FSession);
            forward->Deadline = TClock::now() + FTimeout;
            if (!forward->Channel) {
                ::close(fd);
                continue;
            }
            ssh_callbacks_init(&forward->Callbacks);
            forward->Callbacks.userdata = this;
            forward->Callbacks.channel_data_function = &OnData;
            forward->Callbacks.channel_eof_function = &OnEvent;
            forward->Callbacks.channel_close_function = &OnEvent;
            forward->Callbacks.channel_write_wontblock_function = &OnWindow;
            FSsh.ssh_set_channel_callbacks(forward->Channel, &forward->Callbacks);
            Step(*forward);
            FForwards.push_back(std::move(forward));
        }
    }

    void ReadLocal(TForward& f)
    {
        if (!f.Open || f.LocalEof || f.Done)
            return;
        char buffer[chunkSize];
        while (f.ToRemote.size() < bufferCap) {
            const ssize_t n = ::recv(f.Fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                f.ToRemote.append(buffer, n);
            } else if (n == 0) {
                f.LocalEof = true;
                return;
            } else {
                if (!WouldBlock(errno))
                    f.Done = true;
                return;
            }
        }
    }

    void Step(TForward& f)
    {
        if (f.Done)
            return;
        if (!f.Open && !OpenChannel(f))
            return;

        // Local to remote, as far as the channel's window allows.
        if (!f.ToRemote.isEmpty()) {
            const uint32_t window = FSsh.ssh_channel_window_size(f.Channel);
            if (window > 0) {
                const int n = FSsh.ssh_channel_write(f.Channel, f.ToRemote.constData(),
                                                uint32_t(std::min<qsizetype>(f.ToRemote.size(), window)));
                if (n < 0) {
                    f.Done = true;
                    return;
                }
                f.ToRemote.remove(0, n);
            }
        }
        if (f.LocalEof && f.ToRemote.isEmpty() && !f.EofSent) {
            FSsh.ssh_channel_send_eof(f.Channel);
            f.EofSent = true;
        }

        // Remote to local, until the channel is empty or the local socket
        // takes no more (its POLLOUT then brings the loop back).
        char buffer[chunkSize];
        for (;;) {
            while (f.ToLocal.size() < bufferCap) {
                const int n = FSsh.ssh_channel_read_nonblocking(f.Channel, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                f.ToLocal.append(buffer, n);
            }
            if (f.ToLocal.isEmpty())
                break;
            const ssize_t n = ::send(f.Fd, f.ToLocal.constData(), size_t(f.ToLocal.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) {
                if (WouldBlock(errno))
                    break;
                f.Done = true;
                return;
            }
            f.ToLocal.remove(0, n);
            if (!f.ToLocal.isEmpty())
                break;
        }

        const bool remoteClosed = FSsh.ssh_channel_is_closed(f.Channel) != 0;
        const bool remoteEof = remoteClosed || FSsh.ssh_channel_is_eof(f.Channel) != 0;
        // An empty ToLocal means the channel had nothing more to read.
        const bool drained = f.ToLocal.isEmpty();
        if (remoteEof && drained && !f.LocalShut) {
            ::shutdown(f.Fd, SHUT_WR);
            f.LocalShut = true;
        }
        if (drained && (remoteClosed || (remoteEof && f.LocalEof && f.ToRemote.isEmpty())))
            f.Done = true;
    }

    // Drives the channel's opening on; true once it is open.
    bool OpenChannel(TForward& f)
    {
        const int rc = FSsh.ssh_channel_open_forward(f.Channel, FDestHost.constData(), FDestPort, "127.0.0.1", FSourcePort);
        if (rc == SSH_OK) {
            f.Open = true;
            return true;
        }
        // Refused by the server, or no answer in time: the local client sees
        // its connection closed.
        if (rc != SSH_AGAIN || TClock::now() >= f.Deadline)
            f.Done = true;
        return false;
    }

    void CloseFinished()
    {
        for (auto it = FForwards.begin(); it != FForwards.end();) {
            if ((*it)->Done) {
                Close(**it);
                it = FForwards.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Close(TForward& f)
    {
        if (f.Channel) {
            // A channel lingers in the session until the server confirms the
            // close; it must not call back into this freed entry.
            FSsh.ssh_remove_channel_callbacks(f.Channel, &f.Callbacks);
            if (f.Open && FSsh.ssh_channel_is_open(f.Channel))
                FSsh.ssh_channel_close(f.Channel);
            FSsh.ssh_channel_free(f.Channel);
            f.Channel = nullptr;
        }
        if (f.Fd >= 0) {
            ::close(f.Fd);
            f.Fd = -1;
        }
    }

    const TScSSHLibrary& FSsh;
    ssh_session FSession;
    int FListenFd;
    int FWakeFd = -1;
    QByteArray FDestHost;
    int FDestPort;
    int FSourcePort;
    std::chrono::seconds FTimeout;
    std::atomic<bool> FStop {false};
    std::atomic<bool> FLost {false};
    bool FActivity = false;   // pump thread only
    std::vector<std::unique_ptr<TForward>> FForwards;
    std::thread FThread;
};

TScSSHChannel::TScSSHChannel(TScSSHClient* client) : FClient(client) {}

TScSSHChannel::~TScSSHChannel()
{
    Disconnect();
}

void TScSSHChannel::SetClient(TScSSHClient* client)
{
    if (client != FClient)
        Disconnect();
    FClient = client;
}

void TScSSHChannel::SetSourcePort(int port)
{
    if (port != FSourcePort)
        Disconnect();
    FSourcePort = port;
}

void TScSSHChannel::SetDestHost(const QString& host)
{
    if (host != FDestHost)
        Disconnect();
    FDestHost = host;
}

void TScSSHChannel::SetDestPort(int port)
{
    if (port != FDestPort)
        Disconnect();
    FDestPort = port;
}

void TScSSHChannel::Connect()
{
    if (Connected())
        return;
    Disconnect();
    if (!FClient || !FClient->Connected())
        throw ESSHError(QStringLiteral("Cannot start the SSH forwarding: the SSH client is not connected."));
    if (FClient->ActiveChannel())
        throw ESSHError(QStringLiteral("Cannot start the SSH forwarding: the SSH session already forwards a port."));
    if (FSourcePort <= 0 || FSourcePort > 65535)
        throw ESSHError(QStringLiteral("Cannot start the SSH forwarding: %1 is not a port.").arg(FSourcePort));

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESSHError(QStringLiteral("Cannot start the SSH forwarding: %1").arg(ErrnoText(errno)));
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(FSourcePort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        const int error = errno;
        ::close(fd);
        const QString message = QStringLiteral("Cannot listen on 127.0.0.1:%1: %2").arg(FSourcePort).arg(ErrnoText(error));
        if (error == EADDRINUSE)
            throw ESSHPortInUse(message);
        throw ESSHError(message);
    }
    FPump = std::make_unique<TPump>(FClient->Session(), fd, FDestHost, FDestPort, FSourcePort, Timeout);
    FClient->SetActiveChannel(this);
}

void TScSSHChannel::Disconnect()
{
    FPump.reset();
    if (FClient && FClient->ActiveChannel() == this)
        FClient->SetActiveChannel(nullptr);
}

bool TScSSHChannel::Connected() const
{
    return FPump && !FPump->SessionLost();
}

bool TScSSHChannel::SessionLost() const
{
    return FPump && FPump->SessionLost();
}
