#include "agent/acs/Error.h"

#include <cstdio>

namespace acs {

std::string Error::message() const {
    char where[32];
    std::snprintf(where, sizeof where, "offset 0x%llx: ", static_cast<unsigned long long>(offset));
    return where + detail;
}

const char* errorCodeName(ErrorCode code) {
    switch (code) {
        case ErrorCode::None:
            return "no error";
        case ErrorCode::Truncated:
            return "truncated";
        case ErrorCode::NotCharacter:
            return "not a character file";
        case ErrorCode::Agent15:
            return "Agent 1.5 character";
        case ErrorCode::WebIndex:
            return "web-delivery index";
        case ErrorCode::BadLocator:
            return "bad locator";
        case ErrorCode::LimitExceeded:
            return "limit exceeded";
        case ErrorCode::BadValue:
            return "bad value";
        case ErrorCode::SizeMismatch:
            return "size mismatch";
        case ErrorCode::BadString:
            return "bad string";
        case ErrorCode::BadCompressedData:
            return "bad compressed data";
        case ErrorCode::BadReference:
            return "bad reference";
        case ErrorCode::BadSound:
            return "bad sound";
        case ErrorCode::WriteFailed:
            return "write failed";
    }
    return "unknown error";
}

}  // namespace acs
