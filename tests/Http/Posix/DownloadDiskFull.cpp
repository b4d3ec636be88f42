// A full disk on the emulated machine: the writes fail, the download gives up with the library's
// write error, and once there is room again it resumes from what it had.
#include "Platform/Posix/TestDesktop.h"
#include "tests/Http/DownloadFixture.h"

#include <gtest/gtest.h>

namespace {

using enginetest::DownloadResult;

constexpr std::uint64_t kSize = 100000;
constexpr std::uint64_t kRoom = 30000;

class DownloadDiskFull : public enginetest::DownloadTest {
protected:
    void SetUp() override {
        plat::test::ResetMachine();
        DownloadTest::SetUp();
        plat::test::MapDrive(L'D', WideToUtf8(temp.Path()));
        path = L"D:\\pminstaller_1.tmp";
    }
    void TearDown() override {
        DownloadTest::TearDown();
        plat::test::ResetMachine();
    }
};

TEST_F(DownloadDiskFull, WriteFailureEndsAsWriteErrorAndTheNextStartResumes) {
    server.Route("/f", HttpRoute::Pattern(kSize));
    plat::test::SetDiskFreeSpace(L'D', kRoom);
    // "u@": a host too short for the resolver, so the failure is final at once.
    const std::string url = "http://u@" + server.Url("/f").substr(7);

    const DownloadResult full = Run(url, kSize);
    EXPECT_EQ(full.type, 5);
    EXPECT_EQ(full.code, curlcode::kWriteError);
    EXPECT_EQ(server.Hits("/f"), 3u);
    const std::string kept = testsupport::TempFolder::ReadFile(temp / L"pminstaller_1.tmp");
    EXPECT_LE(kept.size(), kRoom);
    EXPECT_EQ(kept, Pattern(0, kept.size()));

    plat::test::SetDiskFreeSpace(L'D', kSize);
    const DownloadResult resumed = Run(url, kSize);
    EXPECT_EQ(resumed.type, 0);
    EXPECT_TRUE(testsupport::TempFolder::ReadFile(temp / L"pminstaller_1.tmp") == Pattern(0, kSize));
    EXPECT_EQ(server.Requests().back().Header("Range"), "bytes=" + std::to_string(kept.size()) + "-");
}

} // namespace
