#include "agent/acs/Decompressor.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace acs {

namespace {

constexpr unsigned kDistanceBits[4] = {6, 9, 12, 20};
constexpr std::uint32_t kDistanceBias[4] = {1, 65, 577, 4673};
constexpr std::uint32_t kEndCode = 0xFFFFF;
constexpr unsigned kMaxLengthOnes = 11;

// Little-endian bit buffer over the stream (bit 0 of byte 1 first). The accumulator is
// refilled once per token; a token needs at most 1 + 3 + 20 + 12 + 11 = 47 bits, so after a
// refill that found 8 bytes no read in the token can run dry.
class BitReader {
public:
    BitReader(const std::uint8_t* begin, const std::uint8_t* end)
        : m_begin(begin), m_p(begin), m_end(end) {}

    void refill() {
        if (m_end - m_p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, m_p, 8);
            if constexpr (std::endian::native == std::endian::big) {
                word = byteSwap(word);
            }
            m_acc |= word << m_count;
            m_p += (63 - m_count) >> 3;
            m_count |= 56;
        } else {
            while (m_count <= 56 && m_p < m_end) {
                m_acc |= std::uint64_t{*m_p++} << m_count;
                m_count += 8;
            }
        }
    }

    // Reads w <= 32 bits; fails (sticky) when the stream runs out.
    std::uint32_t read(unsigned w) {
        if (m_count < w) {
            refill();
            if (m_count < w) {
                m_bad = true;
                m_count = 0;
                m_acc = 0;
                return 0;
            }
        }
        const auto v = static_cast<std::uint32_t>(m_acc & ((std::uint64_t{1} << w) - 1));
        m_acc >>= w;
        m_count -= w;
        return v;
    }

    // Counts 1-bits up to and including the next 0 bit, stopping after `max` + 1 ones
    // (the caller treats more than `max` as corrupt).
    unsigned countOnes(unsigned max) {
        if (m_count < max + 2) {
            refill();
        }
        const auto ones = static_cast<unsigned>(std::countr_one(m_acc));
        if (ones <= max && ones < m_count) {
            m_acc >>= ones + 1;
            m_count -= ones + 1;
            return ones;
        }
        if (ones > max && m_count > max) {
            m_acc >>= max + 1;
            m_count -= max + 1;
            return max + 1;
        }
        // The stream is running out: take the slow path.
        unsigned n = 0;
        while (read(1) == 1 && !m_bad) {
            if (++n > max) {
                return n;
            }
        }
        return n;
    }

    bool bad() const { return m_bad; }
    // Byte offset inside the block (counting the leading marker byte) of the next unread bit.
    std::size_t byteOffset() const {
        return 1 + static_cast<std::size_t>(m_p - m_begin) - m_count / 8;
    }

private:
    static std::uint64_t byteSwap(std::uint64_t v) {
        std::uint64_t r = 0;
        for (int i = 0; i < 8; ++i) {
            r = (r << 8) | (v & 0xFF);
            v >>= 8;
        }
        return r;
    }

    const std::uint8_t* m_begin;
    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
    std::uint64_t m_acc = 0;
    unsigned m_count = 0;
    bool m_bad = false;
};

Error failure(std::size_t offset, std::string detail) {
    return Error{ErrorCode::BadCompressedData, offset, std::move(detail)};
}

}  // namespace

Error decompress(std::span<const std::uint8_t> block, std::size_t expectedSize,
                 std::vector<std::uint8_t>& out, bool fillShort, std::uint8_t fillByte,
                 bool* wasShort) {
    if (wasShort) {
        *wasShort = false;
    }
    if (expectedSize > kMaxDecompressedSize) {
        return failure(0, "expected size " + std::to_string(expectedSize) + " is too large");
    }
    if (block.empty() || block[0] != 0x00) {
        return failure(0, "compressed block does not start with 00");
    }
    out.resize(expectedSize);
    std::uint8_t* const dst = out.data();
    std::size_t pos = 0;
    BitReader bits(block.data() + 1, block.data() + block.size());

    for (;;) {
        bits.refill();
        if (bits.read(1) == 0) {
            const std::uint32_t literal = bits.read(8);
            if (bits.bad()) {
                break;
            }
            if (pos == expectedSize) {
                return failure(bits.byteOffset(), "literal past the expected size");
            }
            dst[pos++] = static_cast<std::uint8_t>(literal);
            continue;
        }
        const unsigned cls = bits.countOnes(2);  // 3 means "111" with no closing 0
        const unsigned w = kDistanceBits[cls];
        const std::uint32_t v = bits.read(w);
        if (bits.bad()) {
            break;
        }
        if (cls == 3 && v == kEndCode) {
            if (pos == expectedSize) {
                return {};
            }
            if (fillShort) {
                std::fill(dst + pos, dst + expectedSize, fillByte);
                if (wasShort) {
                    *wasShort = true;
                }
                return {};
            }
            return failure(bits.byteOffset(), "output ends after " + std::to_string(pos) + " of " +
                                                  std::to_string(expectedSize) + " bytes");
        }
        const std::size_t distance = std::size_t{v} + kDistanceBias[cls];
        std::size_t length = cls == 3 ? 3 : 2;
        const unsigned u = bits.countOnes(kMaxLengthOnes);
        if (u > kMaxLengthOnes) {
            return failure(bits.byteOffset(), "length code longer than 11 bits");
        }
        length += ((std::size_t{1} << u) - 1) + bits.read(u);
        if (bits.bad()) {
            break;
        }
        if (distance > pos) {
            return failure(bits.byteOffset(), "back-reference of " + std::to_string(distance) +
                                                  " bytes before the start of the output");
        }
        if (length > expectedSize - pos) {
            return failure(bits.byteOffset(), "back-reference past the expected size");
        }
        std::uint8_t* d = dst + pos;
        const std::uint8_t* s = d - distance;
        if (distance >= length) {
            std::memcpy(d, s, length);
        } else if (distance == 1) {
            std::memset(d, *s, length);
        } else {
            // Overlapping copy: each byte may be one just written, so go one at a time.
            for (std::size_t i = 0; i < length; ++i) {
                d[i] = s[i];
            }
        }
        pos += length;
    }
    return failure(block.size(), "compressed data ends before the end code");
}

