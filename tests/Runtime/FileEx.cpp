#include "Runtime/FileEx.h"

#include "Platform/File.h"
#include "Platform/Thread.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::TempFolder;

constexpr unsigned kRecordMode = 37025; // write, deny writing, not inherited, create and truncate, binary
constexpr unsigned kDownloadMode =
    45218; // read and write, deny writing, not inherited, create and keep, binary

std::string ReadAll(CFileEx& file) {
    file.Seek(0, plat::FILE_BEGIN);
    std::string bytes(64, '\0');
    bytes.resize(file.Read(bytes.data(), static_cast<unsigned>(bytes.size())));
    return bytes;
}

TEST(CFileEx, ModeValuesOfTheRecordAndTheDownload) {
    static_assert(kRecordMode == (CFileEx::modeWrite | CFileEx::shareDenyWrite | CFileEx::modeNoInherit |
                                  CFileEx::modeCreate | CFileEx::typeBinary));
    static_assert(kDownloadMode ==
                  (CFileEx::modeReadWrite | CFileEx::shareDenyWrite | CFileEx::modeNoInherit |
                   CFileEx::modeCreate | CFileEx::modeNoTruncate | CFileEx::typeBinary));
    const struct {
        unsigned mode;
        bool existing;
        plat::DWORD sizeAfterOpen;
    } cases[] = {
        {kRecordMode, true, 0},
        {kRecordMode, false, 0},
        {kDownloadMode, true, 11},
        {kDownloadMode, false, 0},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::wstring path = c.existing ? folder.WriteFile(L"f.bin", "old content") : folder / L"f.bin";
        CFileEx file;
        ASSERT_TRUE(file.Open(path.c_str(), c.mode, nullptr)) << c.mode;
        EXPECT_EQ(file.FileName(), path);
        EXPECT_EQ(file.SeekToEnd(), c.sizeAfterOpen) << c.mode;
        file.Write("+new", 4);

        CFileEx writer;
        CFileExException error;
        EXPECT_FALSE(writer.Open(path.c_str(), CFileEx::modeWrite | CFileEx::shareDenyNone, &error));
        EXPECT_EQ(error.osError, static_cast<std::int32_t>(plat::ERROR_SHARING_VIOLATION));
        CFileEx reader;
        ASSERT_TRUE(reader.Open(path.c_str(), CFileEx::modeRead | CFileEx::shareDenyNone, nullptr));
        EXPECT_EQ(ReadAll(reader), c.sizeAfterOpen ? "old content+new" : "+new") << c.mode;
    }
}

TEST(CFileEx, OpenFailureFillsTheErrorRecord) {
    TempFolder folder;
    const struct {
        std::wstring path;
        unsigned mode;
        std::int32_t osError;
    } cases[] = {
        {folder / L"missing.ini", CFileEx::modeRead, 2},
        {folder / L"missing.ini", kDownloadMode & ~unsigned{CFileEx::modeCreate}, 2},
        {folder / L"no\\such\\folder.ini", kRecordMode, 3},
    };
    for (const auto& c : cases) {
        CFileEx file;
        CFileExException error;
        EXPECT_FALSE(file.Open(c.path.c_str(), c.mode, &error));
        EXPECT_EQ(error.osError, c.osError);
        EXPECT_EQ(error.text, L"INVALID_HANDLE_VALUE");
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(file.Open(c.path.c_str(), c.mode, nullptr));
    }
}

TEST(CFileEx, PositionsLengthAndClose) {
    TempFolder folder;
    CFileEx file;
    ASSERT_TRUE(file.Open((folder / L"f.bin").c_str(), kDownloadMode, nullptr));
    file.Write("0123456789", 10);
    file.Write(nullptr, 0);
    EXPECT_EQ(file.GetPosition(), 10u);
    EXPECT_EQ(file.Seek(-4, plat::FILE_CURRENT), 6u);
    char two[2] = {};
    EXPECT_EQ(file.Read(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "67");
    EXPECT_EQ(file.Read(two, 0), 0u);
    file.SetLength(3);
    EXPECT_EQ(file.SeekToEnd(), 3u);
    EXPECT_EQ(ReadAll(file), "012");
    file.Flush();
    try {
        file.Seek(-1, plat::FILE_BEGIN);
        ADD_FAILURE() << "negative seek";
    } catch (const CFileExException& e) {
        EXPECT_EQ(e.osError, static_cast<std::int32_t>(plat::ERROR_NEGATIVE_SEEK));
        EXPECT_EQ(e.text, L"");
    }
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.FileName(), L"");
    EXPECT_NO_THROW(file.Close());
    EXPECT_NO_THROW(file.Flush());
    EXPECT_THROW(file.Seek(0, plat::FILE_BEGIN), CFileExException);
}

TEST(CFileEx, FailedCloseThrowsButNeverEscapesTheDestructor) {
    TempFolder folder;
    const std::wstring path = folder / L"f.bin";
    {
        CFileEx file;
        ASSERT_TRUE(file.Open(path.c_str(), kRecordMode, nullptr));
        ASSERT_TRUE(plat::CloseHandle(file.Handle())); // behind its back: its own close now fails
        try {
            file.Close();
            ADD_FAILURE() << "close of a dead handle";
        } catch (const CFileExException& e) {
            EXPECT_EQ(e.osError, static_cast<std::int32_t>(plat::ERROR_INVALID_HANDLE));
        }
        EXPECT_FALSE(file.IsOpen());
    }
    EXPECT_NO_THROW({
        CFileEx file;
        ASSERT_TRUE(file.Open(path.c_str(), kRecordMode, nullptr));
        plat::CloseHandle(file.Handle());
    });
    CFileEx aborted;
    ASSERT_TRUE(aborted.Open(path.c_str(), kRecordMode, nullptr));
    plat::CloseHandle(aborted.Handle());
    EXPECT_NO_THROW(aborted.Abort());
    EXPECT_FALSE(aborted.IsOpen());
    EXPECT_EQ(aborted.FileName(), L"");
}

} // namespace
