#pragma once

// The one error type of every binary reader and writer: what went wrong, where in the input,
// and a sentence for people. Codes have short stable names for tools and logs.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace bytes {

enum class ErrorCode {
    None = 0,
    // Any binary input.
    Truncated,  // a read ran past the end of its block, or the file ends before its size says
    Damaged,    // a chunk or record is malformed
    BadValue,   // a field holds a value outside its range
    // Character files.
    NotCharacter,       // unknown signature or shorter than a header
    Agent15,            // OLE compound file: an Agent 1.5 character
    WebIndex,           // .acf: index of a web-delivered character
    BadLocator,         // a locator points outside the file
    LimitExceeded,      // a count or size beyond what the file can hold or our limits
    SizeMismatch,       // a block did not parse to exactly its locator
    BadString,          // a STRING without its terminator or not fitting
    BadCompressedData,  // the decompressor rejected a block
    BadReference,       // an index or name that resolves to nothing
    BadSound,           // a sound blob that is not a RIFF WAVE file
    WriteFailed,        // the writer was given a model it cannot store
    // Progress clips.
    NotAvi,                  // no RIFF 'AVI ' header
    NoVideo,                 // no header list, main header or video stream
    HasSound,                // an audio stream is present
    UnsupportedCompression,  // biCompression is neither BI_RGB nor BI_RLE8
    UnsupportedFormat,       // BI_RGB with a bit depth other than 8 or 24
    InvalidClip,             // contradictory format fields (RLE8 that is not 8-bit bottom-up)
    BadSize,                 // width or height zero or above the limit
    EmptyClip,               // no frame chunks
};

// The first failure of a read or write: what, and where (byte offset from the start of the
// file, or of the compressed block for a decompressor).
struct Error {
    ErrorCode code = ErrorCode::None;
    std::uint64_t offset = 0;
    std::string detail;

    explicit operator bool() const { return code != ErrorCode::None; }
    // One line: "offset 0x1234: detail".
    std::string message() const;
};

// Short stable name of a code, e.g. "unsupported-compression".
const char* errorCodeName(ErrorCode code);

// One line for logs and the command-line tools: "<code> at offset <n>: <detail>".
std::string describe(const Error& error);

// A value or an error; never throws.
template <class T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}      // NOLINT(google-explicit-constructor)
    Result(Error error) : m_state(std::move(error)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(m_state); }
    const T& value() const { return std::get<0>(m_state); }
    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

}  // namespace bytes
