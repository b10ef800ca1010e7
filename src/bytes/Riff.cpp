#include "bytes/Riff.h"

#include "bytes/Reader.h"

#include <algorithm>

namespace bytes {

ChunkWalker::ChunkWalker(std::span<const std::uint8_t> bytes, std::size_t begin, std::size_t end,
                         Overrun overrun)
    : m_bytes(bytes.first(std::min(end, bytes.size()))),
      m_pos(begin),
      m_end(std::min(end, bytes.size())),
      m_overrun(overrun) {}

bool ChunkWalker::next(Chunk& chunk) {
    if (m_pos >= m_end)
        return false;
    if (m_end - m_pos < riff::kChunkHeaderSize) {
        m_overranAt = m_pos;
        m_pos = m_end;
        return false;
    }
    chunk.header = m_pos;
    chunk.id = le32(m_bytes, m_pos);
    const std::uint32_t size = le32(m_bytes, m_pos + 4);
    chunk.data = m_pos + riff::kChunkHeaderSize;
    const std::size_t room = m_end - chunk.data;
    if (size > room) {
        m_overranAt = m_pos;
        if (m_overrun == Overrun::Stop) {
            m_pos = m_end;
            return false;
        }
    }
    chunk.size = std::min<std::size_t>(size, room);
    // The pad byte after an odd size may be missing at the very end of the parent.
    m_pos = chunk.data + std::min<std::size_t>(std::size_t{size} + (size & 1U), room);
    return true;
}

std::uint32_t listType(std::span<const std::uint8_t> bytes, const Chunk& chunk) {
    if (chunk.id != riff::kList || chunk.size < 4)
        return 0;
    return le32(bytes, chunk.data);
}

std::string fourccText(std::uint32_t v) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<char>((v >> (8 * i)) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            static const char* hex = "0123456789abcdef";
            std::string h = "0x";
            for (int k = 7; k >= 0; --k)
                h += hex[(v >> (4 * k)) & 0xF];
            return h;
        }
        s += c;
    }
    return "'" + s + "'";
}

}  // namespace bytes
