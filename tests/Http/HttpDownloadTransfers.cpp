// Downloads against the loopback server: how a local file is resumed, the length check, what
// counts as complete, and progress with its speed.
#include "tests/Http/DownloadFixture.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using enginetest::DownloadResult;
using enginetest::Progress;
using namespace std::chrono_literals;

class DownloadTransfers : public enginetest::DownloadTest {};

constexpr std::uint64_t kSize = 5000;

TEST_F(DownloadTransfers, TheLocalFileDecidesHowTheDownloadStarts) {
    struct Case {
        const char* name;
        std::string local; // "" with exists false: no file
        bool exists;
        std::uint64_t expected;
        bool honourRange;
        std::optional<std::uint64_t> announced;
        const char* range; // the Range header asked, "" for none
        int type;
        int code;
        std::string file;
        std::optional<Progress> first;
    };
    const std::string whole = Pattern(0, kSize);
    const Case cases[] = {
        {"no file", "", false, kSize, true, {}, "", 0, 0, whole, Progress{kSize, 0, 0}},
        {"partial file resumed",
         Pattern(0, 1000),
         true,
         kSize,
         true,
         {},
         "bytes=1000-",
         0,
         0,
         whole,
         Progress{kSize, 1000, 0}},
        {"range ignored",
         Pattern(0, 1000),
         true,
         kSize,
         false,
         {},
         "bytes=1000-",
         0,
         0,
         whole,
         Progress{kSize, 0, 0}},
        {"short answer to the range",
         Pattern(0, 1000),
         true,
         kSize,
         true,
         3999,
         "bytes=1000-",
         3,
         2007,
         Pattern(0, 1000),
         {}},
        {"too long a whole answer", "", false, kSize, true, kSize + 1, "", 3, 2007, "", {}},
        {"longer than expected", std::string(kSize + 7, 'x'), true, kSize, true, {}, "", 0, 0, whole, {}},
        {"no size expected", std::string(1000, 'x'), true, 0, true, {}, "", 0, 0, whole, {}},
    };
    for (const Case& c : cases) {
        HttpTestServer local;
        HttpRoute route = HttpRoute::Pattern(kSize);
        route.honourRange = c.honourRange;
        route.announcedLength = c.announced;
        local.Route("/f", route);
        task = std::make_unique<CHttpDownloadFile>();
        RemoveFile(path);
        if (c.exists) {
            WriteLocal(c.local);
        }
        // "u@" keeps the resolver out of it: its host is too short for a lookup.
        const DownloadResult result = Run("http://u@" + local.Url("/f").substr(7), c.expected);

        EXPECT_EQ(result.type, c.type) << c.name;
        EXPECT_EQ(result.code, c.code) << c.name;
        EXPECT_EQ(File(), c.file) << c.name;
        ASSERT_EQ(local.Requests().size(), 1u) << c.name;
        EXPECT_EQ(local.Requests()[0].Header("Range"), c.range) << c.name;
        if (c.first) {
            ASSERT_FALSE(result.progress.empty()) << c.name;
            EXPECT_EQ(result.progress[0], *c.first) << c.name;
        }
    }
}

TEST_F(DownloadTransfers, ACompleteFileIsReportedFromStartWithoutARequest) {
    server.Route("/f", HttpRoute::Pattern(kSize));
    WriteLocal(Pattern(0, kSize));
    DownloadResult result;
    EXPECT_TRUE(StartDownload(task.get(), Utf8ToWide(server.Url("/f")), L"", path, kSize, &result,
                              &enginetest::OnDownloadDone, &enginetest::OnDownloadProgress));
    // Reported inside the submission.
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(result.type, 0);
    EXPECT_FALSE(task->started);
    EXPECT_EQ(DownloadManager()->tasks.size(), 0u);
    enginetest::PumpFor(200ms);
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(server.Requests().size(), 0u);
    // The file is not held open: the caller may move it at once.
    EXPECT_TRUE(MoveFileReplacing(path, temp / L"pminstaller.exe"));
}

