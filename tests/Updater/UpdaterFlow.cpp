#include "Updater/Updater.h"

#include "Platform/File.h"
#include "Platform/Thread.h"
#include "Runtime/CommonUtils.h"
#include "tests/Http/EngineFixture.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using enginetest::PumpFor;
using enginetest::PumpUntil;
using testsupport::TempFolder;
using namespace std::chrono_literals;

struct Event {
    std::string kind;  // "index", "progress", "finished"
    long long a, b, c;
    std::wstring text1, text2;
};

class RecordingGameListener : public IGameEventListener {
public:
    void OnProgress(std::int64_t total, std::int64_t complete, std::int64_t speed) override {
        events.push_back({"progress", total, complete, speed, L"", L""});
    }
    void OnDownloadFinished(int errorClass, int errorCode, const std::wstring& message) override {
        events.push_back({"finished", errorClass, errorCode, 0, message, L""});
    }
    void OnIndexFetched(int errorClass, int errorCode, const std::wstring& version, const std::wstring& md5) override {
        events.push_back({"index", errorClass, errorCode, 0, version, md5});
    }

    std::vector<std::string> Kinds() const {
        std::vector<std::string> kinds;
        for (const Event& e : events) {
            if (kinds.empty() || kinds.back() != e.kind) {
                kinds.push_back(e.kind);
            }
        }
        return kinds;
    }
    const Event* Last(const std::string& kind) const {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->kind == kind) {
                return &*it;
            }
        }
        return nullptr;
    }
    bool Has(const std::string& kind) const { return Last(kind) != nullptr; }
    int Count(const std::string& kind) const {
        int n = 0;
        for (const Event& e : events) {
            n += e.kind == kind;
        }
        return n;
    }

    std::vector<Event> events;
};

constexpr std::uint64_t kPackageSize = 300000;

class UpdaterFlow : public enginetest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        server.Route("/pminstaller.exe", HttpRoute::Pattern(kPackageSize));
        SetIndex("/pminstall.txt", server.Url("/pminstaller.exe"), kPackageSize, L"1.0.15");
        SetUpdateIndexAddresses({Wide(server.Url("/pminstall.txt")), Wide(server.Url("/secondary.txt"))});
        downloadDir = temp / L"Pelmo";
    }
    void TearDown() override {
        SetUpdateIndexAddresses({});
        EngineTest::TearDown();
    }

    static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

    void SetIndex(const std::string& path, const std::string& url, std::uint64_t size, const std::wstring& version) {
        std::string body = "[Install]\r\nUrl=" + url + "\r\nmurl=\r\nSize=" + std::to_string(size) +
                           "\r\nMd5=" + kMd5 + "\r\nVersion=" + std::string(version.begin(), version.end()) + "\r\n";
        server.Route(path, HttpRoute::Text(body));
    }

    bool RunUntilFinished(CUpdater& updater, std::chrono::milliseconds limit = 10s) {
        static_cast<void>(updater);
        return PumpUntil([this] { return listener.Has("finished"); }, limit);
    }

    static constexpr const char* kMd5 = "0123456789abcdef0123456789ABCDEF";
    HttpTestServer server;
    TempFolder temp;
    std::wstring downloadDir;
    RecordingGameListener listener;
};

TEST_F(UpdaterFlow, ASuccessfulAttemptRaisesIndexProgressAndFinishedInOrder) {
    server.Route("/pminstaller.exe", [] {
        HttpRoute route = HttpRoute::Pattern(kPackageSize);
        route.bytesPerSecond = 200000;  // long enough for a progress tick
        return route;
    }());
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(RunUntilFinished(updater));

    EXPECT_EQ(listener.Kinds(), (std::vector<std::string>{"index", "progress", "finished"}));
    const Event* index = listener.Last("index");
    EXPECT_EQ(index->a, 0);
    EXPECT_EQ(index->b, 0);
    EXPECT_EQ(index->text1, L"1.0.15");
    EXPECT_EQ(index->text2, L"0123456789abcdef0123456789ABCDEF");
    const Event* last = listener.Last("progress");
    EXPECT_EQ(last->a, static_cast<long long>(kPackageSize));
    const Event* finished = listener.Last("finished");
    EXPECT_EQ(finished->a, 0);
    EXPECT_EQ(finished->b, 0);
    EXPECT_EQ(finished->text1, L"");

    EXPECT_EQ(TempFolder::ReadFile(updater.installerPath), HttpTestServer::PatternBytes(0, kPackageSize));
    EXPECT_FALSE(plat::PathFileExists(updater.tmpPath.c_str()));
    EXPECT_EQ(updater.tmpPath, downloadDir + L"\\pminstaller_1.0.15.tmp");
    EXPECT_EQ(TempFolder::ReadFile(RecordPathFor(downloadDir)).substr(0, 2), "\xFF\xFE");
    updater.Stop();
}

