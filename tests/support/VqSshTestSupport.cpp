#include "VqSshTestSupport.h"

#include <QFile>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sshtest {

namespace {

int ListenOn(int port, int* boundPort)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *boundPort = ntohs(address.sin_port);
    return fd;
}

}  // namespace

int FreePort()
{
    TPortHolder holder;
    return holder.Port();
}

TPortHolder::TPortHolder(int port)
{
    FFd = ListenOn(port, &FPort);
}

TPortHolder::~TPortHolder()
{
    if (FFd >= 0)
        ::close(FFd);
}

TEchoServer::TEchoServer()
{
    FFd = ListenOn(0, &FPort);
    FThread = std::thread([this] { Serve(); });
}

TEchoServer::~TEchoServer()
{
    FStop = true;
    ::shutdown(FFd, SHUT_RDWR);
    FThread.join();
    ::close(FFd);
    for (std::thread& worker : FWorkers)
        worker.join();
}

void TEchoServer::Serve()
{
    while (!FStop) {
        pollfd p {FFd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        const int client = ::accept4(FFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++FAccepted;
        FWorkers.emplace_back([client] {
            char buffer[16384];
            for (;;) {
                const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                if (!WriteAll(client, QByteArray(buffer, n)))
                    break;
            }
            ::shutdown(client, SHUT_WR);
            ::close(client);
        });
    }
}

int ConnectLocal(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CloseFd(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

bool WriteAll(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray ReadToEnd(int fd)
{
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return data;
        data.append(buffer, n);
    }
}

QByteArray RoundTrip(int port, const QByteArray& data)
{
    const int fd = ConnectLocal(port);
    if (fd < 0)
        return QByteArray("(refused)");
    std::thread writer([&] {
        WriteAll(fd, data);
        ::shutdown(fd, SHUT_WR);
    });
    const QByteArray back = ReadToEnd(fd);
    writer.join();
    ::close(fd);
    return back;
}

QString LoopbackAddress(int port)
{
    return QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
}

QStringList ListeningAddresses(int port)
{
    QStringList found;
    const QString portHex = QStringLiteral("%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine();   // the heading
        while (!file.atEnd()) {
            const QStringList fields = QString::fromLatin1(file.readLine()).simplified().split(QLatin1Char(' '));
            if (fields.size() < 4 || fields[3] != QLatin1String("0A"))   // LISTEN
                continue;
            if (fields[1].endsWith(QLatin1Char(':') + portHex))
                found << fields[1];
        }
    }
    return found;
}

}  // namespace sshtest
