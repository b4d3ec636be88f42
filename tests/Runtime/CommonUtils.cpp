#include "Runtime/CommonUtils.h"

#include "Platform/File.h"
#include "Platform/Thread.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempFolder;

TEST(FormatSize, UnitBoundaries) {
    const struct {
        std::uint64_t bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0B"},
        {999, L"999B"},
        {1000, L"0.98KB"},
        {1536, L"1.50KB"},
        {1023999, L"1000.00KB"},
        {1024000, L"0.98MB"},
        {1048576, L"1.00MB"},
        {1572864, L"1.50MB"},
        {1073741824ull, L"1.00GB"},
        {1099511627776ull, L"1.00TB"},
        {1024ull * 1099511627776ull, L"1024.00TB"},
        {~0ull, L"16777216.00TB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
    }
}

TEST(ParentFolder, Cases) {
    const struct {
        const wchar_t* path;
        const wchar_t* parent;
    } cases[] = {
        {L"", L""},
        {L"launcher.exe", L""},
        {L"C:/A/B/launcher.exe", L"C:\\A\\B"},
        {L"C:\\A\\B\\", L"C:\\A"},
        {L"C:\\A\\B", L"C:\\A"},
        {L"C:\\", L""},
        {L"C:\\A", L"C:"},
        {L"\\", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParentFolder(c.path), c.parent) << '"' << testing::PrintToString(std::wstring(c.path)) << '"';
    }
}

TEST(TextBeforeLast, MatchesTheWholeSeparatorAtItsLastOccurrence) {
    EXPECT_EQ(TextBeforeLast(L"pminstaller_1.0.tmp", L".tmp"), L"pminstaller_1.0");
    EXPECT_EQ(TextBeforeLast(L"a.b.c", L"."), L"a.b");
    EXPECT_EQ(TextBeforeLast(L"abc", L"x"), L"abc");
    EXPECT_EQ(TextBeforeLast(L"a--b--c", L"--"), L"a--b");
}

TEST(CreateDir, ExistingFolderAndMissingParents) {
    TempFolder temp;
    EXPECT_TRUE(CreateDir(temp.Path()));
    const std::wstring nested = temp / L"x\\y\\z";
    EXPECT_TRUE(CreateDir(nested));
    EXPECT_TRUE(plat::IsDirectory(nested.c_str()));
}

TEST(CreateDir, FailsWhenAFileStandsInTheWay) {
    TempFolder temp;
    const std::wstring file = temp.WriteFile(L"blocker", "x");
    EXPECT_FALSE(CreateDir(file + L"\\below"));
}

TEST(RemoveFile, MissingOpenAndPlainFiles) {
    TempFolder temp;
    EXPECT_TRUE(RemoveFile(temp / L"missing.bin"));

    const std::wstring path = temp.WriteFile(L"held.bin", "data");
    plat::HANDLE held = plat::CreateFile(path.c_str(), plat::GENERIC_READ, 0, false, plat::OPEN_EXISTING);
    ASSERT_NE(held, plat::INVALID_HANDLE_VALUE);
    EXPECT_FALSE(RemoveFile(path));
    plat::CloseHandle(held);

    EXPECT_TRUE(RemoveFile(path));
    EXPECT_FALSE(plat::PathFileExists(path.c_str()));
}

TEST(MoveFileReplacing, ReplacesTheTargetAndRefusesAMissingSource) {
    TempFolder temp;
    const std::wstring from = temp.WriteFile(L"from.tmp", "new");
    const std::wstring to = temp.WriteFile(L"to.exe", "old content");
    EXPECT_TRUE(MoveFileReplacing(from, to));
    EXPECT_EQ(TempFolder::ReadFile(to), "new");
    EXPECT_FALSE(plat::PathFileExists(from.c_str()));
    EXPECT_FALSE(MoveFileReplacing(from, to));
}

TEST(FileSize, ReadsOpenFilesAndFallsBackToTheDirectoryEntry) {
    TempFolder temp;
    EXPECT_EQ(FileSize(temp / L"missing"), -1);
    const std::wstring path = temp.WriteFile(L"five.bin", "12345");
    EXPECT_EQ(FileSize(path), 5);

    // Exclusively held: the runtime open fails, the directory entry still has the size.
    plat::HANDLE held = plat::CreateFile(path.c_str(), plat::GENERIC_READ, 0, false, plat::OPEN_EXISTING);
    ASSERT_NE(held, plat::INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileSize(path), 5);
    plat::CloseHandle(held);
}

TEST(GetModuleFolder, IsTheExecutablesFolderWithoutSeparator) {
    const std::wstring folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(plat::IsDirectory(folder.c_str()));
}

} // namespace
