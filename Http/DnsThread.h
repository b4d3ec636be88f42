// The fallback resolver: looks a host's IPv4 addresses up through a fixed list of public
// resolvers over UDP, bypassing the system's resolver, and hands the result to the main thread.
#pragma once

#include "Platform/Socket.h"
#include "Runtime/SimpleThread.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dns {

constexpr std::size_t kHeaderSize = 12;
// An encoded name with its terminating zero.
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kMaxLabelBytes = 63;
constexpr std::size_t kMaxQueryBytes = kHeaderSize + kMaxNameBytes + 4;
constexpr std::size_t kMaxAnswerBytes = 1024;
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kTypeCname = 5;
constexpr std::uint16_t kClassIn = 1;

// The query datagram for the A records of domain; empty when the name cannot be encoded (no
// label, a label over 63 bytes, or more than 255 bytes with the terminating zero).
std::vector<std::uint8_t> BuildQuery(std::uint16_t id, const std::string& domain);

enum class AnswerStatus {
    Ignored,  // not a usable response to this query: the wait goes on
    Unusable, // the response to this query, but malformed: the query fails
    Answered, // addresses holds the A records in answer order (possibly none)
};
AnswerStatus ReadAnswer(const std::uint8_t* data, std::size_t size, std::uint16_t id,
                        std::vector<std::uint32_t>* addresses);

// Dotted quads joined with ";".
std::string JoinAddresses(const std::vector<std::uint32_t>& addresses);

} // namespace dns

// The result callback, on the main thread: code 0 and the addresses when a resolver answered,
// -1 and an empty list when none did; generation is the lookup's (CDNSThread::Generation()).
using DnsResultCallback = void (*)(int code, void* userData, const std::string& domain, const std::string& ipList,
                                   std::uint32_t generation);

// One lookup per Start(), on a thread of its own that ends with the lookup. The owner sets the
// callback, its user data and the domain while no lookup runs (after Stop), then calls Start().
class CDNSThread : public CSimpleThread {
public:
    CDNSThread() = default;
    // Ends a lookup that still runs: the thread reads this object.
    ~CDNSThread() override;

    bool Start() override;

    void SetCallback(DnsResultCallback resultCallback) { callback = resultCallback; }
    void SetUserData(void* owner) { userData = owner; }
    void SetDomain(const std::string& name) { domain = name; }
    const std::string& Domain() const { return domain; }
    // The generation of the lookup started last (0 before the first): unique in the process.
    std::uint32_t Generation() const { return generation; }

protected:
    void Run() override;

private:
    bool Query(plat::SocketHandle socket, const plat::SocketAddress& resolver, std::vector<std::uint32_t>* addresses);
    bool Lookup(std::vector<std::uint32_t>* addresses);

    DnsResultCallback callback = nullptr;
    std::string domain;
    void* userData = nullptr;
    std::uint32_t generation = 0;
};

// Replaces the resolvers every later lookup asks, in order ("a.b.c.d" or "a.b.c.d:port", port 53
// by default). False, and the table unchanged, when an entry does not parse.
bool SetDnsResolvers(const std::vector<std::string>& resolvers);
// The resolvers lookups ask now: the build's list until SetDnsResolvers replaces it.
std::vector<plat::SocketAddress> GetDnsResolvers();
