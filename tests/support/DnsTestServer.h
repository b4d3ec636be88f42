// A scriptable DNS resolver on a loopback address: answers A queries as each name's script says,
// from its own thread, and records every query it got. It stops when destroyed.
#pragma once

#include "Platform/Socket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct DnsReplyScript {
    std::vector<std::string> addresses; // A records, in this order
    std::string cname;                  // when set: a CNAME to it first, the A records then belong to it
    bool reply = true;                  // false: stay silent
    int delayMs = 0;
    bool truncated = false;
    bool wrongId = false;
    std::uint8_t rcode = 0;
    bool fromOtherPort = false;         // sent from a second socket of the same address
    // When not empty, sent instead of a built answer, its first two bytes replaced by the id.
    std::vector<std::uint8_t> raw;
};

struct DnsReceivedQuery {
    std::string name; // decoded question name ("" when it could not be decoded)
    std::uint16_t id = 0;
    std::vector<std::uint8_t> bytes;
    plat::SocketAddress from;
    std::chrono::steady_clock::time_point at;
};

class DnsTestServer {
public:
    // Binds ip:0 (a loopback address); Ok() tells whether that worked.
    explicit DnsTestServer(std::uint32_t ip = plat::LOOPBACK_IPV4);
    ~DnsTestServer();
    DnsTestServer(const DnsTestServer&) = delete;
    DnsTestServer& operator=(const DnsTestServer&) = delete;

    bool Ok() const { return socket != plat::NO_SOCKET; }
    plat::SocketAddress Address() const { return address; }
    // "a.b.c.d:port", as a resolver entry.
    std::string Endpoint() const { return plat::FormatSocketAddress(address); }

    // The script for a name (matched without regard to case); others get the default one,
    // which stays silent unless replaced.
    void Script(const std::string& name, const DnsReplyScript& script);
    void ScriptDefault(const DnsReplyScript& script);

    std::vector<DnsReceivedQuery> Queries() const;

    // The answer a script gives to a query (the built datagram, before any delay).
    static std::vector<std::uint8_t> BuildReply(const std::vector<std::uint8_t>& query, const DnsReplyScript& script);

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        std::vector<std::uint8_t> bytes;
        plat::SocketAddress to;
        bool fromOtherPort;
    };

    void Serve();
    void Receive();
    void SendDue();

    plat::SocketHandle socket = plat::NO_SOCKET;
    plat::SocketHandle otherSocket = plat::NO_SOCKET;
    plat::SocketAddress address;
    mutable std::mutex lock;
    std::map<std::string, DnsReplyScript> scripts;
    DnsReplyScript fallback;
    std::vector<DnsReceivedQuery> queries;
    std::vector<Pending> pending; // server thread only
    std::atomic<bool> stopping{false};
    std::thread thread;
};
