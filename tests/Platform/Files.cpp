// Files and folders by path as the system treats them: creation dispositions and their error
// codes, share modes between handles, delete and move of open files, positions and lengths.
#include "Platform/File.h"
#include "Platform/Thread.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace plat;

constexpr DWORD kRead = GENERIC_READ;
constexpr DWORD kWrite = GENERIC_WRITE;
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Files : public ::testing::Test {
protected:
    void TearDown() override {
        for (HANDLE handle : open_) {
            CloseHandle(handle);
        }
    }

    std::wstring PathOf(const std::wstring& name) const { return folder_ / name; }

    // Opens and keeps the handle for clean-up; returns INVALID_HANDLE_VALUE with `error` set.
    HANDLE Open(const std::wstring& name, DWORD access, DWORD share, DWORD creation, DWORD* error = nullptr) {
        SetLastError(12345);
        HANDLE handle = CreateFile(PathOf(name).c_str(), access, share, false, creation);
        if (error != nullptr) {
            *error = GetLastError();
        }
        if (handle != INVALID_HANDLE_VALUE) {
            open_.push_back(handle);
        }
        return handle;
    }

    void Close(HANDLE handle) {
        std::erase(open_, handle);
        ASSERT_TRUE(CloseHandle(handle));
    }

    std::string Content(const std::wstring& name) const {
        return testsupport::TempFolder::ReadFile(PathOf(name));
    }

    testsupport::TempFolder folder_;
    std::vector<HANDLE> open_;
};

struct Disposition {
    const char* situation;
    const wchar_t* name; // "existing" holds "old", "folder" is a folder
    DWORD creation;
    bool opens;
    DWORD error; // the last error afterwards
    const char* contentAfter; // checked when it opened or named the existing file
};

