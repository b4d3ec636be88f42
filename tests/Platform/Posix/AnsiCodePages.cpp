// The ANSI code page of the emulated machine: 936 unless a test picks 1252 or 65001.
#include "Platform/Text.h"
#include "tests/Platform/Posix/MachineTest.h"

#include <string>

namespace {

using namespace plat;

std::string ToAnsi(const std::wstring& wide) {
    char buffer[64] = {};
    const int length = WideCharToMultiByte(CP_ACP, wide.data(), static_cast<int>(wide.size()), buffer, 64, " ");
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::wstring FromAnsi(const std::string& bytes) {
    wchar_t buffer[64] = {};
    const int length = MultiByteToWideChar(CP_ACP, bytes.data(), static_cast<int>(bytes.size()), buffer, 64);
    return std::wstring(buffer, static_cast<std::size_t>(length));
}

using AnsiCodePages = MachineTest;

TEST_F(AnsiCodePages, WideToAnsiBlanksWhatTheCodePageCannotShow) {
    const struct {
        UINT codePage;
        std::wstring wide;
        std::string bytes;
    } cases[] = {
        {936, L"\u4E2D\u6587", "\xD6\xD0\xCE\xC4"},
        {936, L"a\uAC00b", "a b"},        // a Hangul syllable is not in GBK
        {936, L"\U0001F600!", " !"},
        {1252, L"caf\u00E9 \u20AC", "caf\xE9 \x80"},
        {1252, L"\u4E2D", " "},
        {65001, L"\u4E2D", "\xE4\xB8\xAD"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.codePage);
        test::SetAnsiCodePage(row.codePage);
        EXPECT_EQ(ToAnsi(row.wide), row.bytes);
    }
}

TEST_F(AnsiCodePages, AnsiToWideMarksInvalidBytes) {
    const struct {
        UINT codePage;
        std::string bytes;
        std::wstring wide;
    } cases[] = {
        {936, "\xD6\xD0\xCE\xC4 ok", L"\u4E2D\u6587 ok"},
        {936, "a\xFF" "b", L"a?b"},
        {1252, "\xE9\x80", L"\u00E9\u20AC"},
        {1252, "\x81\x9D", L"\u0081\u009D"}, // unassigned bytes pass through as the system does
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.codePage);
        test::SetAnsiCodePage(row.codePage);
        EXPECT_EQ(FromAnsi(row.bytes), row.wide);
    }
}

TEST_F(AnsiCodePages, TheCodePageIsResetAndOnlySupportedOnesAreTaken) {
    EXPECT_EQ(GetACP(), 936u);
    test::SetAnsiCodePage(1252);
    test::SetAnsiCodePage(437);
    EXPECT_EQ(GetACP(), 1252u);
    test::ResetMachine();
    EXPECT_EQ(GetACP(), 936u);
}

TEST_F(AnsiCodePages, SizingCallGivesTheBytesNeeded) {
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, L"\u4E2Dx", 2, nullptr, 0, nullptr), 3);
    char one[1];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, L"\u4E2D", 1, one, 1, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

} // namespace
