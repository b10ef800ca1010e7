#include "bytes/Colour.h"
#include "bytes/Reader.h"
#include "bytes/Riff.h"
#include "bytes/Writer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace bytes;

TEST(Reader, FirstFailureSticksWithItsOffset) {
    const std::vector<std::uint8_t> file{0, 0, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 9};
    Reader r(file, 2, 9);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.u32(), 0x12345678u);
    EXPECT_EQ(r.u16(), 0) << "one byte left";
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, ErrorCode::Truncated);
    EXPECT_EQ(r.error().offset, 8u) << "absolute file offset";
    EXPECT_EQ(r.u8(), 0) << "nothing is read after a failure, not even what is there";
    r.failAt(ErrorCode::BadValue, 1, "later");
    EXPECT_EQ(r.error().code, ErrorCode::Truncated);

    Reader outside(file, 4, 10);
    EXPECT_EQ(outside.error().code, ErrorCode::BadLocator);
    EXPECT_EQ(outside.u8(), 0);
}

TEST(Reader, CountsAreCheckedBeforeAllocation) {
    const std::vector<std::uint8_t> file(16);
    Reader r(file);
    EXPECT_TRUE(r.checkCount(4, 4, 100, "records"));
    EXPECT_TRUE(r.checkCount(1'000'000, 0, 1'000'000, "empty records"));
    EXPECT_FALSE(r.checkCount(5, 4, 100, "records"));
    EXPECT_EQ(r.error().code, ErrorCode::LimitExceeded);
    Reader limited(file);
    EXPECT_FALSE(limited.checkCount(3, 1, 2, "records"));
    EXPECT_TRUE(locatorFits(10, 6, 16));
    EXPECT_FALSE(locatorFits(10, 7, 16));
    EXPECT_FALSE(locatorFits(~0ull, 2, 16));
}

TEST(Writer, ChunksArePaddedAndSizesClamped) {
    Writer w;
    const std::size_t riff = w.openChunk("RIFF", "WAVE");
    const std::size_t data = w.openChunk("data");
    w.u8(7);
    w.closeChunk(data);
    w.closeChunk(riff);
    EXPECT_EQ(w.data(), (std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 14,  0, 0, 0, 'W', 'A', 'V',
                                                   'E', 'd', 'a', 't', 'a', 1, 0, 0, 0,   7,   0}));
    EXPECT_TRUE(w.ok());
    if constexpr (sizeof(std::size_t) > 4) {
        w.size32(std::size_t{1} << 32);
        EXPECT_FALSE(w.ok());
        EXPECT_EQ(w.error().code, ErrorCode::LimitExceeded);
        EXPECT_EQ(le32(w.data(), w.pos() - 4), 0xFFFFFFFFu);
    }
}

TEST(ChunkWalker, NeverLeavesItsParent) {
    Writer w;
    const std::size_t a = w.openChunk("fmt ");
    w.raw(std::vector<std::uint8_t>{1, 2, 3});
    w.closeChunk(a);
    const std::size_t odd = w.pos();
    w.openChunk("data");
    w.raw(std::vector<std::uint8_t>{4, 5});
    std::vector<std::uint8_t> file = w.take();
    file[odd + 4] = 200;  // the data chunk claims more than there is

    struct Case {
        ChunkWalker::Overrun overrun;
        std::vector<std::uint32_t> ids;
        std::size_t lastSize;
    };
    for (const Case& c : {Case{ChunkWalker::Overrun::Stop, {riff::kFmt}, 3},
                          Case{ChunkWalker::Overrun::Clip, {riff::kFmt, riff::kData}, 2}}) {
        ChunkWalker walker(file, 0, file.size(), c.overrun);
        std::vector<std::uint32_t> ids;
        Chunk chunk;
        std::size_t lastSize = 0;
        while (walker.next(chunk)) {
            ids.push_back(chunk.id);
            lastSize = chunk.size;
            ASSERT_LE(chunk.data + chunk.size, file.size());
        }
        EXPECT_EQ(ids, c.ids);
        EXPECT_EQ(lastSize, c.lastSize);
        EXPECT_EQ(walker.overranAt(), odd);
    }
    // The pad byte after the odd chunk was skipped: the second chunk starts at an even offset.
    EXPECT_EQ(odd, 12u);
    // A tail shorter than a chunk header is an overrun too.
    ChunkWalker tail(file, 0, 13);
    Chunk chunk;
    EXPECT_TRUE(tail.next(chunk));
    EXPECT_FALSE(tail.next(chunk));
    EXPECT_EQ(tail.overranAt(), 12u);
}

TEST(FourCc, ReadsInFileOrderAndPrintsSafely) {
    EXPECT_EQ(fourcc("RIFF"), 0x46464952u);
    EXPECT_EQ(fourccText(fourcc("H264")), "'H264'");
    EXPECT_EQ(fourccText(0x01000000u), "0x01000000");
}

TEST(Colour, NearestHonoursStartWeightsAndTies) {
    const std::vector<Rgb> palette{{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {10, 0, 0}};
    EXPECT_EQ(nearestColour(palette, {9, 1, 0}), 1u) << "ties go to the lowest index";
    EXPECT_EQ(nearestColour(palette, {1, 0, 0}, 1), 1u) << "entries before `first` are skipped";
    // Green counts more than blue when weighted.
    const std::vector<Rgb> greenOrBlue{{0, 5, 0}, {0, 0, 6}};
    EXPECT_EQ(nearestColour(greenOrBlue, {0, 0, 0}), 0u);
    EXPECT_EQ(nearestColour(greenOrBlue, {0, 0, 0}, 0, kPerceptualWeights), 1u);
    EXPECT_EQ(nearestColour({}, {1, 2, 3}, 0), 0u);
}

TEST(Error, NamesAreDistinctAndDescribed) {
    std::set<std::string> names;
    for (int code = 0; code <= static_cast<int>(ErrorCode::EmptyClip); ++code) {
        names.insert(errorCodeName(static_cast<ErrorCode>(code)));
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(ErrorCode::EmptyClip) + 1);
    const Error e{ErrorCode::NotAvi, 12, "no RIFF header"};
    EXPECT_EQ(describe(e), "not-avi at offset 12: no RIFF header");
    EXPECT_EQ(e.message(), "offset 0xc: no RIFF header");
}
