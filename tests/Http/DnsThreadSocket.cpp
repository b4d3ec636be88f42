// The socket layer under the resolver and the loopback test servers.
#include "Platform/Socket.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

TEST(LoopbackSocket, DatagramsCarryTheirSenderAndOversizedOnesFail) {
    ASSERT_TRUE(plat::StartSockets());
    plat::SocketAddress a;
    plat::SocketAddress b;
    const plat::SocketHandle first = plat::OpenUdpSocket(plat::LOOPBACK_IPV4, &a);
    const plat::SocketHandle second = plat::OpenUdpSocket(plat::LOOPBACK_IPV4, &b);
    ASSERT_NE(first, plat::NO_SOCKET);
    ASSERT_NE(second, plat::NO_SOCKET);
    EXPECT_EQ(a.ip, plat::LOOPBACK_IPV4);
    EXPECT_NE(a.port, 0);

    EXPECT_EQ(plat::WaitReadable(second, 20), 0);
    EXPECT_EQ(plat::SendDatagram(first, "hello", 5, b), 5);
    EXPECT_EQ(plat::WaitReadable(second, 2000), 1);
    char buffer[8] = {};
    plat::SocketAddress from;
    EXPECT_EQ(plat::ReceiveDatagram(second, buffer, sizeof buffer, &from), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(from, a);

    EXPECT_EQ(plat::SendDatagram(first, "0123456789", 10, b), 10);
    EXPECT_EQ(plat::WaitReadable(second, 2000), 1);
    EXPECT_EQ(plat::ReceiveDatagram(second, buffer, sizeof buffer, &from), -1);
    EXPECT_EQ(plat::WaitReadable(second, 20), 0);

    plat::CloseSocket(first);
    plat::CloseSocket(second);
}

TEST(LoopbackSocket, StreamsConnectTransferAndEnd) {
    ASSERT_TRUE(plat::StartSockets());
    plat::SocketAddress bound;
    const plat::SocketHandle listener = plat::ListenTcp(plat::LOOPBACK_IPV4, &bound);
    ASSERT_NE(listener, plat::NO_SOCKET);
    ASSERT_NE(bound.port, 0);

    std::string served;
    std::thread server([&] {
        plat::SocketAddress peer;
        const plat::SocketHandle connection = plat::AcceptTcp(listener, &peer);
        char buffer[64];
        int received;
        while ((received = plat::ReceiveStream(connection, buffer, sizeof buffer)) > 0) {
            served.append(buffer, static_cast<std::size_t>(received));
        }
        plat::SendStream(connection, "bye", 3);
        plat::CloseSocket(connection);
    });

    const plat::SocketHandle client = plat::ConnectTcp(bound);
    ASSERT_NE(client, plat::NO_SOCKET);
    EXPECT_EQ(plat::SendStream(client, "GET /", 5), 5);
    EXPECT_TRUE(plat::ShutdownSend(client));
    std::string reply;
    char buffer[64];
    int received;
    while ((received = plat::ReceiveStream(client, buffer, sizeof buffer)) > 0) {
        reply.append(buffer, static_cast<std::size_t>(received));
    }
    server.join();
    EXPECT_EQ(received, 0);
    EXPECT_EQ(served, "GET /");
    EXPECT_EQ(reply, "bye");
    plat::CloseSocket(client);
    plat::CloseSocket(listener);

    EXPECT_EQ(plat::ConnectTcp(bound), plat::NO_SOCKET);
}

} // namespace
