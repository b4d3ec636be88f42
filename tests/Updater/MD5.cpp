#include "Updater/MD5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string DigestOf(const std::string& text) {
    MD5 md5;
    md5.update(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned>(text.size()));
    md5.finalize();
    return md5.hex_digest();
}

struct Vector {
    const char* input;
    const char* digest;
};

const Vector kRfcSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(MD5, ReproducesTheReferenceSuiteInLowerCase) {
    for (const Vector& v : kRfcSuite) {
        EXPECT_EQ(DigestOf(v.input), v.digest) << '"' << v.input << '"';
    }
}

TEST(MD5, AnySplitIntoUpdatesGivesTheWholeInputsDigest) {
    std::string input;
    for (int i = 0; i < 1000; ++i) {
        input.push_back(static_cast<char>(i * 31 + 7));
    }
    const std::string whole = DigestOf(input);
    for (unsigned piece : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 127u, 999u}) {
        MD5 md5;
        for (std::size_t at = 0; at < input.size(); at += piece) {
            const std::size_t n = std::min<std::size_t>(piece, input.size() - at);
            md5.update(reinterpret_cast<const unsigned char*>(input.data() + at), static_cast<unsigned>(n));
        }
        md5.finalize();
        EXPECT_EQ(md5.hex_digest(), whole) << "pieces of " << piece;
    }
}

TEST(MD5, PaddingBoundaries) {
    // 55 bytes pad within the block; 56 bytes take the 120 - index branch (a whole extra block).
    EXPECT_EQ(DigestOf(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(DigestOf(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(DigestOf(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
}

TEST(MD5, MisuseIsReportedOnStandardErrorWithoutEffect) {
    MD5 md5;
    testing::internal::CaptureStderr();
    EXPECT_STREQ(md5.hex_digest(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "MD5::hex_digest:  Can't get digest if you haven't finalized the digest!\n");

    md5.update(reinterpret_cast<const unsigned char*>("abc"), 3);
    md5.finalize();
    testing::internal::CaptureStderr();
    md5.finalize();
    md5.update(reinterpret_cast<const unsigned char*>("x"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "MD5::finalize:  Already finalized this digest!\n"
              "MD5::update:  Can't update a finalized digest!\n");
    EXPECT_STREQ(md5.hex_digest(), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(MD5, FileFormDigestsTheWholeStreamAndClosesIt) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string content;
    for (int i = 0; i < 1025; ++i) {
        content.push_back(static_cast<char>(i % 251));
    }
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), file), content.size());
    std::rewind(file);
    MD5 fromFile(file);  // reads 1,024 then 1 byte, then closes the stream
    EXPECT_EQ(std::string(fromFile.hex_digest()), DigestOf(content));
}

} // namespace
