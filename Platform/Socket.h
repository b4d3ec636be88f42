// IPv4 sockets: the UDP socket of the fallback resolver, and small TCP endpoints for test servers.
// Addresses are 32-bit values in host byte order (127.0.0.1 is 0x7F000001) with a port.
#pragma once

#include "Platform/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

struct SocketAddress {
    std::uint32_t ip = 0;
    std::uint16_t port = 0;

    bool operator==(const SocketAddress&) const = default;
};

constexpr std::uint32_t MakeIpv4(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (std::uint32_t(a & 0xFF) << 24) | (std::uint32_t(b & 0xFF) << 16) | (std::uint32_t(c & 0xFF) << 8) |
           std::uint32_t(d & 0xFF);
}
constexpr std::uint32_t LOOPBACK_IPV4 = MakeIpv4(127, 0, 0, 1);
constexpr bool IsLoopbackIpv4(std::uint32_t ip) { return (ip >> 24) == 127; }

// "a.b.c.d" or "a.b.c.d:port": four decimal parts 0..255 and a port 1..65535, nothing else.
// Without a port the address gets defaultPort.
bool ParseSocketAddress(const std::string& text, std::uint16_t defaultPort, SocketAddress* address);
// "a.b.c.d" and "a.b.c.d:port".
std::string FormatIpv4(std::uint32_t ip);
std::string FormatSocketAddress(const SocketAddress& address);

// A socket of the system; NO_SOCKET when there is none.
using SocketHandle = std::intptr_t;
constexpr SocketHandle NO_SOCKET = -1;

// Starts the socket library once per process (version 2.2 on Windows). True when sockets work.
bool StartSockets();

// A UDP socket bound to localIp (0: any) and an ephemeral port; the bound address is reported.
SocketHandle OpenUdpSocket(std::uint32_t localIp, SocketAddress* bound);
// Sends one datagram. The bytes sent, or -1.
int SendDatagram(SocketHandle socket, const void* data, std::size_t size, const SocketAddress& to);
// Receives one datagram and its sender. The byte count, or -1 on error; a datagram longer than
// the buffer is consumed and reported as an error on every system.
int ReceiveDatagram(SocketHandle socket, void* buffer, std::size_t size, SocketAddress* from);

// Waits until the socket has something to read: 1 readable, 0 time-out, -1 error.
int WaitReadable(SocketHandle socket, DWORD timeoutMs);
// Waits until a send would not block or would fail at once (the connection has ended): 1 ready,
// 0 time-out, -1 error. A sender that must stay stoppable sends small pieces after it.
int WaitWritable(SocketHandle socket, DWORD timeoutMs);

// A TCP listener on localIp and an ephemeral port (the real one reported in bound).
SocketHandle ListenTcp(std::uint32_t localIp, SocketAddress* bound);
// The next connection of a listener (blocking), and the peer's address.
SocketHandle AcceptTcp(SocketHandle listener, SocketAddress* peer);
// A blocking connect; NO_SOCKET when refused.
SocketHandle ConnectTcp(const SocketAddress& to);
// Stream transfer: bytes moved, 0 for an orderly end (receive only), -1 on error. Sending to a
// closed peer fails with -1 and never raises a signal.
int SendStream(SocketHandle socket, const void* data, std::size_t size);
int ReceiveStream(SocketHandle socket, void* buffer, std::size_t size);
// Ends the sending direction (the peer reads the end of the stream).
bool ShutdownSend(SocketHandle socket);

void CloseSocket(SocketHandle socket);

} // namespace plat