namespace {

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void write(std::uint32_t value, unsigned w) {
        m_acc |= std::uint64_t{value} << m_count;
        m_count += w;
        while (m_count >= 8) {
            m_out.push_back(static_cast<std::uint8_t>(m_acc));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    void ones(unsigned n) {
        while (n > 0) {
            const unsigned k = std::min(n, 24u);
            write((1u << k) - 1, k);
            n -= k;
        }
    }
    // Fills the last partial byte with 1-bits.
    void finish() {
        if (m_count > 0) {
            ones(8 - m_count);
        }
    }

private:
    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_acc = 0;
    unsigned m_count = 0;
};

constexpr std::size_t kMaxDistance = 4673 + kEndCode - 1;
constexpr std::size_t kMaxMatch = 3 + 4094;  // largest length of the 20-bit class
constexpr unsigned kHashBits = 15;
constexpr int kMaxChain = 48;

std::uint32_t hash3(const std::uint8_t* p) {
    const std::uint32_t v =
        std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

unsigned distanceClass(std::size_t distance) {
    if (distance <= 64) {
        return 0;
    }
    if (distance <= 576) {
        return 1;
    }
    if (distance <= 4672) {
        return 2;
    }
    return 3;
}

std::size_t baseLength(std::size_t distance) {
    return distanceClass(distance) == 3 ? 3 : 2;
}

void emitMatch(BitWriter& bits, std::size_t distance, std::size_t length) {
    const unsigned cls = distanceClass(distance);
    bits.write(1, 1);
    bits.ones(cls);
    if (cls < 3) {
        bits.write(0, 1);
    }
    bits.write(static_cast<std::uint32_t>(distance - kDistanceBias[cls]), kDistanceBits[cls]);
    const std::size_t extra = length - (cls == 3 ? 3 : 2);
    const auto u = static_cast<unsigned>(std::bit_width(extra + 1) - 1);
    bits.ones(u);
    bits.write(0, 1);
    bits.write(static_cast<std::uint32_t>(extra + 1 - (std::size_t{1} << u)), u);
}

}  // namespace

std::vector<std::uint8_t> compress(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    out.reserve(data.size() / 4 + 16);
    out.push_back(0x00);
    BitWriter bits(out);

    const std::size_t n = data.size();
    std::vector<std::int32_t> head(std::size_t{1} << kHashBits, -1);
    std::vector<std::int32_t> prev(n, -1);
    const auto insert = [&](std::size_t i) {
        if (i + 3 <= n) {
            const std::uint32_t h = hash3(&data[i]);
            prev[i] = head[h];
            head[h] = static_cast<std::int32_t>(i);
        }
    };

    std::size_t i = 0;
    while (i < n) {
        std::size_t bestLen = 0;
        std::size_t bestDist = 0;
        // Runs of one byte are the most common pattern in sprite images; try distance 1 first.
        if (i >= 1) {
            std::size_t len = 0;
            const std::size_t maxLen = std::min(n - i, kMaxMatch - 1);
            while (len < maxLen && data[i + len] == data[i - 1]) {
                ++len;
            }
            if (len >= 2) {
                bestLen = len;
                bestDist = 1;
            }
        }
        if (i + 3 <= n && bestLen < 64) {
            std::int32_t cand = head[hash3(&data[i])];
            for (int chain = 0; cand >= 0 && chain < kMaxChain; ++chain) {
                const std::size_t c = static_cast<std::size_t>(cand);
                const std::size_t dist = i - c;
                if (dist > kMaxDistance) {
                    break;
                }
                const std::size_t maxLen = std::min(n - i, baseLength(dist) + 4094);
                std::size_t len = 0;
                while (len < maxLen && data[c + len] == data[i + len]) {
                    ++len;
                }
                if (len >= baseLength(dist) && len > bestLen) {
                    bestLen = len;
                    bestDist = dist;
                }
                cand = prev[c];
            }
        }
        if (bestLen >= 2 && bestLen >= baseLength(bestDist)) {
            emitMatch(bits, bestDist, bestLen);
            for (std::size_t k = 0; k < bestLen; ++k) {
                insert(i + k);
            }
            i += bestLen;
        } else {
            bits.write(0, 1);
            bits.write(data[i], 8);
            insert(i);
            ++i;
        }
    }
    // End code: flag, the 111 prefix and twenty 1-bits; then the trailer of six FF bytes.
    bits.ones(24);
    bits.finish();
    out.insert(out.end(), 6, 0xFF);
    return out;
}

}  // namespace acs
