#include "clip/Rle8.h"

#include <algorithm>
#include <cstring>

namespace clip {
namespace {

// Walks the BI_RLE8 command stream and hands every run to `sink`. The position is counted
// from the bottom-left pixel in 64 bits: deltas can push it far past the picture, and a long
// hostile stream must not wrap it back into range.
template <class Sink>
bool walkRle8(std::span<const std::uint8_t> d, Sink& sink) {
    std::size_t i = 0;
    std::uint64_t x = 0;
    std::uint64_t row = 0;
    while (d.size() - i >= 2) {
        const std::uint8_t a = d[i];
        const std::uint8_t b = d[i + 1];
        i += 2;
        if (a > 0) {
            sink.fill(x, row, a, b);
            x += a;
        } else if (b == 0) {
            x = 0;
            ++row;
        } else if (b == 1) {
            return true;
        } else if (b == 2) {
            if (d.size() - i < 2)
                return false;
            x += d[i];
            row += d[i + 1];
            i += 2;
        } else {
            if (d.size() - i < b)
                return false;
            sink.copy(x, row, d.subspan(i, b));
            x += b;
            i += b;
            // Odd absolute runs are padded so the next command starts on an even offset.
            if ((b & 1) != 0 && i < d.size())
                ++i;
        }
    }
    return true;
}

struct NullSink {
    void fill(std::uint64_t, std::uint64_t, std::size_t, std::uint8_t) {}
    void copy(std::uint64_t, std::uint64_t, std::span<const std::uint8_t>) {}
};

struct CanvasSink {
    std::uint8_t* canvas;
    std::uint32_t width;
    std::uint32_t height;

    // Returns the first pixel of the clipped span and shortens n to fit the row, or null when
    // the span lies entirely outside the picture.
    std::uint8_t* target(std::uint64_t x, std::uint64_t row, std::size_t& n) const {
        if (x >= width || row >= height)
            return nullptr;
        n = std::min<std::size_t>(n, static_cast<std::size_t>(width - x));
        const std::size_t canvasRow = static_cast<std::size_t>(height - 1 - row);
        return canvas + canvasRow * width + static_cast<std::size_t>(x);
    }
    void fill(std::uint64_t x, std::uint64_t row, std::size_t n, std::uint8_t value) {
        if (std::uint8_t* p = target(x, row, n))
            std::memset(p, value, n);
    }
    void copy(std::uint64_t x, std::uint64_t row, std::span<const std::uint8_t> values) {
        std::size_t n = values.size();
        if (std::uint8_t* p = target(x, row, n))
            std::memcpy(p, values.data(), n);
    }
};

class Encoder {
public:
    std::vector<std::uint8_t> out;

    // Moves the decoder's position forward to (x, row) with end-of-line and delta commands.
    void moveTo(std::uint64_t x, std::uint64_t row) {
        if (row > m_row && x < m_x) {
            put(0, 0);
            ++m_row;
            m_x = 0;
        }
        while (row > m_row || x > m_x) {
            const auto dx = static_cast<std::uint8_t>(std::min<std::uint64_t>(255, x - m_x));
            const auto dy = static_cast<std::uint8_t>(std::min<std::uint64_t>(255, row - m_row));
            put(0, 2);
            put(dx, dy);
            m_x += dx;
            m_row += dy;
        }
    }

    // Writes n pixels at the current position: runs of three or more equal pixels as encoded
    // runs, everything else as absolute runs (or single-pixel runs where an absolute run
    // would be shorter than its minimum of three).
    void span(const std::uint8_t* p, std::size_t n) {
        std::size_t i = 0;
        while (i < n) {
            const std::size_t k = runLength(p, i, n);
            if (k >= 3) {
                put(static_cast<std::uint8_t>(k), p[i]);
                i += k;
                continue;
            }
            std::size_t j = i;
            while (j < n && j - i < 255 && runLength(p, j, n) < 3)
                ++j;
            if (j - i < 3) {
                while (i < j) {
                    const std::size_t r = std::min(runLength(p, i, n), j - i);
                    put(static_cast<std::uint8_t>(r), p[i]);
                    i += r;
                }
                continue;
            }
            put(0, static_cast<std::uint8_t>(j - i));
            out.insert(out.end(), p + i, p + j);
            if (((j - i) & 1) != 0)
                out.push_back(0);
            i = j;
        }
        m_x += n;
    }

    void end() { put(0, 1); }

private:
    static std::size_t runLength(const std::uint8_t* p, std::size_t i, std::size_t n) {
        std::size_t k = 1;
        while (i + k < n && k < 255 && p[i + k] == p[i])
            ++k;
        return k;
    }
    void put(std::uint8_t a, std::uint8_t b) {
        out.push_back(a);
        out.push_back(b);
    }

    std::uint64_t m_x = 0;
    std::uint64_t m_row = 0;
};

}  // namespace

bool decodeRle8(std::span<const std::uint8_t> data, std::uint8_t* canvas, std::uint32_t width,
                std::uint32_t height) {
    CanvasSink sink{canvas, width, height};
    return walkRle8(data, sink);
}

bool isWellFormedRle8(std::span<const std::uint8_t> data) {
    NullSink sink;
    return walkRle8(data, sink);
}

std::vector<std::uint8_t> encodeRle8(std::span<const std::uint8_t> previous,
                                     std::span<const std::uint8_t> current, std::uint32_t width,
                                     std::uint32_t height) {
    const bool keyFrame = previous.empty();
    Encoder enc;
    bool wroteAny = false;
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::size_t offset = static_cast<std::size_t>(height - 1 - row) * width;
        const std::uint8_t* cur = current.data() + offset;
        const std::uint8_t* prev = keyFrame ? nullptr : previous.data() + offset;
        auto changed = [&](std::size_t x) { return keyFrame || cur[x] != prev[x]; };
        std::size_t x = 0;
        while (x < width) {
            while (x < width && !changed(x))
                ++x;
            if (x == width)
                break;
            // Bridge gaps of up to two unchanged pixels: rewriting them is no longer than the
            // four-byte delta that would skip them.
            std::size_t e = x;
            while (e < width) {
                if (changed(e)) {
                    ++e;
                    continue;
                }
                std::size_t g = e;
                while (g < width && !changed(g) && g - e < 3)
                    ++g;
                if (g < width && changed(g) && g - e <= 2) {
                    e = g;
                } else {
                    break;
                }
            }
            enc.moveTo(x, row);
            enc.span(cur + x, e - x);
            wroteAny = true;
            x = e;
        }
    }
    if (!wroteAny)
        return {};
    enc.end();
    return std::move(enc.out);
}

}  // namespace clip
