#pragma once

// TCP keepalive for a long-lived connection socket (the database session,
// the SSH transport): a peer that vanished without a word (a dead link, a
// host gone) is noticed within about two minutes, while a long statement on
// a live server is never cut. Not a TCP socket: nothing happens.
void SetTcpKeepAlive(int socket);

// Keepalive figures: idle seconds before the first probe, seconds between
// probes, unanswered probes before the connection is given up.
constexpr int KeepAliveIdle = 60;
constexpr int KeepAliveInterval = 10;
constexpr int KeepAliveProbes = 6;
// Seconds a connection attempt may take.
constexpr int ConnectTimeoutSeconds = 15;
