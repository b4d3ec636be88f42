#include "Runtime/FormatString.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct Case {
    std::wstring actual;
    const wchar_t* expected;
};

void ExpectAll(std::initializer_list<Case> cases) {
    int row = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(c.actual, c.expected) << "row " << row;
        ++row;
    }
}

TEST(FormatString, Strings) {
    const std::wstring wide = L"b.ini";
    const std::string narrow = "narrow";
    const wchar_t* missing = nullptr;
    ExpectAll({
        {FormatString(L"%s\\%s", L"C:\\a", wide), L"C:\\a\\b.ini"},
        {FormatString(L"[%4s]", L"INFO"), L"[INFO]"},
        {FormatString(L"[%4s]", L"ab"), L"[  ab]"},
        {FormatString(L"[%-8s]", L"ab"), L"[ab      ]"},
        {FormatString(L"[%.2s]", L"abcd"), L"[ab]"},
        {FormatString(L"[%6.3s]", L"abcd"), L"[   abc]"},
        {FormatString(L"%s|%S|%hs|%ls|%ws", narrow, "c", "hs", L"ls", L"ws"), L"narrow|c|hs|ls|ws"},
        {FormatString(L"路径：%s", L"D:\\沛墨网络"), L"路径：D:\\沛墨网络"},
        {FormatString(L"%s", missing), L"(null)"},
        {FormatString(L"%c%c%C", L'A', 0x4E2D, 'z'), L"A中z"},
        {FormatString(L"[%3c]", L'x'), L"[  x]"},
    });
}

TEST(FormatString, Integers) {
    const std::int64_t big = 10000000000LL;
    ExpectAll({
        {FormatString(L"%d %i %d", 5, -5, 0), L"5 -5 0"},
        {FormatString(L"%u", -1), L"4294967295"},
        {FormatString(L"%x %X %o", 255, 255, 8), L"ff FF 10"},
        {FormatString(L"%02x%02x", 5, 0xab), L"05ab"},
        {FormatString(L"%08X", 0xBEEFu), L"0000BEEF"},
        {FormatString(L"%#x %#X %#o %#x", 255, 255, 8, 0), L"0xff 0XFF 010 0"},
        {FormatString(L"[%5d][%-5d][%05d][%+d][% d]", 42, 42, -42, 5, 5), L"[   42][42   ][-0042][+5][ 5]"},
        {FormatString(L"[%.3d][%.0d][%5.3d]", 7, 0, -7), L"[007][][ -007]"},
        {FormatString(L"%ld %lu", -7L, 7UL), L"-7 7"},
        {FormatString(L"%lld", std::numeric_limits<std::int64_t>::min()), L"-9223372036854775808"},
        {FormatString(L"%llu", std::numeric_limits<std::uint64_t>::max()), L"18446744073709551615"},
        {FormatString(L"%I64d %I64u %I64x", -big, big, 0x1234567890LL),
         L"-10000000000 10000000000 1234567890"},
        {FormatString(L"%I64u", -1), L"18446744073709551615"},
        {FormatString(L"%I32d %zu %Iu", -3, std::size_t{9}, std::size_t{10}), L"-3 9 10"},
        // A value wider than the conversion is cut to it, as a C argument of that type would be.
        {FormatString(L"%d %hd %hhu", big, 70000, 300), L"1410065408 4464 44"},
        {FormatString(L"[%*d][%-*d]", 4, 7, 3, 7), L"[   7][7  ]"},
        {FormatString(L"%d %u", true, static_cast<unsigned char>(200)), L"1 200"},
    });
}

TEST(FormatString, Reals) {
    ExpectAll({
        {FormatString(L"%.2f", 3.14159), L"3.14"},
        {FormatString(L"%f", 1.5), L"1.500000"},
        {FormatString(L"%.2f%%", 90.0), L"90.00%"},
        {FormatString(L"%.0f", 2.6), L"3"},
        {FormatString(L"%e %E", 12345.678, 12345.678), L"1.234568e+04 1.234568E+04"},
        {FormatString(L"%g %g %g", 0.0001, 1e-5, 123456789.0), L"0.0001 1e-05 1.23457e+08"},
        {FormatString(L"[%08.2f][%-8.1f][%+.1f]", -3.5, 2.25, 1.0), L"[-0003.50][2.2     ][+1.0]"},
        {FormatString(L"%.*f", 1, 2.26), L"2.3"},
        {FormatString(L"%.2f", 3), L"3.00"},
        {FormatString(L"%5.1f", 1.0f), L"  1.0"},
    });
}

TEST(FormatString, PercentPointerAndOddFormats) {
    const void* pointer = reinterpret_cast<const void*>(std::uintptr_t{0x1234});
    const std::wstring pointerText = std::wstring(2 * sizeof(void*) - 4, L'0') + L"1234";
    ExpectAll({
        {FormatString(L"100%%"), L"100%"},
        {FormatString(L"%p", pointer), pointerText.c_str()},
        {FormatString(L"plain"), L"plain"},
        {FormatString(nullptr, 1), L""},
        {FormatString(L"tail %"), L"tail %"},
        {FormatString(L"%y%d", 3), L"%y3"},
        {FormatString(L"%n%d", 1, 2), L"2"},
    });
}

TEST(FormatString, MissingOrMismatchedArgumentsNeverCrash) {
    ExpectAll({
        {FormatString(L"%d and %s"), L" and "},
        {FormatString(L"%d and [%5s]", 1), L"1 and []"},
        {FormatString(L"%d", L"text"), L"text"},
        {FormatString(L"%x", "narrow"), L"narrow"},
        {FormatString(L"%s|%s", 42, -1LL), L"42|-1"},
        {FormatString(L"%s", 0.5), L"0.5"},
        {FormatString(L"%d", 3.99), L"3"},
        {FormatString(L"%d", 1, 2, 3), L"1"},
    });
}

TEST(FormatString, LongExpansionIsWhole) {
    const std::wstring text(100000, L'x');
    const std::wstring out = FormatString(L"<%s>", text);
    ASSERT_EQ(out.size(), 100002u);
    EXPECT_EQ(out.substr(1, 100000), text);
}

} // namespace
