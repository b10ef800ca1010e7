#include "clip/Rle8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

namespace clip {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Rle8, DecodesRunsAbsoluteRunsDeltasAndDeltaFrames) {
    Bytes canvas(18, 0);
    const Bytes frame0 = {0x02, 0x0A, 0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x01, 0x0B,
                          0x00, 0x00, 0x00, 0x02, 0x03, 0x01, 0x03, 0x0C, 0x00, 0x01};
    ASSERT_TRUE(decodeRle8(frame0, canvas.data(), 6, 3));
    EXPECT_EQ(canvas, (Bytes{0, 0, 0, 0x0C, 0x0C, 0x0C,  //
                             0, 0, 0, 0, 0, 0,           //
                             0x0A, 0x0A, 1, 2, 3, 0x0B}));
    const Bytes frame1 = {0x00, 0x02, 0x01, 0x00, 0x01, 0xFF, 0x00, 0x01};
    ASSERT_TRUE(decodeRle8(frame1, canvas.data(), 6, 3));
    EXPECT_EQ(canvas, (Bytes{0, 0, 0, 0x0C, 0x0C, 0x0C,  //
                             0, 0, 0, 0, 0, 0,           //
                             0x0A, 0xFF, 1, 2, 3, 0x0B}));
}

// Commands that point outside the picture are clipped; the guard bytes around the 4 x 2
// canvas must never be touched.
TEST(Rle8, ClipsEverythingOutsideThePicture) {
    // Name, data, the picture (top row first).
    const std::vector<std::tuple<const char*, Bytes, Bytes>> cases = {
        {"run past row end", {0x06, 0x07, 0x00, 0x01}, {0, 0, 0, 0, 7, 7, 7, 7}},
        {"absolute past row end", {0x00, 0x05, 1, 2, 3, 4, 5, 0x00}, {0, 0, 0, 0, 1, 2, 3, 4}},
        {"delta beyond top", {0x00, 0x02, 0x00, 0x05, 0x02, 0x09}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"delta right then run", {0x00, 0x02, 0xFF, 0x00, 0x02, 0x09}, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"rows beyond top", {0x01, 1, 0, 0, 0x01, 2, 0, 0, 0xFF, 3}, {2, 0, 0, 0, 1, 0, 0, 0}},
        {"no end of frame", {0x02, 0x04}, {0, 0, 0, 0, 4, 4, 0, 0}},
        {"odd trailing byte", {0x01, 0x04, 0x07}, {0, 0, 0, 0, 4, 0, 0, 0}},
    };
    for (const auto& [name, data, expected] : cases) {
        Bytes buffer(8 + 16, 0xEE);
        std::uint8_t* canvas = buffer.data() + 8;
        std::fill(canvas, canvas + 8, 0);
        EXPECT_TRUE(decodeRle8(data, canvas, 4, 2)) << name;
        EXPECT_EQ(Bytes(canvas, canvas + 8), expected) << name;
        // The picture holds no 0xEE, so these are the 16 guard bytes.
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xEE), 16) << name;
    }
}

TEST(Rle8, DataEndingInsideACommandIsMalformed) {
    const std::vector<Bytes> broken = {
        {0x00, 0x03, 0x01, 0x02},  // absolute run of 3 with 2 bytes
        {0x00, 0x02, 0x01},        // delta without dy
        {0x00, 0x02},              // delta without dx, dy
    };
    for (const Bytes& b : broken) {
        Bytes canvas(8, 0);
        EXPECT_FALSE(decodeRle8(b, canvas.data(), 4, 2));
        EXPECT_FALSE(isWellFormedRle8(b));
    }
    EXPECT_TRUE(isWellFormedRle8(Bytes{}));
    EXPECT_TRUE(isWellFormedRle8(Bytes{0x00, 0x01, 0x00, 0x03}));  // nothing read after the end
}

// Deterministic pseudo-random pictures with long runs, noise and unchanged areas, in sizes that
// force runs and deltas over 255 pixels and 255 rows.
Bytes picture(std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
    Bytes img(std::size_t{w} * h);
    std::uint32_t s = seed;
    for (std::size_t i = 0; i < img.size(); ++i) {
        s = s * 1103515245U + 12345U;
        const std::uint32_t r = s >> 16;
        img[i] = (r % 4 == 0) ? static_cast<std::uint8_t>(r >> 4) : img[i == 0 ? 0 : i - 1];
    }
    return img;
}

TEST(Rle8, EncoderRoundTripsKeyAndDeltaFrames) {
    for (auto [w, h] : {std::pair{1U, 1U}, {7U, 3U}, {600U, 4U}, {5U, 600U}}) {
        const Bytes a = picture(w, h, 1);
        Bytes b = a;
        // A delta frame that changes a few isolated pixels far apart, and one at the far end.
        for (const std::size_t i : {std::size_t{0}, b.size() - 1, b.size() / 2})
            b[i] ^= 1;
        Bytes canvas(a.size(), 0);
        ASSERT_TRUE(decodeRle8(encodeRle8({}, a, w, h), canvas.data(), w, h));
        EXPECT_EQ(canvas, a) << w << "x" << h;
        const Bytes delta = encodeRle8(a, b, w, h);
        ASSERT_TRUE(decodeRle8(delta, canvas.data(), w, h));
        EXPECT_EQ(canvas, b) << w << "x" << h;
        const Bytes c = picture(w, h, 2);
        ASSERT_TRUE(decodeRle8(encodeRle8(b, c, w, h), canvas.data(), w, h));
        EXPECT_EQ(canvas, c) << w << "x" << h;
        EXPECT_TRUE(encodeRle8(c, c, w, h).empty());
    }
}

}  // namespace
}  // namespace clip