TEST_F(DownloadTransfers, AnUnopenableFileEndsTheDownloadFromStart) {
    path = temp / L"no-such-folder\\f.tmp";
    const DownloadResult result = Run(server.Url("/f"), kSize);
    EXPECT_EQ(result.type, 1);
    EXPECT_EQ(result.code, 2020);
    EXPECT_EQ(DownloadManager()->tasks.size(), 0u);
}

// What libcurl ends without an error but leaves the file short is retried and never succeeds.
TEST_F(DownloadTransfers, ATransferThatLeavesTheFileShortIsNotASuccess) {
    HttpRoute cutShort = HttpRoute::Pattern(kSize);
    cutShort.sendLength = false;
    cutShort.cutAfter = 1000;
    HttpRoute finalRedirect = HttpRoute::Text("moved", 300);
    const std::pair<const char*, HttpRoute> cases[] = {
        {"/empty", HttpRoute::Text("")},
        {"/nocontent", HttpRoute::Text("", 204)},
        {"/redirect", finalRedirect},
        {"/cut", cutShort},
    };
    for (const auto& [route, answer] : cases) {
        server.Route(route, answer);
        task = std::make_unique<CHttpDownloadFile>();
        RemoveFile(path);
        const DownloadResult result = Run("http://u@" + server.Url(route).substr(7), kSize);
        EXPECT_NE(result.type, 0) << route;
        EXPECT_EQ(server.Hits(route), 3u) << route;
        // Whatever the file holds is a true prefix.
        EXPECT_EQ(File(), Pattern(0, File().size())) << route;
    }
}

TEST_F(DownloadTransfers, AStreamCutShortWithoutALengthIsResumed) {
    HttpRoute route = HttpRoute::Pattern(kSize);
    route.sendLength = false;
    route.cutAfter = 1000;
    route.faultyRequests = 1;
    server.Route("/f", route);
    const DownloadResult result = Run(server.Url("/f"), kSize);
    EXPECT_EQ(result.type, 0);
    EXPECT_EQ(File(), Pattern(0, kSize));
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].Header("Range"), "bytes=1000-");
}

TEST_F(DownloadTransfers, ProgressCountsBytesAndAveragesTheSpeedOverTenTicks) {
    HttpRoute route = HttpRoute::Pattern(60000);
    route.bytesPerSecond = 40000;
    server.Route("/f", route);
    const DownloadResult result = Run(server.Url("/f"), 60000);
    EXPECT_EQ(result.type, 0);
    ASSERT_GE(result.progress.size(), 2u);
    for (std::size_t i = 1; i < result.progress.size(); ++i) {
        EXPECT_EQ(result.progress[i].total, 60000u);
        EXPECT_GE(result.progress[i].done, result.progress[i - 1].done);
        EXPECT_LE(result.progress[i].done, 60000u);
    }
    EXPECT_GT(result.progress.back().speed, 0u);
}

TEST(DownloadSpeed, TenSamplesSummedWithoutOverflow) {
    CHttpDownloadFile task;
    DownloadResult result;
    task.progressCallback = &enginetest::OnDownloadProgress;
    task.userData = &result;
    task.started = true;
    task.contentLength = 1000;
    task.OnRecvBytes(100);
    task.OnTimer();
    EXPECT_EQ(result.progress.back(), (Progress{1000, 100, 10}));

    for (int i = 0; i < 10; ++i) {
        task.OnRecvBytes(std::numeric_limits<std::uint32_t>::max());
        task.OnTimer();
    }
    EXPECT_EQ(task.speedSamples.size(), 10u);
    EXPECT_EQ(result.progress.back().speed, std::numeric_limits<std::uint32_t>::max());

    // No progress without a started transfer or an announced length.
    const std::size_t reports = result.progress.size();
    task.contentLength = 0;
    task.OnTimer();
    task.started = false;
    task.contentLength = 1000;
    task.OnTimer();
    EXPECT_EQ(result.progress.size(), reports);
}

} // namespace
