// A download on the running engines into a fresh folder, with its results recorded.
#pragma once

#include "Http/HttpDownloadFile.h"
#include "Runtime/CommonUtils.h"
#include "Runtime/TextConv.h"
#include "tests/Http/EngineFixture.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

struct Progress {
    std::uint64_t total;
    std::uint64_t done;
    unsigned speed;
    bool operator==(const Progress&) const = default;
};

struct DownloadResult {
    int calls = 0;
    int type = -1;
    int code = -1;
    std::vector<Progress> progress;
};

inline void OnDownloadDone(void* userData, int type, int code) {
    auto* result = static_cast<DownloadResult*>(userData);
    ++result->calls;
    result->type = type;
    result->code = code;
}

inline void OnDownloadProgress(void* userData, std::uint64_t total, std::uint64_t done, unsigned speed) {
    static_cast<DownloadResult*>(userData)->progress.push_back({total, done, speed});
}

class DownloadTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        path = temp / L"pminstaller_1.tmp";
        task = std::make_unique<CHttpDownloadFile>();
    }
    void TearDown() override {
        task.reset();
        EngineTest::TearDown();
    }

    // Starts the download and waits for its final result (and a little longer, to see that no
    // second one comes).
    DownloadResult Run(const std::string& url, std::uint64_t size, const std::string& backups = "",
                       std::chrono::milliseconds limit = std::chrono::seconds(15)) {
        DownloadResult result;
        EXPECT_TRUE(StartDownload(task.get(), Utf8ToWide(url), Utf8ToWide(backups), path, size, &result,
                                  &OnDownloadDone, &OnDownloadProgress));
        EXPECT_TRUE(PumpUntil([&] { return result.calls > 0; }, limit)) << url;
        PumpFor(std::chrono::milliseconds(60));
        EXPECT_EQ(result.calls, 1) << url;
        return result;
    }

    std::string File() const { return testsupport::TempFolder::ReadFile(path); }
    void WriteLocal(const std::string& content) { temp.WriteFile(L"pminstaller_1.tmp", content); }

    static std::string Pattern(std::uint64_t offset, std::size_t size) {
        return HttpTestServer::PatternBytes(offset, size);
    }

    HttpTestServer server;
    testsupport::TempFolder temp;
    std::wstring path;
    std::unique_ptr<CHttpDownloadFile> task;
};

} // namespace enginetest
