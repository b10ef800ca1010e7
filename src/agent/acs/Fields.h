#pragma once

// The character file's own field types read through the shared byte reader: GUIDs, palette
// entries and COLORREFs, length-prefixed UTF-16 strings; and the text conversions they need.

#include "agent/acs/Model.h"
#include "bytes/Reader.h"
#include "bytes/Writer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace acs {

Guid readGuid(bytes::Reader& r);
Rgb readBgrx(bytes::Reader& r);  // palette entry: B, G, R, 0
Rgb readRgbx(bytes::Reader& r);  // COLORREF: R, G, B, 0
// STRING: ULONG count of UTF-16 units, the units, and a terminator when count > 0.
// `strictTerminator` also requires the terminator to be 0. Returns UTF-8.
std::string readString(bytes::Reader& r, bool strictTerminator);

void writeGuid(bytes::Writer& w, const Guid& g);
void writeBgrx(bytes::Writer& w, const Rgb& c);
void writeRgbx(bytes::Writer& w, const Rgb& c);
// STRING as readString reads it (the terminator only when there are units).
void writeString(bytes::Writer& w, std::string_view text);
// DATABLOCK: ULONG size and the bytes.
void writeDatablock(bytes::Writer& w, std::span<const std::uint8_t> data);

// UTF-16 units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::span<const char16_t> units);
// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string upperAscii(std::string_view text);

}  // namespace acs
