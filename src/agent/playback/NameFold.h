#pragma once

#include <string>
#include <string_view>

namespace playback {

// The key under which animation and state names are compared: ASCII letters in lower case,
// and the full-width forms U+FF01..U+FF5E narrowed to ASCII first ("Ｒｅｓｔ" -> "rest"). The
// companion passes names that are already narrowed and lower-cased, while characters store
// them in mixed (or upper) case, so both sides go through the same fold. Input is UTF-8; any
// other byte sequence, valid or not, is copied unchanged.
std::string foldName(std::string_view name);

}  // namespace playback