TEST_F(UpdaterFlow, APrimaryFailureFallsBackToTheSecondaryWithoutAnEvent) {
    server.Route("/pminstall.txt", HttpRoute::Text("gone", 404));
    SetIndex("/secondary.txt", server.Url("/pminstaller.exe"), kPackageSize, L"2.0");
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(RunUntilFinished(updater));
    EXPECT_EQ(listener.Count("index"), 1);
    EXPECT_EQ(listener.Last("index")->a, 0);
    EXPECT_EQ(listener.Last("index")->text1, L"2.0");
    EXPECT_EQ(listener.Last("finished")->a, 0);
    updater.Stop();
}

TEST_F(UpdaterFlow, BothAddressesFailingRaiseOneEventWithTheSecondPairAndARetryStartsAtThePrimary) {
    server.Route("/pminstall.txt", HttpRoute::Text("gone", 404));
    server.Route("/secondary.txt", HttpRoute::Text("broken", 500));
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(PumpUntil([&] { return listener.Has("index"); }, 10s));
    PumpFor(100ms);
    EXPECT_EQ(listener.Count("index"), 1);
    EXPECT_EQ(listener.Last("index")->a, 4);
    EXPECT_EQ(listener.Last("index")->b, 500);
    EXPECT_EQ(updater.indexCursor, 2);
    EXPECT_FALSE(listener.Has("finished"));

    const unsigned primaryHits = server.Hits("/pminstall.txt");
    updater.indexCursor = 0;
    updater.FetchIndex();
    ASSERT_TRUE(PumpUntil([&] { return listener.Count("index") == 2; }, 10s));
    EXPECT_EQ(server.Hits("/pminstall.txt"), primaryHits + 1);
    updater.Stop();
}

TEST_F(UpdaterFlow, ProgressReportsCollapseIntoTheLatest) {
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(PumpUntil([&] { return listener.Has("index"); }, 10s));
    updater.download.Stop();  // the test plays the download from here
    updater.downloading = true;
    listener.events.clear();
    for (unsigned i = 1; i <= 10; ++i) {
        CUpdater::OnProgressCallback(updater.Ticket(), 1000, 100 * i, i);
    }
    PumpFor(50ms);
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].kind, "progress");
    EXPECT_EQ(listener.events[0].a, 1000);
    EXPECT_EQ(listener.events[0].b, 1000);
    EXPECT_EQ(listener.events[0].c, 10);

    // After the download finished, progress raises nothing.
    CUpdater::OnDoneCallback(updater.Ticket(), 5, 7);
    PumpFor(20ms);
    CUpdater::OnProgressCallback(updater.Ticket(), 1000, 1000, 1);
    PumpFor(20ms);
    EXPECT_EQ(listener.Kinds(), (std::vector<std::string>{"progress", "finished"}));
    updater.Stop();
}

