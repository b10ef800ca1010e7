#pragma once

// Stores a character model as a 2.x character file.

#include "agent/acs/Error.h"
#include "agent/acs/Model.h"

#include <cstdint>
#include <vector>

namespace acs {

// The file's bytes, or why the model cannot be stored.
using WriteResult = bytes::Result<std::vector<std::uint8_t>>;

// Writes `data` as a character file: header, image records (pixels and non-empty region data
// compressed), sounds, animation records, then the character info and the three directories.
// Flags get kFlagVoice / kFlagBalloon set exactly when voice / balloon are present. The
// reader's derived fields (State::animationIndices, Animation::returnIndex) are ignored.
// Output is deterministic. The result is read back in strict mode before it is returned, so a
// model with a dangling reference or a value the format cannot hold fails with that error.
WriteResult writeCharacter(const CharacterData& data);

// The same without the read-back check (for building deliberately broken test files).
std::vector<std::uint8_t> writeCharacterUnchecked(const CharacterData& data);

// RGNDATA for an image: one rectangle per run of non-transparent pixels per row (top-down
// coordinates), vertically merged where consecutive rows have identical runs.
std::vector<std::uint8_t> buildRegion(const ImageData& image, std::uint8_t transparentIndex);

}  // namespace acs
