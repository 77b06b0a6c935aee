#include "UNetUtil.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

void SetTcpKeepAlive(int socket)
{
    if (socket < 0)
        return;
    int domain = 0;
    socklen_t size = sizeof domain;
    if (getsockopt(socket, SOL_SOCKET, SO_DOMAIN, &domain, &size) != 0 || (domain != AF_INET && domain != AF_INET6))
        return;
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPIDLE, &KeepAliveIdle, sizeof KeepAliveIdle);
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPINTVL, &KeepAliveInterval, sizeof KeepAliveInterval);
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPCNT, &KeepAliveProbes, sizeof KeepAliveProbes);
    // Data sent into a dead link is given up after the same bound, instead of
    // being retransmitted for a quarter of an hour.
    const unsigned int userTimeoutMs = unsigned(KeepAliveIdle + KeepAliveInterval * KeepAliveProbes) * 1000U;
    setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}
