// Faults a download on a bad network must survive, each ending with the file byte for byte.
#include "tests/Http/DownloadFixture.h"
#include "tests/support/DnsTestServer.h"

#include <gtest/gtest.h>

namespace {

using enginetest::DownloadResult;
using namespace std::chrono_literals;

constexpr std::uint64_t kSize = 200000;

class DownloadFaults : public enginetest::DownloadTest {
protected:
    void Serve(const HttpRoute& route) { server.Route("/f", route); }

    void ExpectWholeFile(const DownloadResult& result) {
        EXPECT_EQ(result.type, 0);
        EXPECT_EQ(result.code, 0);
        EXPECT_EQ(FileSize(path), static_cast<std::int64_t>(kSize));
        EXPECT_TRUE(File() == Pattern(0, kSize));
    }
};

HttpRoute FaultyOnce(HttpRoute route) {
    route.faultyRequests = 1;
    return route;
}

TEST_F(DownloadFaults, ConnectionDroppedMidBodyIsResumed) {
    HttpRoute route = HttpRoute::Pattern(kSize);
    route.cutAfter = 70000;
    Serve(FaultyOnce(route));
    ExpectWholeFile(Run(server.Url("/f"), kSize));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].Header("Range"), "bytes=70000-");
}

TEST_F(DownloadFaults, ServerIgnoringTheRangeSendsTheWholeFileAgain) {
    HttpRoute route = HttpRoute::Pattern(kSize);
    route.cutAfter = 70000;
    route.honourRange = false;
    Serve(FaultyOnce(route));
    ExpectWholeFile(Run(server.Url("/f"), kSize));
    EXPECT_EQ(server.Requests().size(), 2u);
}

// The stall comes before any byte of the answer: libcurl averages the speed over seconds, so a
// stall after a burst would take that much longer to be noticed.
TEST_F(DownloadFaults, StalledTransferIsAbortedAndResumed) {
    HttpRoute route = HttpRoute::Pattern(kSize);
    route.stallAfter = 0;
    Serve(FaultyOnce(route));
    WriteLocal(Pattern(0, 50000));
    task->lowSpeedTime = 1;
    ExpectWholeFile(Run(server.Url("/f"), kSize));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[0].Header("Range"), "bytes=50000-");
    EXPECT_EQ(server.Requests()[1].Header("Range"), "bytes=50000-");
}

TEST_F(DownloadFaults, RedirectLoopGivesWayToTheBackup) {
    server.Route("/loop", HttpRoute::Redirect(302, "/loop"));
    Serve(HttpRoute::Pattern(kSize));
    ExpectWholeFile(Run(server.Url("/loop"), kSize, server.Url("/f")));
    // Three attempts, each the request and five redirects followed.
    EXPECT_EQ(server.Hits("/loop"), 18u);
}

TEST_F(DownloadFaults, DeadPrimaryWithAWorkingBackup) {
    Serve(HttpRoute::Pattern(kSize));
    ExpectWholeFile(Run("http://127.0.0.1:1/f", kSize, "http://127.0.0.1:2/f;" + server.Url("/f")));
}

TEST_F(DownloadFaults, AllUrlsDeadButTheResolvedAddressServes) {
    HttpTestServer second(plat::MakeIpv4(127, 0, 0, 2));
    ASSERT_TRUE(second.Ok());
    HttpRoute route = HttpRoute::Pattern(kSize);
    route.cutAfter = 30000;
    second.Route("/f", FaultyOnce(route));
    DnsTestServer resolver;
    DnsReplyScript answer;
    answer.addresses = {"127.0.0.2"};
    resolver.Script("127.0.0.1", answer);
    ASSERT_TRUE(SetDnsResolvers({resolver.Endpoint()}));
    WriteLocal(Pattern(0, 1000));

    const std::string port = std::to_string(second.Port());
    ExpectWholeFile(Run("http://127.0.0.1:" + port + "/f", kSize, "http://127.0.0.1:1/f"));
    ASSERT_EQ(second.Requests().size(), 2u);
    EXPECT_EQ(second.Requests()[0].Header("Range"), "bytes=1000-");
    EXPECT_EQ(second.Requests()[1].Header("Range"), "bytes=31000-");
}

} // namespace
