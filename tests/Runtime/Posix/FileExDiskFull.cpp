#include "Runtime/FileEx.h"

#include "Platform/Posix/TestDesktop.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(CFileExDiskFull, WriteThrowsTheSystemErrorAndTheFileName) {
    testsupport::TempFolder folder;
    plat::test::MapDrive(L'D', std::filesystem::path(folder.Path()).string());
    plat::test::SetDiskFreeSpace(L'D', 8);
    CFileEx file;
    ASSERT_TRUE(file.Open(L"D:\\pminstaller_1.0.tmp", 45218, nullptr));
    const std::string bytes(100, 'x');
    try {
        file.Write(bytes.data(), static_cast<unsigned>(bytes.size()));
        ADD_FAILURE() << "no exception";
    } catch (const CFileExException& e) {
        EXPECT_EQ(e.osError, static_cast<std::int32_t>(plat::ERROR_DISK_FULL));
        EXPECT_EQ(e.text, L"D:\\pminstaller_1.0.tmp");
    }
    file.Abort();
    file.Close();
    plat::test::ResetMachine();
}

} // namespace
