#include "Http/DnsThread.h"
#include "Platform/Thread.h"
#include "Platform/Window.h"
#include "Runtime/MainThreadDispatch.h"
#include "tests/support/DnsTestServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Nothing in this suite may reach a resolver outside the machine, whatever a test forgets.
class LoopbackResolversOnly : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SetDnsResolvers({"127.0.0.1:9"})); }
};
const auto* const kLoopbackOnly = ::testing::AddGlobalTestEnvironment(new LoopbackResolversOnly);

struct Delivery {
    int calls = 0;
    int code = 99;
    std::string domain;
    std::string ipList;
    std::uint32_t generation = 0;
    Clock::time_point at;
};

void OnResult(int code, void* userData, const std::string& domain, const std::string& ipList,
              std::uint32_t generation) {
    auto* delivery = static_cast<Delivery*>(userData);
    ++delivery->calls;
    delivery->code = code;
    delivery->domain = domain;
    delivery->ipList = ipList;
    delivery->generation = generation;
    delivery->at = Clock::now();
}

// Runs the main thread's message loop for a while, or until the delivery has arrived.
void Pump(const Delivery& delivery, milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (delivery.calls == 0 && Clock::now() < deadline) {
        plat::MSG message;
        while (plat::PeekMessage(&message, nullptr, 0, 0, plat::PM_REMOVE)) {
            plat::DispatchMessage(&message);
        }
        plat::Sleep(2);
    }
}

class DnsLookup : public ::testing::Test {
protected:
    void SetUp() override { InitMainThreadDispatcher(); }
    void TearDown() override {
        dns.Stop(500);
        ShutdownMainThreadDispatcher();
        SetDnsResolvers({"127.0.0.1:9"});
    }

    DnsTestServer& AddServer(std::uint32_t ip = plat::LOOPBACK_IPV4) {
        servers.push_back(std::make_unique<DnsTestServer>(ip));
        EXPECT_TRUE(servers.back()->Ok());
        return *servers.back();
    }

    void UseServers() {
        std::vector<std::string> endpoints;
        for (const auto& server : servers) {
            endpoints.push_back(server->Endpoint());
        }
        ASSERT_TRUE(SetDnsResolvers(endpoints));
    }

    // Starts a lookup of domain and returns its result (calls stays 0 when none came in time).
    Delivery Resolve(const std::string& domain, milliseconds limit = milliseconds(8000)) {
        Delivery delivery;
        dns.SetCallback(&OnResult);
        dns.SetUserData(&delivery);
        dns.SetDomain(domain);
        started = Clock::now();
        EXPECT_TRUE(dns.Start());
        Pump(delivery, limit);
        EXPECT_TRUE(dns.Stop(100));
        return delivery;
    }

    long long Elapsed(const Delivery& delivery) const {
        return std::chrono::duration_cast<milliseconds>(delivery.at - started).count();
    }

    std::vector<std::unique_ptr<DnsTestServer>> servers;
    CDNSThread dns;
    Clock::time_point started;
};

DnsReplyScript Answer(std::vector<std::string> addresses) {
    DnsReplyScript script;
    script.addresses = std::move(addresses);
    return script;
}

TEST_F(DnsLookup, FirstResolverAnswersAndTheOthersAreNotAsked) {
    AddServer().Script("dl.example.com", Answer({"1.2.3.4", "5.6.7.8"}));
    DnsTestServer& second = AddServer();
    UseServers();

    const Delivery result = Resolve("dl.example.com");

    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.ipList, "1.2.3.4;5.6.7.8");
    EXPECT_EQ(result.domain, "dl.example.com");
    EXPECT_EQ(result.generation, dns.Generation());
    EXPECT_EQ(servers[0]->Queries().size(), 1u);
    EXPECT_TRUE(second.Queries().empty());
    EXPECT_FALSE(dns.IsRunning());
}

TEST_F(DnsLookup, SilentResolverIsGivenUpAfterItsTimeOut) {
    AddServer(); // never answers
    AddServer().Script("dl.example.com", Answer({"9.9.9.9"}));
    UseServers();

    const Delivery result = Resolve("dl.example.com");

    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.ipList, "9.9.9.9");
    const auto first = servers[0]->Queries();
    const auto second = servers[1]->Queries();
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    const auto gap = std::chrono::duration_cast<milliseconds>(second[0].at - first[0].at).count();
    // The server stamps each query when it has read it, a few milliseconds after it was sent.
    EXPECT_GE(gap, 1500 - 10);
    EXPECT_LT(gap, 2000);
}

