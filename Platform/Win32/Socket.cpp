#include "Platform/Win32/WinHeaders.h"

#include <mswsock.h>

#include "Platform/Socket.h"

namespace plat {

static_assert(sizeof(SocketHandle) >= sizeof(::SOCKET));
static_assert(static_cast<SocketHandle>(INVALID_SOCKET) == NO_SOCKET);

namespace {

sockaddr_in ToNative(const SocketAddress& address) {
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_addr.s_addr = ::htonl(address.ip);
    native.sin_port = ::htons(address.port);
    return native;
}

SocketAddress FromNative(const sockaddr_in& native) {
    return SocketAddress{::ntohl(native.sin_addr.s_addr), ::ntohs(native.sin_port)};
}

sockaddr* AsGeneric(sockaddr_in* native) { return reinterpret_cast<sockaddr*>(native); }
const sockaddr* AsGeneric(const sockaddr_in* native) { return reinterpret_cast<const sockaddr*>(native); }

::SOCKET Native(SocketHandle socket) { return static_cast<::SOCKET>(socket); }
SocketHandle Neutral(::SOCKET socket) { return static_cast<SocketHandle>(socket); }

int Clamp(std::size_t size) { return size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size); }

// Without this a port-unreachable reply to an earlier datagram fails the next receive.
void IgnorePortUnreachable(::SOCKET socket) {
    ::BOOL off = FALSE;
    ::DWORD returned = 0;
    ::WSAIoctl(socket, SIO_UDP_CONNRESET, &off, sizeof off, nullptr, 0, &returned, nullptr, nullptr);
}

SocketHandle OpenBound(int type, int protocol, std::uint32_t localIp, SocketAddress* bound) {
    if (!StartSockets()) {
        return NO_SOCKET;
    }
    const ::SOCKET socket = ::socket(AF_INET, type, protocol);
    if (socket == INVALID_SOCKET) {
        return NO_SOCKET;
    }
    sockaddr_in native = ToNative(SocketAddress{localIp, 0});
    int length = sizeof native;
    if (::bind(socket, AsGeneric(&native), sizeof native) != 0 ||
        ::getsockname(socket, AsGeneric(&native), &length) != 0) {
        ::closesocket(socket);
        return NO_SOCKET;
    }
    if (bound) {
        *bound = FromNative(native);
    }
    return Neutral(socket);
}

} // namespace

bool StartSockets() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SocketHandle OpenUdpSocket(std::uint32_t localIp, SocketAddress* bound) {
    const SocketHandle socket = OpenBound(SOCK_DGRAM, IPPROTO_UDP, localIp, bound);
    if (socket != NO_SOCKET) {
        IgnorePortUnreachable(Native(socket));
    }
    return socket;
}

int SendDatagram(SocketHandle socket, const void* data, std::size_t size, const SocketAddress& to) {
    const sockaddr_in native = ToNative(to);
    const int sent =
        ::sendto(Native(socket), static_cast<const char*>(data), Clamp(size), 0, AsGeneric(&native), sizeof native);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int ReceiveDatagram(SocketHandle socket, void* buffer, std::size_t size, SocketAddress* from) {
    sockaddr_in native{};
    int length = sizeof native;
    const int received =
        ::recvfrom(Native(socket), static_cast<char*>(buffer), Clamp(size), 0, AsGeneric(&native), &length);
    if (from) {
        *from = FromNative(native);
    }
    return received == SOCKET_ERROR ? -1 : received;
}

namespace {

// A failed connection shows in the exception set, not always in the write set.
int WaitFor(SocketHandle socket, bool writable, DWORD timeoutMs) {
    fd_set wanted;
    fd_set failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(Native(socket), &wanted);
    FD_SET(Native(socket), &failed);
    timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    const int ready = writable ? ::select(0, nullptr, &wanted, &failed, &limit)
                               : ::select(0, &wanted, nullptr, nullptr, &limit);
    if (ready == SOCKET_ERROR) {
        return -1;
    }
    return ready > 0 ? 1 : 0;
}

} // namespace

int WaitReadable(SocketHandle socket, DWORD timeoutMs) { return WaitFor(socket, false, timeoutMs); }

int WaitWritable(SocketHandle socket, DWORD timeoutMs) { return WaitFor(socket, true, timeoutMs); }

SocketHandle ListenTcp(std::uint32_t localIp, SocketAddress* bound) {
    const SocketHandle listener = OpenBound(SOCK_STREAM, IPPROTO_TCP, localIp, bound);
    if (listener != NO_SOCKET && ::listen(Native(listener), SOMAXCONN) != 0) {
        ::closesocket(Native(listener));
        return NO_SOCKET;
    }
    return listener;
}

SocketHandle AcceptTcp(SocketHandle listener, SocketAddress* peer) {
    sockaddr_in native{};
    int length = sizeof native;
    const ::SOCKET socket = ::accept(Native(listener), AsGeneric(&native), &length);
    if (socket == INVALID_SOCKET) {
        return NO_SOCKET;
    }
    if (peer) {
        *peer = FromNative(native);
    }
    return Neutral(socket);
}

SocketHandle ConnectTcp(const SocketAddress& to) {
    if (!StartSockets()) {
        return NO_SOCKET;
    }
    const ::SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) {
        return NO_SOCKET;
    }
    const sockaddr_in native = ToNative(to);
    if (::connect(socket, AsGeneric(&native), sizeof native) != 0) {
        ::closesocket(socket);
        return NO_SOCKET;
    }
    return Neutral(socket);
}

int SendStream(SocketHandle socket, const void* data, std::size_t size) {
    const int sent = ::send(Native(socket), static_cast<const char*>(data), Clamp(size), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int ReceiveStream(SocketHandle socket, void* buffer, std::size_t size) {
    const int received = ::recv(Native(socket), static_cast<char*>(buffer), Clamp(size), 0);
    return received == SOCKET_ERROR ? -1 : received;
}

bool ShutdownSend(SocketHandle socket) { return ::shutdown(Native(socket), SD_SEND) == 0; }

void CloseSocket(SocketHandle socket) {
    if (socket != NO_SOCKET) {
        ::closesocket(Native(socket));
    }
}

} // namespace plat
