#include "Runtime/TextConv.h"

#include "Platform/Posix/TestDesktop.h"

#include <gtest/gtest.h>

namespace {

class TextConvCodePage : public testing::Test {
protected:
    void SetUp() override { plat::test::SetAnsiCodePage(936); }
    void TearDown() override { plat::test::ResetMachine(); }
};

TEST_F(TextConvCodePage, ChineseCodePage) {
    EXPECT_EQ(WideToAnsi(L"中a"), "\xD6\xD0"
                                  "a");
    EXPECT_EQ(AnsiToWide("\xD6\xD0"
                         "a"),
              L"中a");
}

TEST_F(TextConvCodePage, UnrepresentableCharacterBecomesABlank) {
    EXPECT_EQ(WideToAnsi(L"a\u0E01b"), "a b");
}

TEST_F(TextConvCodePage, Utf8CodePageHasNoDefaultCharacter) {
    plat::test::SetAnsiCodePage(65001);
    EXPECT_EQ(WideToAnsi(L"中\u0E01"), "\xE4\xB8\xAD\xE0\xB8\x81");
}

} // namespace
