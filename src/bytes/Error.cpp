#include "bytes/Error.h"

#include <cstdio>

namespace bytes {

std::string Error::message() const {
    char where[32];
    std::snprintf(where, sizeof where, "offset 0x%llx: ", static_cast<unsigned long long>(offset));
    return where + detail;
}

const char* errorCodeName(ErrorCode code) {
    switch (code) {
        case ErrorCode::None:
            return "none";
        case ErrorCode::Truncated:
            return "truncated";
        case ErrorCode::Damaged:
            return "damaged";
        case ErrorCode::BadValue:
            return "bad-value";
        case ErrorCode::NotCharacter:
            return "not-character";
        case ErrorCode::Agent15:
            return "agent-1.5";
        case ErrorCode::WebIndex:
            return "web-index";
        case ErrorCode::BadLocator:
            return "bad-locator";
        case ErrorCode::LimitExceeded:
            return "limit-exceeded";
        case ErrorCode::SizeMismatch:
            return "size-mismatch";
        case ErrorCode::BadString:
            return "bad-string";
        case ErrorCode::BadCompressedData:
            return "bad-compressed-data";
        case ErrorCode::BadReference:
            return "bad-reference";
        case ErrorCode::BadSound:
            return "bad-sound";
        case ErrorCode::WriteFailed:
            return "write-failed";
        case ErrorCode::NotAvi:
            return "not-avi";
        case ErrorCode::NoVideo:
            return "no-video";
        case ErrorCode::HasSound:
            return "has-sound";
        case ErrorCode::UnsupportedCompression:
            return "unsupported-compression";
        case ErrorCode::UnsupportedFormat:
            return "unsupported-format";
        case ErrorCode::InvalidClip:
            return "invalid-clip";
        case ErrorCode::BadSize:
            return "bad-size";
        case ErrorCode::EmptyClip:
            return "empty-clip";
    }
    return "unknown";
}

std::string describe(const Error& error) {
    return std::string(errorCodeName(error.code)) + " at offset " + std::to_string(error.offset) +
           ": " + error.detail;
}

}  // namespace bytes