// Each case scripts the first resolver; the second always answers 9.9.9.9. Ignored datagrams
// keep the wait going until the time-out, unusable answers end it at once.
TEST_F(DnsLookup, UnusableAnswersPassToTheNextResolver) {
    struct Case {
        const char* what;
        DnsReplyScript script;
        bool waitsForTimeOut;
    };
    DnsReplyScript truncated = Answer({"1.1.1.1"});
    truncated.truncated = true;
    DnsReplyScript wrongId = Answer({"1.1.1.1"});
    wrongId.wrongId = true;
    DnsReplyScript failure = Answer({"1.1.1.1"});
    failure.rcode = 2;
    DnsReplyScript otherPort = Answer({"1.1.1.1"});
    otherPort.fromOtherPort = true;
    DnsReplyScript late = Answer({"1.1.1.1"});
    late.delayMs = 1800;
    DnsReplyScript looping = Answer({"1.1.1.1"});
    looping.raw = {0, 0, 0x81, 0x80, 0, 0, 0, 1, 0, 0, 0, 0, 0xC0, 12, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 1, 1, 1, 1};
    const Case cases[] = {
        {"truncation bit", truncated, true},  {"wrong id", wrongId, true},
        {"error rcode", failure, true},       {"no answer record", DnsReplyScript{}, true},
        {"from another port", otherPort, true}, {"too late", late, true},
        {"looping name", looping, false},
    };
    for (const Case& c : cases) {
        servers.clear();
        AddServer().ScriptDefault(c.script);
        AddServer().ScriptDefault(Answer({"9.9.9.9"}));
        UseServers();

        const Delivery result = Resolve("dl.example.com");

        EXPECT_EQ(result.code, 0) << c.what;
        EXPECT_EQ(result.ipList, "9.9.9.9") << c.what;
        if (c.waitsForTimeOut) {
            EXPECT_GE(Elapsed(result), 1500) << c.what;
        } else {
            EXPECT_LT(Elapsed(result), 1000) << c.what;
        }
    }
}

TEST_F(DnsLookup, FinalResultCodes) {
    DnsReplyScript cnameOnly;
    cnameOnly.cname = "edge.example.net";
    DnsReplyScript cnameThenA = Answer({"10.1.2.3"});
    cnameThenA.cname = "edge.example.net";
    struct Case {
        const char* what;
        DnsReplyScript script;
        int code;
        const char* ipList;
    };
    const Case cases[] = {
        {"CNAME then A", cnameThenA, 0, "10.1.2.3"},
        {"answered without an address", cnameOnly, 0, ""},
        {"no resolver answered", DnsReplyScript{}, -1, ""},
    };
    for (const Case& c : cases) {
        servers.clear();
        AddServer().ScriptDefault(c.script);
        UseServers();

        const Delivery result = Resolve("dl.example.com");

        EXPECT_EQ(result.calls, 1) << c.what;
        EXPECT_EQ(result.code, c.code) << c.what;
        EXPECT_EQ(result.ipList, c.ipList) << c.what;
    }
}

TEST_F(DnsLookup, NameThatDoesNotFitFailsWithoutSending) {
    DnsTestServer& server = AddServer();
    server.ScriptDefault(Answer({"1.2.3.4"}));
    UseServers();

    const Delivery result = Resolve(std::string(64, 'a') + ".example.com");

    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.ipList, "");
    EXPECT_TRUE(server.Queries().empty());
}

TEST_F(DnsLookup, EveryQueryHasItsOwnIdAndEveryLookupItsOwnGeneration) {
    DnsTestServer& server = AddServer();
    server.ScriptDefault(Answer({"1.2.3.4"}));
    UseServers();

    std::set<std::uint16_t> ids;
    std::set<std::uint32_t> generations;
    for (int i = 0; i < 8; ++i) {
        const Delivery result = Resolve("dl.example.com");
        EXPECT_EQ(result.generation, dns.Generation());
        generations.insert(result.generation);
    }
    for (const DnsReceivedQuery& query : server.Queries()) {
        ids.insert(query.id);
    }
    EXPECT_EQ(generations.size(), 8u);
    EXPECT_GT(ids.size(), 1u);
}

TEST_F(DnsLookup, StopDuringTheWaitEndsTheLookupWithoutAResult) {
    AddServer();
    UseServers();
    Delivery delivery;
    dns.SetCallback(&OnResult);
    dns.SetUserData(&delivery);
    dns.SetDomain("dl.example.com");
    ASSERT_TRUE(dns.Start());
    plat::Sleep(200);

    const auto before = Clock::now();
    EXPECT_TRUE(dns.Stop(100));
    EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - before).count(), 100);

    Pump(delivery, milliseconds(300));
    EXPECT_EQ(delivery.calls, 0);
    EXPECT_FALSE(dns.IsRunning());
}

TEST_F(DnsLookup, DestroyingTheThreadEndsARunningLookup) {
    AddServer();
    UseServers();
    Delivery delivery;
    {
        CDNSThread local;
        local.SetCallback(&OnResult);
        local.SetUserData(&delivery);
        local.SetDomain("dl.example.com");
        ASSERT_TRUE(local.Start());
        plat::Sleep(50);
    }
    Pump(delivery, milliseconds(300));
    EXPECT_EQ(delivery.calls, 0);
}

} // namespace
