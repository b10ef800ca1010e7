#pragma once

// The character file's own LZ77 bit coder, used for image pixels and region data.

#include "agent/acs/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace acs {

// The largest output we agree to produce (pixels or region data of one image).
inline constexpr std::size_t kMaxDecompressedSize = 16u * 1024u * 1024u;

// Decodes `block` into exactly `expectedSize` bytes written to `out` (resized once, before
// decoding). Fails (Error with the offset inside `block`) on a missing 00 marker, a stream
// that ends before the end code, a back-reference before the start, output past
// `expectedSize`, an over-long length code, or an end code reached early. With
// `fillShort` set, output that ends short is padded with `fillByte` instead, and
// `*wasShort` reports it. `out` is left in an unspecified state on failure.
Error decompress(std::span<const std::uint8_t> block, std::size_t expectedSize,
                 std::vector<std::uint8_t>& out, bool fillShort = false, std::uint8_t fillByte = 0,
                 bool* wasShort = nullptr);

// Encodes `data` with a greedy hash-chain matcher. Deterministic: the same input always gives
// the same bytes. decompress(compress(d), d.size()) == d for every input.
std::vector<std::uint8_t> compress(std::span<const std::uint8_t> data);

}  // namespace acs
