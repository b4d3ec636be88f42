// Windows paths on the emulated machine: mapped drives, free-space budgets, the module path.
#include "Platform/File.h"
#include "Platform/Thread.h"
#include "tests/Platform/Posix/MachineTest.h"
#include "tests/support/TempFolder.h"

#include <cstdio>
#include <string>

namespace {

using namespace plat;

std::string Narrow(const std::wstring& wide) { return std::string(wide.begin(), wide.end()); }

class DriveMapping : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        root_ = Narrow(folder_.Path());
        test::MapDrive(L'd', root_);
    }

    // Writes through a handle; returns the bytes written and the last error.
    std::pair<DWORD, DWORD> WriteTo(const wchar_t* path, DWORD creation, DWORD size) {
        HANDLE file = CreateFile(path, GENERIC_READ | GENERIC_WRITE, 0, false, creation);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        const std::string data(size, 'x');
        DWORD written = 0;
        SetFilePointer(file, 0, FILE_END);
        const bool ok = WriteFile(file, data.data(), size, &written);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        CloseHandle(file);
        return {written, error};
    }

    std::uint64_t FreeOnD() {
        std::uint64_t free = 0;
        EXPECT_TRUE(GetDiskFreeSpace(L"D:\\", &free));
        return free;
    }

    testsupport::TempFolder folder_;
    std::string root_;
};

TEST_F(DriveMapping, WindowsPathsResolveLexicallyBelowTheMappedFolder) {
    const struct {
        std::wstring path;
        std::string host; // relative to the mapped folder; "!" for no host path
    } cases[] = {
        {L"D:\\a\\b.txt", "/a/b.txt"},
        {L"d:/a\\./b/", "/a/b"},
        {L"D:\\a\\..\\c", "/c"},
        {L"D:\\..\\..\\etc\\passwd", "/etc/passwd"}, // never above the drive's root
        {L"D:", ""},
        {L"\\\\?\\D:\\x", "/x"},
        {L"E:\\x", "!"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(Narrow(row.path));
        EXPECT_EQ(test::HostPath(row.path), row.host == "!" ? "" : root_ + row.host);
    }
    EXPECT_EQ(test::HostPath(L"\\var\\tmp\\x"), "/var/tmp/x");
}

TEST_F(DriveMapping, FilesAndFoldersOnAMappedDriveLiveInItsHostFolder) {
    EXPECT_EQ(CreateDirectoryWithParents(L"D:\\Games\\Pelmo"), 0);
    EXPECT_EQ(CreateDirectoryWithParents(L"D:\\"), static_cast<int>(ERROR_ALREADY_EXISTS));
    HANDLE file = CreateFile(L"D:\\Games\\Pelmo\\..\\record.ini", GENERIC_WRITE, 0, false, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(PathFileExists(L"d:/games/../Games/record.ini"));
    std::FILE* host = std::fopen((root_ + "/Games/record.ini").c_str(), "rb");
    EXPECT_NE(host, nullptr);
    if (host != nullptr) {
        std::fclose(host);
    }
}

TEST_F(DriveMapping, AnUnmappedDriveHasNoPaths) {
    EXPECT_EQ(CreateFile(L"Q:\\file", GENERIC_WRITE, 0, false, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(PathFileExists(L"Q:\\"));
    EXPECT_EQ(CreateDirectoryWithParents(L"Q:\\a"), static_cast<int>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(DeleteFile(L"Q:\\file"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    std::uint64_t free = 0;
    EXPECT_FALSE(GetDiskFreeSpace(L"Q:\\", &free));
    EXPECT_EQ(OpenCrtFile(L"Q:\\file", L"wb"), nullptr);

    test::ResetMachine();
    EXPECT_EQ(test::HostPath(L"D:\\x"), "");
}

TEST_F(DriveMapping, FolderCreationBelowAFileFails) {
    folder_.WriteFile(L"file", "x");
    EXPECT_EQ(CreateDirectoryWithParents(L"D:\\file\\sub"), static_cast<int>(ERROR_PATH_NOT_FOUND));
}

TEST_F(DriveMapping, WritesBeyondTheFreeSpaceWriteWhatFitsAndReportADiskFull) {
    test::SetDiskFreeSpace(L'D', 10);
    EXPECT_EQ(FreeOnD(), 10u);
    EXPECT_EQ(WriteTo(L"D:\\big", CREATE_ALWAYS, 16), std::make_pair(DWORD{10}, ERROR_DISK_FULL));
    EXPECT_EQ(FreeOnD(), 0u);
    EXPECT_EQ(WriteTo(L"D:\\big", OPEN_EXISTING, 1), std::make_pair(DWORD{0}, ERROR_DISK_FULL));

    HANDLE file = CreateFile(L"D:\\big", GENERIC_WRITE, 0, false, OPEN_EXISTING);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "yyyy", 4, &written)); // overwriting takes no space
    EXPECT_EQ(SetFilePointer(file, 4, FILE_BEGIN), 4u);
    EXPECT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(FreeOnD(), 6u);
    EXPECT_EQ(SetFilePointer(file, 20, FILE_BEGIN), 20u);
    EXPECT_FALSE(SetEndOfFile(file));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    CloseHandle(file);

    EXPECT_TRUE(DeleteFile(L"D:\\big"));
    EXPECT_EQ(FreeOnD(), 10u);
    EXPECT_EQ(testsupport::TempFolder::ReadFile(folder_ / L"big"), "");
}

TEST_F(DriveMapping, RuntimeLibraryWritesShareTheBudget) {
    test::SetDiskFreeSpace(L'D', 6);
    std::FILE* file = OpenCrtFile(L"D:\\crt", L"wb");
    ASSERT_NE(file, nullptr);
    std::fwrite("0123456789", 1, 10, file);
    EXPECT_NE(std::fflush(file), 0);
    std::fclose(file);
    EXPECT_EQ(testsupport::TempFolder::ReadFile(folder_ / L"crt"), "012345");
}

TEST_F(DriveMapping, CreateAlwaysGivesBackTheSpaceOfWhatItTruncates) {
    test::SetDiskFreeSpace(L'D', 100);
    WriteTo(L"D:\\f", CREATE_ALWAYS, 60);
    EXPECT_EQ(FreeOnD(), 40u);
    WriteTo(L"D:\\f", CREATE_ALWAYS, 30);
    EXPECT_EQ(FreeOnD(), 70u);
}

TEST_F(DriveMapping, ModulePathAsConfigured) {
    wchar_t buffer[64] = {};
    ASSERT_GT(GetModuleFileName(buffer, 64), 0u);
    EXPECT_NE(std::wstring(buffer).find(L"platform_tests"), std::wstring::npos);

    test::SetModuleFilePath(L"D:\\Game\\setup.exe");
    EXPECT_EQ(GetModuleFileName(buffer, 64), 17u);
    EXPECT_EQ(std::wstring(buffer), L"D:\\Game\\setup.exe");
    EXPECT_EQ(GetModuleFileName(buffer, 8), 8u);
    EXPECT_EQ(std::wstring(buffer), L"D:\\Game");
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    test::SetModuleFilePathFails(true);
    EXPECT_EQ(GetModuleFileName(buffer, 64), 0u);
}

} // namespace
