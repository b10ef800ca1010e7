#pragma once

#include <cstdint>
#include <string>

namespace acs {

// How hard the reader is on rule violations. Strict (tools, tests): any broken rule fails the
// load. Lenient (the app): a broken animation or image is dropped or neutralised with a warning
// and the rest of the character stays playable.
enum class Mode { Strict, Lenient };

enum class ErrorCode {
    None = 0,
    Truncated,          // a read ran past the end of its block
    NotCharacter,       // unknown signature or shorter than a header
    Agent15,            // OLE compound file: an Agent 1.5 character
    WebIndex,           // .acf: index of a web-delivered character
    BadLocator,         // a locator points outside the file
    LimitExceeded,      // a count or size beyond what the file can hold or our limits
    BadValue,           // a field holds a value outside its range
    SizeMismatch,       // a block did not parse to exactly its locator
    BadString,          // a STRING without its terminator or not fitting
    BadCompressedData,  // the decompressor rejected a block
    BadReference,       // an index or name that resolves to nothing
    BadSound,           // a sound blob that is not a RIFF WAVE file
    WriteFailed,        // the writer was given a model it cannot store
};

// The first failure of a load or decode: what, and where in the file (byte offset from the
// start of the file, or of the compressed block for the decompressor).
struct Error {
    ErrorCode code = ErrorCode::None;
    std::uint64_t offset = 0;
    std::string detail;

    explicit operator bool() const { return code != ErrorCode::None; }
    // One line: "offset 0x1234: detail".
    std::string message() const;
};

// A short English name for an error code ("truncated", "agent 1.5 file", ...).
const char* errorCodeName(ErrorCode code);

}  // namespace acs
