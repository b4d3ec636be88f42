// UTF-8 conversions with the system's substitutions and buffer rules.
#include "Platform/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace plat;

std::wstring FromUtf8(const std::string& bytes) {
    const int needed = MultiByteToWideChar(CP_UTF8, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, bytes.data(), static_cast<int>(bytes.size()), wide.data(), needed),
              needed);
    return wide;
}

std::string ToUtf8(const std::wstring& wide) {
    const int needed =
        WideCharToMultiByte(CP_UTF8, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, wide.data(), static_cast<int>(wide.size()), bytes.data(), needed,
                                  nullptr),
              needed);
    return bytes;
}

TEST(TextConversion, Utf8ToWide) {
    const struct {
        const char* bytes;
        std::wstring wide;
    } cases[] = {
        {"plain", L"plain"},
        {"\xE4\xB8\xAD\xE6\x96\x87", L"\u4E2D\u6587"}, // a 3-byte sequence is one unit
        {"\xC3\xA9", L"\u00E9"},
        {"a\xFF" "b", L"a\uFFFD" L"b"},                // a byte that never starts a sequence
        {"a\x80" "b", L"a\uFFFD" L"b"},                // a stray continuation byte
        {"\xE4\xB8" "A", L"\uFFFD" L"A"},              // a cut sequence is one substitute
        {"\xC0\xAF", L"\uFFFD\uFFFD"},                 // an overlong form
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bytes);
        EXPECT_EQ(FromUtf8(row.bytes), row.wide);
    }
}

TEST(TextConversion, WideToUtf8) {
    EXPECT_EQ(ToUtf8(L"\u4E2D\u6587 ok"), "\xE4\xB8\xAD\xE6\x96\x87 ok");
    EXPECT_EQ(ToUtf8(L"a\u00E9"), "a\xC3\xA9");
    const wchar_t unpaired[] = {L'x', static_cast<wchar_t>(0xD800), L'y', 0};
    EXPECT_EQ(ToUtf8(unpaired), "x\xEF\xBF\xBDy");
    const std::string outsideTheBasicPlane = "\xF0\x9F\x98\x80";
    EXPECT_EQ(ToUtf8(FromUtf8(outsideTheBasicPlane)), outsideTheBasicPlane);
}

TEST(TextConversion, BufferRules) {
    wchar_t wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, "abc", -1, wide, 8), 4); // the terminator counts
    EXPECT_EQ(std::wstring(wide), L"abc");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, "abcdef", 6, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, "abc", 0, wide, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    char bytes[4] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, L"\u4E2D", 1, nullptr, 0, nullptr), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, L"\u4E2D\u4E2D", 2, bytes, 4, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

} // namespace
