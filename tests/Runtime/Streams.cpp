#include "Runtime/Streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t MiB = 1024 * KiB;

TEST(OBufferStream, GrowsByDoublingAndRestartsSmallAfterClose) {
    const struct {
        bool closeFirst;
        std::vector<std::uint64_t> writes;
        std::uint64_t capacity;
    } cases[] = {
        {false, {}, 2 * MiB},
        {false, {2 * MiB - 10}, 2 * MiB},
        {false, {2 * MiB - 9}, 4 * MiB},
        {false, {3 * MiB}, 4 * MiB},
        {false, {MiB + MiB / 2, MiB}, 4 * MiB},
        {true, {}, 0},
        {true, {1}, 512 * KiB},
        {true, {10 * MiB}, 16 * MiB},
        {true, {300 * KiB, 300 * KiB}, 1 * MiB},
    };
    for (const auto& c : cases) {
        OBufferStream stream;
        if (c.closeFirst) {
            stream.Close();
        }
        std::uint64_t total = 0;
        for (const std::uint64_t n : c.writes) {
            const std::vector<unsigned char> bytes(n, static_cast<unsigned char>(total % 251));
            EXPECT_EQ(stream.Write(bytes.data(), static_cast<unsigned>(n)), static_cast<int>(n));
            total += n;
        }
        EXPECT_EQ(stream.Capacity(), c.capacity) << testing::PrintToString(c.writes);
        EXPECT_EQ(stream.Length(), total);
        if (c.writes.size() == 2) {
            EXPECT_EQ(stream.Data()[c.writes[0] - 1], 0);
            EXPECT_EQ(stream.Data()[c.writes[0]], static_cast<unsigned char>(c.writes[0] % 251));
        }
        stream.Close();
    }
}

TEST(OBufferStream, CloseAndClearDiscardEverything) {
    for (const bool useClear : {false, true}) {
        OBufferStream stream;
        stream.Write("abc", 3);
        if (useClear) {
            stream.Clear();
        } else {
            stream.Close();
        }
        EXPECT_EQ(stream.Length(), 0u);
        EXPECT_EQ(stream.Capacity(), 0u);
        EXPECT_EQ(stream.Data(), nullptr);
        EXPECT_EQ(stream.Write("de", 2), 2);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Data()), 2), "de");
        EXPECT_EQ(stream.ErrorCode(), 0);
        EXPECT_EQ(stream.ErrorType(), 0);
    }
}

TEST(IBufferStream, ReadsWholeRequestsOnly) {
    const unsigned char source[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    IBufferStream stream(sizeof source, source);
    const struct {
        unsigned n;
        int result;
        unsigned position;
    } reads[] = {{4, 4, 4}, {4, 4, 8}, {4, -1, 8}, {2, 2, 10}, {1, 0, 10}};
    unsigned char out[4] = {};
    for (const auto& r : reads) {
        std::fill(std::begin(out), std::end(out), 0xEE);
        EXPECT_EQ(stream.Read(out, r.n), r.result) << r.n << " at " << stream.Position();
        EXPECT_EQ(stream.Position(), r.position);
        if (r.result > 0) {
            EXPECT_EQ(out[0], r.position - r.n);
        } else {
            EXPECT_EQ(out[0], 0xEE);
        }
    }
    EXPECT_EQ(stream.Size(), 10u);
    stream.Close();
    EXPECT_EQ(stream.Size(), 0u);
    EXPECT_EQ(stream.Read(out, 1), 0);
}

TEST(IBufferStream, KeepsItsOwnCopy) {
    unsigned char source[3] = {'a', 'b', 'c'};
    IBufferStream stream(sizeof source, source);
    source[0] = 'x';
    unsigned char out[3] = {};
    ASSERT_EQ(stream.Read(out, 3), 3);
    EXPECT_EQ(out[0], 'a');
}

} // namespace