TEST_F(Files, CreationDispositionsGiveTheSystemsResultsAndErrors) {
    const Disposition cases[] = {
        {"open a missing file", L"missing", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, ""},
        {"open below a missing folder", L"nowhere\\file", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND, ""},
        {"create below a missing folder", L"nowhere\\file", CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND, ""},
        {"open a folder as a file", L"folder", OPEN_EXISTING, false, ERROR_ACCESS_DENIED, ""},
        {"create-new over a file", L"existing", CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
        {"create-always over a file", L"existing", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {"open-always of a file", L"existing", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
        {"open-always of a missing file", L"missing", OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {"create-new of a missing file", L"missing", CREATE_NEW, true, ERROR_SUCCESS, ""},
        {"truncate a file", L"existing", TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
        {"truncate a missing file", L"missing", TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, ""},
    };
    ASSERT_EQ(CreateDirectoryWithParents(PathOf(L"folder").c_str()), 0);
    for (const Disposition& row : cases) {
        SCOPED_TRACE(row.situation);
        folder_.WriteFile(L"existing", "old");
        DWORD error = 0;
        HANDLE handle = Open(row.name, kReadWrite, 0, row.creation, &error);
        EXPECT_EQ(handle != INVALID_HANDLE_VALUE, row.opens);
        EXPECT_EQ(error, row.error);
        if (handle != INVALID_HANDLE_VALUE) {
            Close(handle);
        }
        if (row.opens || std::wstring(row.name) == L"existing") {
            EXPECT_EQ(Content(row.name), row.contentAfter);
        }
        DeleteFile(PathOf(L"existing").c_str());
        DeleteFile(PathOf(L"missing").c_str());
    }
}

struct Sharing {
    DWORD firstAccess;
    DWORD firstShare;
    DWORD secondAccess;
    DWORD secondShare;
    bool secondOpens;
};

TEST_F(Files, ShareModesAreCheckedInBothDirections) {
    const Sharing cases[] = {
        {kRead, FILE_SHARE_READ, kRead, FILE_SHARE_READ, true},
        {kRead, FILE_SHARE_READ, kWrite, kShareAll, false},           // the first denies writing
        {kWrite, kShareAll, kRead, FILE_SHARE_READ, false},           // the second denies the first's writing
        {kWrite, FILE_SHARE_READ, kRead, kShareAll, true},
        {kRead, 0, kRead, kShareAll, false},                          // exclusive
        {kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, kReadWrite, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {0, 0, kReadWrite, 0, true},                                  // no data access takes no part
        {kReadWrite, 0, 0, 0, true},
    };
    folder_.WriteFile(L"shared", "data");
    for (const Sharing& row : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << row.firstAccess << "/" << row.firstShare << " then "
                                          << row.secondAccess << "/" << row.secondShare);
        HANDLE first = Open(L"shared", row.firstAccess, row.firstShare, OPEN_EXISTING);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        DWORD error = 0;
        HANDLE second = Open(L"shared", row.secondAccess, row.secondShare, OPEN_EXISTING, &error);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, row.secondOpens);
        if (second != INVALID_HANDLE_VALUE) {
            Close(second);
        } else {
            EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
        }
        Close(first);
    }
}

TEST_F(Files, CreateAlwaysOnAFileOpenWithoutWriteSharingLeavesItsContent) {
    folder_.WriteFile(L"held", "keep");
    ASSERT_NE(Open(L"held", kRead, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    DWORD error = 0;
    EXPECT_EQ(Open(L"held", kWrite, kShareAll, CREATE_ALWAYS, &error), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Content(L"held"), "keep");
}

TEST_F(Files, DeleteAndMoveOfAnOpenFileNeedDeleteSharing) {
    folder_.WriteFile(L"locked", "L");
    HANDLE locked = Open(L"locked", kRead, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    EXPECT_FALSE(DeleteFile(PathOf(L"locked").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileReplacing(PathOf(L"locked").c_str(), PathOf(L"moved").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(PathFileExists(PathOf(L"locked").c_str()));

    Close(locked);
    EXPECT_TRUE(MoveFileReplacing(PathOf(L"locked").c_str(), PathOf(L"moved").c_str()));
    EXPECT_FALSE(PathFileExists(PathOf(L"locked").c_str()));
    EXPECT_EQ(Content(L"moved"), "L");

    HANDLE shared = Open(L"moved", kRead, kShareAll, OPEN_EXISTING);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFile(PathOf(L"moved").c_str()));
    Close(shared);
    EXPECT_FALSE(PathFileExists(PathOf(L"moved").c_str()));

    EXPECT_FALSE(DeleteFile(PathOf(L"moved").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, MoveReplacesAnExistingTarget) {
    folder_.WriteFile(L"new", "new content");
    folder_.WriteFile(L"old", "old");
    EXPECT_TRUE(MoveFileReplacing(PathOf(L"new").c_str(), PathOf(L"old").c_str()));
    EXPECT_EQ(Content(L"old"), "new content");
    EXPECT_FALSE(MoveFileReplacing(PathOf(L"new").c_str(), PathOf(L"old").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, PositionLengthReadAndWrite) {
    HANDLE file = Open(L"data", kReadWrite, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "hello world", 11, &done));
    EXPECT_EQ(done, 11u);

    EXPECT_EQ(SetFilePointer(file, 0, FILE_END), 11u);
    EXPECT_EQ(SetFilePointer(file, -20, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, 0, FILE_CURRENT), 11u); // unchanged by the failed seek
    EXPECT_EQ(SetFilePointer(file, -6, FILE_END), 5u);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_TRUE(FlushFileBuffers(file));

    char buffer[16] = {};
    EXPECT_EQ(SetFilePointer(file, 0, FILE_BEGIN), 0u);
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done));
    EXPECT_EQ(std::string(buffer, done), "hello");
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done));
    EXPECT_EQ(done, 0u); // at the end: success with nothing read

    EXPECT_EQ(SetFilePointer(file, 8, FILE_BEGIN), 8u);
    ASSERT_TRUE(WriteFile(file, "!", 1, &done));
    Close(file);
    EXPECT_EQ(Content(L"data"), std::string("hello\0\0\0!", 9));
    std::int64_t size = 0;
    EXPECT_TRUE(FindFileSize(PathOf(L"data").c_str(), &size));
    EXPECT_EQ(size, 9);
}

TEST_F(Files, HandlesOnlyDoWhatTheirAccessAllows) {
    folder_.WriteFile(L"data", "abc");
    char buffer[4];
    DWORD done = 7;
    HANDLE reader = Open(L"data", kRead, kShareAll, OPEN_EXISTING);
    EXPECT_FALSE(WriteFile(reader, "x", 1, &done));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(done, 0u);
    HANDLE writer = Open(L"data", kWrite, kShareAll, OPEN_EXISTING);
    EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &done));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Content(L"data"), "abc");
}

TEST_F(Files, AClosedHandleIsInvalid) {
    HANDLE file = Open(L"data", kReadWrite, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WaitForObject(file, 0), WAIT_OBJECT_0);
    Close(file);
    DWORD done = 0;
    EXPECT_FALSE(WriteFile(file, "x", 1, &done));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(Files, FolderCreationResults) {
    const std::wstring nested = PathOf(L"a\\b\\c");
    EXPECT_EQ(CreateDirectoryWithParents(nested.c_str()), 0);
    EXPECT_TRUE(IsDirectory(nested.c_str()));
    EXPECT_EQ(CreateDirectoryWithParents(nested.c_str()), static_cast<int>(ERROR_ALREADY_EXISTS));

    const std::wstring file = folder_.WriteFile(L"plain", "x");
    EXPECT_EQ(CreateDirectoryWithParents(file.c_str()), static_cast<int>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(CreateDirectoryWithParents(L"relative\\folder"), static_cast<int>(ERROR_BAD_PATHNAME));

    EXPECT_TRUE(PathFileExists(file.c_str()));
    EXPECT_FALSE(IsDirectory(file.c_str()));
    EXPECT_TRUE(PathFileExists(nested.c_str()));
    EXPECT_FALSE(PathFileExists(PathOf(L"a\\missing").c_str()));
    EXPECT_FALSE(IsDirectory(PathOf(L"a\\missing").c_str()));
}

TEST_F(Files, SizesAndFreeSpace) {
    std::int64_t size = -1;
    EXPECT_TRUE(FindFileSize(folder_.WriteFile(L"five", "12345").c_str(), &size));
    EXPECT_EQ(size, 5);
    EXPECT_FALSE(FindFileSize(PathOf(L"missing").c_str(), &size));
    std::uint64_t free = 0;
    EXPECT_TRUE(GetDiskFreeSpace(folder_.Path().c_str(), &free));
    EXPECT_GT(free, 0u);
}

TEST_F(Files, RuntimeLibraryFiles) {
    std::FILE* out = OpenCrtFile(PathOf(L"crt").c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(std::fwrite("0123456789", 1, 10, out), 10u);
    EXPECT_EQ(std::fclose(out), 0);

    std::FILE* in = OpenCrtFile(PathOf(L"crt").c_str(), L"rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(CrtSeek64(in, 0, SEEK_END), 0);
    EXPECT_EQ(CrtTell64(in), 10);
    EXPECT_EQ(CrtSeek64(in, 4, SEEK_SET), 0);
    char buffer[8] = {};
    EXPECT_EQ(std::fread(buffer, 1, 3, in), 3u);
    EXPECT_EQ(std::string(buffer), "456");
    EXPECT_EQ(std::fclose(in), 0);

    std::FILE* appending = OpenCrtFile(PathOf(L"crt").c_str(), L"ab");
    ASSERT_NE(appending, nullptr);
    std::fputs("AB", appending);
    std::fclose(appending);
    EXPECT_EQ(Content(L"crt"), "0123456789AB");

    EXPECT_EQ(OpenCrtFile(PathOf(L"missing").c_str(), L"rb"), nullptr);
}

TEST_F(Files, ModulePathIsCutToTheBuffer) {
    wchar_t full[1024] = {};
    const DWORD length = GetModuleFileName(full, 1024);
    ASSERT_GT(length, 4u);
    EXPECT_EQ(std::wstring(full).size(), length);
    wchar_t small[4] = {};
    EXPECT_EQ(GetModuleFileName(small, 4), 4u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(Files, CurrentFolderReportsTheSizeItNeeds) {
    const DWORD needed = GetCurrentDirectory(0, nullptr);
    ASSERT_GT(needed, 1u);
    std::vector<wchar_t> buffer(needed);
    EXPECT_EQ(GetCurrentDirectory(needed, buffer.data()), needed - 1);
    EXPECT_EQ(GetCurrentDirectory(needed - 1, buffer.data()), needed);
}

} // namespace
