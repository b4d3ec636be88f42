#include "Platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plat {

namespace {

sockaddr_in ToNative(const SocketAddress& address) {
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_addr.s_addr = htonl(address.ip);
    native.sin_port = htons(address.port);
    return native;
}

SocketAddress FromNative(const sockaddr_in& native) {
    return SocketAddress{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)};
}

sockaddr* AsGeneric(sockaddr_in* native) { return reinterpret_cast<sockaddr*>(native); }
const sockaddr* AsGeneric(const sockaddr_in* native) { return reinterpret_cast<const sockaddr*>(native); }

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

// Binds a fresh socket of the type to localIp:0 and reports the port the system chose.
SocketHandle OpenBound(int type, std::uint32_t localIp, SocketAddress* bound) {
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return NO_SOCKET;
    }
    sockaddr_in native = ToNative(SocketAddress{localIp, 0});
    socklen_t length = sizeof native;
    if (::bind(fd, AsGeneric(&native), sizeof native) != 0 || ::getsockname(fd, AsGeneric(&native), &length) != 0) {
        ::close(fd);
        return NO_SOCKET;
    }
    if (bound) {
        *bound = FromNative(native);
    }
    return fd;
}

} // namespace

bool StartSockets() { return true; }

SocketHandle OpenUdpSocket(std::uint32_t localIp, SocketAddress* bound) { return OpenBound(SOCK_DGRAM, localIp, bound); }

int SendDatagram(SocketHandle socket, const void* data, std::size_t size, const SocketAddress& to) {
    const sockaddr_in native = ToNative(to);
    const ssize_t sent = ::sendto(Fd(socket), data, size, MSG_NOSIGNAL, AsGeneric(&native), sizeof native);
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int ReceiveDatagram(SocketHandle socket, void* buffer, std::size_t size, SocketAddress* from) {
    sockaddr_in native{};
    socklen_t length = sizeof native;
    ssize_t received;
    do {
        // MSG_TRUNC reports the datagram's real length, so an oversized one fails as on Windows.
        received = ::recvfrom(Fd(socket), buffer, size, MSG_TRUNC, AsGeneric(&native), &length);
    } while (received < 0 && errno == EINTR);
    if (from) {
        *from = FromNative(native);
    }
    if (received < 0 || static_cast<std::size_t>(received) > size) {
        return -1;
    }
    return static_cast<int>(received);
}

namespace {

int WaitFor(SocketHandle socket, short events, DWORD timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{Fd(socket), events, 0};
        const int ready = ::poll(&entry, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready >= 0) {
            return ready > 0 ? 1 : 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

} // namespace

int WaitReadable(SocketHandle socket, DWORD timeoutMs) { return WaitFor(socket, POLLIN, timeoutMs); }

int WaitWritable(SocketHandle socket, DWORD timeoutMs) { return WaitFor(socket, POLLOUT, timeoutMs); }

SocketHandle ListenTcp(std::uint32_t localIp, SocketAddress* bound) {
    const SocketHandle listener = OpenBound(SOCK_STREAM, localIp, bound);
    if (listener != NO_SOCKET && ::listen(Fd(listener), SOMAXCONN) != 0) {
        ::close(Fd(listener));
        return NO_SOCKET;
    }
    return listener;
}

SocketHandle AcceptTcp(SocketHandle listener, SocketAddress* peer) {
    sockaddr_in native{};
    socklen_t length = sizeof native;
    int fd;
    do {
        fd = ::accept4(Fd(listener), AsGeneric(&native), &length, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return NO_SOCKET;
    }
    if (peer) {
        *peer = FromNative(native);
    }
    return fd;
}

SocketHandle ConnectTcp(const SocketAddress& to) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return NO_SOCKET;
    }
    const sockaddr_in native = ToNative(to);
    if (::connect(fd, AsGeneric(&native), sizeof native) != 0) {
        ::close(fd);
        return NO_SOCKET;
    }
    return fd;
}

int SendStream(SocketHandle socket, const void* data, std::size_t size) {
    ssize_t sent;
    do {
        sent = ::send(Fd(socket), data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent < 0 ? -1 : static_cast<int>(sent);
}

int ReceiveStream(SocketHandle socket, void* buffer, std::size_t size) {
    ssize_t received;
    do {
        received = ::recv(Fd(socket), buffer, size, 0);
    } while (received < 0 && errno == EINTR);
    return received < 0 ? -1 : static_cast<int>(received);
}

bool ShutdownSend(SocketHandle socket) { return ::shutdown(Fd(socket), SHUT_WR) == 0; }

void CloseSocket(SocketHandle socket) {
    if (socket != NO_SOCKET) {
        ::close(Fd(socket));
    }
}

} // namespace plat
