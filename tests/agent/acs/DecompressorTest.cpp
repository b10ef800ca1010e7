#include "agent/acs/Decompressor.h"

#include <gtest/gtest.h>

#include <random>

namespace acs {
namespace {

using Bytes = std::vector<std::uint8_t>;

// `size` zero bytes but for the (offset, value) pairs given.
Bytes sparse(std::size_t size, std::initializer_list<std::pair<std::size_t, std::uint8_t>> set) {
    Bytes b(size, 0);
    for (const auto& [at, v] : set) {
        b[at] = v;
    }
    return b;
}

TEST(Decompressor, WorkedRegionVector) {
    const Bytes in = {0x00, 0x40, 0x00, 0x04, 0x10, 0xD0, 0x90, 0x80, 0x42, 0xED,
                      0x98, 0x01, 0xB7, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    Bytes out;
    ASSERT_FALSE(decompress(in, 32, out));
    EXPECT_EQ(out, sparse(32, {{0, 0x20}, {4, 0x01}, {12, 0xA8}}));
}

TEST(Decompressor, AllDistanceClassesAndLongLengths) {
    const Bytes in = {0x00, 0x34, 0x01, 0x04, 0xFC, 0x5F, 0xE7, 0xF1, 0x01, 0x08, 0xF8,
                      0x2F, 0x30, 0x1F, 0x00, 0x01, 0xBF, 0x70, 0x23, 0x5C, 0x6A, 0xF4,
                      0x9B, 0x02, 0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const Bytes expected = sparse(
        5010, {{0, 0x9A}, {4000, 0x7C}, {4900, 0x3E}, {5000, 0x3E}, {5002, 0x7C}, {5006, 0x9A}});
    Bytes out;
    ASSERT_FALSE(decompress(in, 5010, out));
    EXPECT_EQ(out, expected);
    // One byte more expected than the stream gives is an error, not silent padding...
    EXPECT_EQ(decompress(in, 5011, out).code, ErrorCode::BadCompressedData);
    // ...unless the caller asks for padding.
    bool wasShort = false;
    ASSERT_FALSE(decompress(in, 5011, out, true, 0x55, &wasShort));
    EXPECT_TRUE(wasShort);
    EXPECT_EQ(out[5010], 0x55);
}

TEST(Decompressor, RejectsBrokenStreams) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> in;
        std::size_t expected;
    };
    const Case cases[] = {
        {"empty block", {}, 0},
        {"marker not 00", Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF}, 0},
        {"no end code", Bytes{0x00, 0x40, 0x00}, 2},
        {"reference before the start", Bytes{0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, 4},
        // literal 0x20, literal 0x00, copy 1x2 where only 3 bytes are expected
        {"output past the expected size",
         Bytes{0x00, 0x40, 0x00, 0x04, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 3},
        {"twelve-bit length code",
         Bytes{0x00, 0x40, 0x00, 0xF4, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 5000},
        {"literal past the expected size", Bytes{0x00, 0x40, 0x00, 0xFF, 0xFF, 0xFF}, 1},
        {"expected size over the limit", Bytes{0x00, 0xFF, 0xFF, 0xFF}, kMaxDecompressedSize + 1},
    };
    for (const Case& c : cases) {
        Bytes out;
        EXPECT_EQ(decompress(c.in, c.expected, out).code, ErrorCode::BadCompressedData) << c.what;
    }
}

TEST(Decompressor, CompressRoundTrips) {
    std::mt19937 rng(7);
    Bytes random(20000), far(12000);
    for (auto& b : random) {
        b = static_cast<std::uint8_t>(rng() % 4);
    }
    for (auto& b : far) {
        b = static_cast<std::uint8_t>(rng());
    }
    // A block repeated 6000 bytes later needs the 20-bit distance class.
    std::copy(far.begin(), far.begin() + 3000, far.begin() + 6000);
    for (const Bytes& in : {Bytes{}, Bytes{42}, Bytes{1, 1}, Bytes(9000, 0), random, far}) {
        const auto packed = compress(in);
        EXPECT_EQ(packed, compress(in));
        Bytes out;
        ASSERT_FALSE(decompress(packed, in.size(), out)) << in.size();
        EXPECT_EQ(out, in);
    }
    EXPECT_LT(compress(Bytes(9000, 0)).size(), 40u);
}

}  // namespace
}  // namespace acs
