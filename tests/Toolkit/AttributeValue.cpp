#include "Toolkit/Core/AttributeValue.h"

#include "tests/Toolkit/ToolkitFixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace SkinUI {
namespace {

TEST(AttributeValue, IntegersReadLikeStrtolAndSaturate)
{
    const std::pair<const wchar_t*, int> cases[] = {
        {L"", 0},        {L"42", 42},     {L"  -7px", -7},          {L"+3", 3},
        {L"x1", 0},      {L"-", 0},       {L"99999999999", INT_MAX}, {L"-99999999999", INT_MIN},
        {L"12,34", 12},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseInt(text), expected) << "text " << testing::PrintToString(std::wstring(text));
}

TEST(AttributeValue, PairsAndRectanglesNeverReadPastTheEnd)
{
    const std::pair<const wchar_t*, TRect> cases[] = {
        {L"", {0, 0, 0, 0}},
        {L"5", {5, 0, 0, 0}},
        {L"5,", {5, 0, 0, 0}},
        {L"1,2", {1, 2, 0, 0}},
        {L"1,2,3,4", {1, 2, 3, 4}},
        {L"-30,-30,-10,-10", {-30, -30, -10, -10}},
        {L"1;2 3x4", {1, 2, 3, 4}},      // any one character separates
        {L"1,,3,4", {1, 0, 3, 4}},       // a missing number reads as 0 and skips one character
        {L"1, 2, 3, 4", {1, 2, 3, 4}},   // leading blanks belong to the number
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseRect(text), expected) << testing::PrintToString(std::wstring(text));
    EXPECT_EQ(ParseSize(L"5"), (TSize{5, 0}));
    EXPECT_EQ(ParseSize(L"5,"), (TSize{5, 0}));
    EXPECT_EQ(ParseSize(L"540,355"), (TSize{540, 355}));
}

TEST(AttributeValue, ColoursAreHexWithOptionalHashAndBooleansExactTrue)
{
    const std::pair<const wchar_t*, TColor> colours[] = {
        {L"#FF444343", 0xFF444343u}, {L"00C0C0C0", 0x00C0C0C0u}, {L"#ff0000zz", 0xFF0000u},
        {L"", 0u},                   {L"#", 0u},                 {L"FFFFFFFFF", 0xFFFFFFFFu},
    };
    for (const auto& [text, expected] : colours)
        EXPECT_EQ(ParseColor(text), expected) << testing::PrintToString(std::wstring(text));
    EXPECT_TRUE(ParseBool(L"true"));
    for (const wchar_t* text : {L"TRUE", L"True", L"1", L"", L"true "})
        EXPECT_FALSE(ParseBool(text)) << testing::PrintToString(std::wstring(text));
}

TEST(AttributeValue, AttributeListsStopAtTheFirstMalformedPair)
{
    using TPairs = std::vector<std::pair<std::wstring, std::wstring>>;
    const std::pair<const wchar_t*, TPairs> cases[] = {
        {L"text=\"a b\" name=\"x\"", {{L"text", L"a b"}, {L"name", L"x"}}},
        {L"a=\"\" b=\"2\" ", {{L"a", L""}, {L"b", L"2"}}},
        {L"a=\"1\"  b=\"2\"", {{L"a", L"1"}}},  // two blanks end the list
        {L"a=\"1\",b=\"2\"", {{L"a", L"1"}}},
        {L"a=1 b=\"2\"", {}},
        {L"a=\"open", {}},
        {L"novalue", {}},
        {L"", {}},
    };
    for (const auto& [list, expected] : cases) {
        TPairs seen;
        ParseAttributeList(list, [&](std::wstring_view name, std::wstring_view value) {
            seen.emplace_back(name, value);
        });
        EXPECT_EQ(seen, expected) << testing::PrintToString(std::wstring(list));
    }
}

} // namespace
} // namespace SkinUI
