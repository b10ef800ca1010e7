#pragma once

// Walks the chunks of a RIFF file (AVI, WAVE): id, 32-bit little-endian size, data, and a pad
// byte after an odd size. A lying size can never make the walk read outside its parent.

#include "bytes/FourCc.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace bytes {

struct Chunk {
    std::uint32_t id = 0;
    std::size_t header = 0;  // offset of the chunk id
    std::size_t data = 0;    // offset of the first data byte
    std::size_t size = 0;    // data bytes inside the parent
};

class ChunkWalker {
public:
    // What a chunk whose size runs past the parent's end does.
    enum class Overrun {
        Stop,  // the walk ends before that chunk (overranAt() tells where)
        Clip,  // the chunk is shortened to the bytes there are and is the last one
    };

    ChunkWalker(std::span<const std::uint8_t> bytes, std::size_t begin, std::size_t end,
                Overrun overrun = Overrun::Stop);

    // The next chunk, or false at the end of the parent. Fewer than eight bytes left at the end
    // also count as an overrun.
    bool next(Chunk& chunk);

    std::optional<std::size_t> overranAt() const { return m_overranAt; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos;
    std::size_t m_end;
    Overrun m_overrun;
    std::optional<std::size_t> m_overranAt;
};

// The list type of a LIST chunk, or 0 for any other chunk or a LIST too short to have one.
std::uint32_t listType(std::span<const std::uint8_t> bytes, const Chunk& chunk);

}  // namespace bytes
