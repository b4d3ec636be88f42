// The download's fallback order: the same URL, the backups, one lookup through the fallback
// resolver, the resolved addresses, then the final result; and lookup results that arrive late.
#include "tests/Http/DownloadFixture.h"
#include "tests/support/DnsTestServer.h"

#include <gtest/gtest.h>

namespace {

using enginetest::DownloadResult;
using namespace std::chrono_literals;

constexpr std::uint64_t kSize = 3000;
const std::uint32_t kSecondLoopback = plat::MakeIpv4(127, 0, 0, 2);

class DownloadFallback : public enginetest::DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        ASSERT_TRUE(resolver.Ok());
        ASSERT_TRUE(SetDnsResolvers({resolver.Endpoint()}));
    }

    // The address the main URL names, 127.0.0.1 at the port of a server that listens on
    // 127.0.0.2 only: refused until the resolver's answer moves the download there.
    std::string RefusedMain(const HttpTestServer& second, const std::string& target) const {
        return "http://127.0.0.1:" + std::to_string(second.Port()) + target;
    }

    DnsTestServer resolver;
};

DnsReplyScript Answer(std::vector<std::string> addresses) {
    DnsReplyScript script;
    script.addresses = std::move(addresses);
    return script;
}

TEST_F(DownloadFallback, MainBackupsLookupAddressesInThisOrder) {
    HttpTestServer second(kSecondLoopback);
    ASSERT_TRUE(second.Ok());
    second.Route("/f", HttpRoute::Pattern(kSize));
    server.Route("/missing", HttpRoute::Text("no", 404));
    server.Route("/gone", HttpRoute::Text("no", 410));
    // The first address refuses as well; the second serves.
    resolver.Script("127.0.0.1", Answer({"127.0.0.3", "127.0.0.2"}));

    const DownloadResult result =
        Run(RefusedMain(second, "/f"), kSize, server.Url("/missing") + ";" + server.Url("/gone"));

    EXPECT_EQ(result.type, 0);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(File(), Pattern(0, kSize));
    // An HTTP error moves on at once; a connection error is tried three times.
    EXPECT_EQ(server.Hits("/missing"), 1u);
    EXPECT_EQ(server.Hits("/gone"), 1u);
    ASSERT_EQ(resolver.Queries().size(), 1u);
    EXPECT_EQ(resolver.Queries()[0].name, "127.0.0.1");
    EXPECT_EQ(second.Hits("/f"), 1u);
    const std::vector<HttpRequestRecord> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/missing");
    EXPECT_LT(requests[1].at, resolver.Queries()[0].at);
}

TEST_F(DownloadFallback, TheLookupRunsOnceAndTheLastFailureIsFinal) {
    resolver.Script("127.0.0.1", Answer({"127.0.0.3"}));
    const DownloadResult result = Run("http://127.0.0.1:1/f", kSize);
    EXPECT_EQ(result.type, 5);
    EXPECT_EQ(result.code, curlcode::kCouldntConnect);
    EXPECT_EQ(resolver.Queries().size(), 1u);
    EXPECT_TRUE(task->urls.empty());
    EXPECT_TRUE(task->originalUrl.empty());
}

TEST_F(DownloadFallback, AFailedLookupEndsWithTheTransfersTypeAndTheLookupsCode) {
    server.Route("/missing", HttpRoute::Text("no", 404));
    const DownloadResult result = Run(server.Url("/missing"), kSize);
    EXPECT_EQ(result.type, 4);
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(resolver.Queries().size(), 1u);
}

TEST_F(DownloadFallback, AHostTooShortForALookupEndsTheDownload) {
    server.Route("/missing", HttpRoute::Text("no", 404));
    const DownloadResult result = Run("http://u@" + server.Url("/missing").substr(7), kSize);
    EXPECT_EQ(result.type, 4);
    EXPECT_EQ(result.code, 404);
    EXPECT_TRUE(resolver.Queries().empty());
}

TEST_F(DownloadFallback, StoppingDuringTheLookupDeliversNothing) {
    DnsReplyScript late = Answer({"127.0.0.2"});
    late.delayMs = 300;
    resolver.Script("127.0.0.1", late);
    DownloadResult result;
    ASSERT_TRUE(StartDownload(task.get(), L"http://127.0.0.1:1/f", L"", path, kSize, &result,
                              &enginetest::OnDownloadDone, &enginetest::OnDownloadProgress));
    ASSERT_TRUE(enginetest::PumpUntil([&] { return task->pendingLookup != 0; }, 10s));
    task->Stop();
    EXPECT_EQ(task->pendingLookup, 0u);
    enginetest::PumpFor(600ms);
    EXPECT_EQ(result.calls, 0);
    EXPECT_FALSE(task->started);
}

// Lookup results are matched to the lookup the task waits for; anything else is dropped.
TEST(DownloadLookupResult, StaleRepeatedAndOrphanedResultsAreDropped) {
    InitMainThreadDispatcher();
    CHttpDownloadFile task;
    DownloadResult result;
    task.doneCallback = &enginetest::OnDownloadDone;
    task.userData = &result;
    task.originalUrl = L"http://dl.example.test/f";
    task.RecordError(5, 7);
    task.pendingLookup = 42;

    OnSpareDNSResult(0, &task, "dl.example.test", "127.0.0.2", 41);
    int notATask = 0;
    OnSpareDNSResult(0, &notATask, "dl.example.test", "127.0.0.2", 42);
    EXPECT_EQ(task.GetError(), PackHttpError(5, 7));
    EXPECT_EQ(task.pendingLookup, 42u);
    EXPECT_TRUE(task.urls.empty());

    // The awaited one: the addresses become URLs (no engine here, so nothing runs them).
    OnSpareDNSResult(0, &task, "dl.example.test", "1.2.3.4;;127.0.0.2;", 42);
    EXPECT_EQ(task.urls, (std::deque<std::wstring>{L"http://1.2.3.4/f", L"http://127.0.0.2/f"}));
    EXPECT_EQ(task.pendingLookup, 0u);
    EXPECT_TRUE(task.originalUrl.empty());

    // The same result again finds no lookup waiting.
    task.urls.clear();
    OnSpareDNSResult(0, &task, "dl.example.test", "127.0.0.2", 42);
    EXPECT_TRUE(task.urls.empty());
    enginetest::PumpFor(20ms);
    EXPECT_EQ(result.calls, 0);
    ShutdownMainThreadDispatcher();
}

} // namespace