TEST_F(UpdaterFlow, NothingIsRaisedAfterStop) {
    server.Route("/pminstall.txt", [this] {
        HttpRoute route = HttpRoute::Text("[Install]\r\nUrl=" + server.Url("/pminstaller.exe") + "\r\n");
        route.delayMs = 200;
        return route;
    }());
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    PumpFor(20ms);
    updater.Stop();
    PumpFor(400ms);
    EXPECT_TRUE(listener.events.empty());

    // Callbacks that still name the stopped updater reach nothing either.
    CUpdater::OnDoneCallback(updater.Ticket(), 0, 0);
    PumpFor(20ms);
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(UpdaterFlow, ACompleteTemporaryFileIsPutInPlaceWithoutProgress) {
    ASSERT_TRUE(CreateDir(downloadDir));
    temp.WriteFile(L"Pelmo\\pminstaller_1.0.15.tmp", HttpTestServer::PatternBytes(0, kPackageSize));
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(RunUntilFinished(updater));
    EXPECT_EQ(listener.Kinds(), (std::vector<std::string>{"index", "finished"}));
    EXPECT_EQ(listener.Last("finished")->a, 0);
    EXPECT_EQ(server.Hits("/pminstaller.exe"), 0u);
    EXPECT_EQ(FileSize(updater.installerPath), static_cast<std::int64_t>(kPackageSize));
    updater.Stop();
}

TEST_F(UpdaterFlow, ALockedPackageCannotBeReplaced) {
    ASSERT_TRUE(CreateDir(downloadDir));
    const std::wstring installer = temp.WriteFile(L"Pelmo\\pminstaller.exe", "old");
    plat::HANDLE held = plat::CreateFile(installer.c_str(), plat::GENERIC_READ, plat::FILE_SHARE_READ, false,
                                         plat::OPEN_EXISTING);
    ASSERT_NE(held, plat::INVALID_HANDLE_VALUE);
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(RunUntilFinished(updater));
    plat::CloseHandle(held);
    EXPECT_EQ(listener.Last("finished")->a, 3);
    EXPECT_EQ(listener.Last("finished")->b, -1);
    EXPECT_EQ(listener.Last("finished")->text1, L"");
    EXPECT_EQ(FileSize(updater.tmpPath), static_cast<std::int64_t>(kPackageSize));
    updater.Stop();
}

TEST_F(UpdaterFlow, AFailedDownloadRemovesAnEmptyTemporaryFileAndKeepsAPartialOne) {
    const struct {
        const char* partial;
        bool kept;
    } cases[] = {{"", false}, {"12345", true}};
    for (const auto& c : cases) {
        listener.events.clear();
        server.Route("/pminstaller.exe", HttpRoute::Text("nope", 404));
        ASSERT_TRUE(CreateDir(downloadDir));
        const std::wstring tmp = temp.WriteFile(L"Pelmo\\pminstaller_1.0.15.tmp", c.partial);
        CUpdater updater(downloadDir, &listener);
        ASSERT_TRUE(updater.Start());
        ASSERT_TRUE(RunUntilFinished(updater, 20s));
        // The 404 ends in the resolver fallback, which no resolver answers: (4, -1).
        EXPECT_EQ(listener.Last("finished")->a, 4) << c.partial;
        EXPECT_EQ(listener.Last("finished")->b, -1);
        EXPECT_EQ(listener.Last("finished")->text1, L"安装失败");
        EXPECT_EQ(plat::PathFileExists(tmp.c_str()), c.kept) << '"' << c.partial << '"';
        updater.Stop();
    }
}

TEST_F(UpdaterFlow, HelperClassNamesCountUpPerProcess) {
    CUpdater first(downloadDir, &listener);
    CUpdater second(downloadDir, &listener);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    const std::wstring prefix = L"_UPDATE_MODULE_HELPER_WINDOW_PELMO";
    ASSERT_EQ(first.helperClassName.rfind(prefix, 0), 0u);
    const int a = std::stoi(first.helperClassName.substr(prefix.size()));
    EXPECT_EQ(second.helperClassName, prefix + std::to_wstring(a + 1));
    first.Stop();
    second.Stop();
}

TEST_F(UpdaterFlow, AMessageItsUpdaterDidNotPostIsIgnored) {
    CUpdater updater(downloadDir, &listener);
    ASSERT_TRUE(updater.Start());
    ASSERT_TRUE(PumpUntil([&] { return listener.Has("index"); }, 10s));
    updater.download.Stop();
    updater.downloading = true;
    listener.events.clear();
    // As if a stale message of an earlier updater landed on a recycled window handle.
    plat::PostMessage(updater.helperWindow, CUpdater::UM_DOWNLOAD_DONE, 0, 0);
    PumpFor(20ms);
    EXPECT_TRUE(listener.events.empty());
    updater.Stop();
}

} // namespace
