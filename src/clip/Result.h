#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace clip {

// Why a clip was refused. The widget only needs "yes or no"; the codes exist so that the tool
// and the tests can tell a damaged file from one we deliberately do not play.
enum class ErrorCode {
    NotAvi,                  // no RIFF 'AVI ' header
    Truncated,               // the file ends before its RIFF size says (strict mode)
    Damaged,                 // a chunk or frame is malformed (strict mode)
    NoVideo,                 // no header list, main header or video stream
    HasSound,                // an audio stream is present
    UnsupportedCompression,  // biCompression is neither BI_RGB nor BI_RLE8
    UnsupportedFormat,       // BI_RGB with a bit depth other than 8 or 24
    InvalidClip,             // contradictory format fields (RLE8 that is not 8-bit bottom-up)
    BadSize,                 // width or height zero or above the limit
    EmptyClip,               // no frame chunks
};

struct Error {
    ErrorCode code = ErrorCode::Damaged;
    std::uint64_t offset = 0;  // file offset where the problem was found
    std::string detail;
};

// Short stable name of a code, e.g. "unsupported-compression".
const char* errorCodeName(ErrorCode code);

// One line for logs and the command-line tool: "<code> at offset <n>: <detail>".
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

}  // namespace clip
