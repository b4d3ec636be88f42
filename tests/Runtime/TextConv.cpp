#include "Runtime/TextConv.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConv, Utf8RoundTrips) {
    const struct {
        std::string utf8;
        std::wstring wide;
    } cases[] = {
        {"", L""},
        {"C:\\a\\b.ini", L"C:\\a\\b.ini"},
        {"\xE4\xB8\xAD", L"中"},
        {"\xE6\xB2\x9B\xE5\xA2\xA8\xE6\x98\x9F\xE5\x8C\xA3", L"沛墨星匣"},
        {"\xF0\x9F\x98\x80", L"\U0001F600"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.utf8;
    }
}

TEST(TextConv, Utf8ToWideSubstitutesInvalidBytesAndKeepsOneUnitPerThreeByteSequence) {
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide("\xE4\xB8\xAD").size(), 1u);
}

TEST(TextConv, AsciiPassesThroughTheAnsiCodePage) {
    EXPECT_EQ(AnsiToWide("http://127.0.0.1:8080/a?b=1"), L"http://127.0.0.1:8080/a?b=1");
    EXPECT_EQ(WideToAnsi(L"http://127.0.0.1:8080/a?b=1"), "http://127.0.0.1:8080/a?b=1");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
}

TEST(TextConv, Trim) {
    const struct {
        const wchar_t* text;
        const wchar_t* trimmed;
    } cases[] = {
        {L"", L""},     {L"   ", L""},         {L" a b ", L"a b"}, {L"\t\r\n x\r\n", L"x"},
        {L"ab", L"ab"}, {L"中 文 ", L"中 文"},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        Trim(text);
        EXPECT_EQ(text, c.trimmed) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(TextConv, ToLowerChangesAsciiLettersOnly) {
    EXPECT_EQ(ToLower(L"Content-Length: 10 XyZ"), L"content-length: 10 xyz");
    EXPECT_EQ(ToLower(L"中A"), L"中a");
    EXPECT_EQ(ToLower(L""), L"");
}

} // namespace
