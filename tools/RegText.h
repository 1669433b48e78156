#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hivekit::reg {

// Text conversions of the registry file format: UTF-8 (the store's text) to and from
// UTF-16LE (the registry's own, used by exported files and their hex(1)/hex(2)/hex(7) data).
// Bytes of `utf8` that are not valid UTF-8 become lone surrogates U+DC80..U+DCFF; with
// `rawBytes` those come back as the bytes they carry, so that stored data of any kind makes
// the round trip exactly. Any other lone surrogate reads as U+FFFD.
std::string Utf8ToUtf16le(std::string_view utf8);
std::string Utf16leToUtf8(std::string_view utf16le, bool rawBytes = false);

// REG_SZ, REG_DWORD ... for a type number, and back (false when not known).
std::string TypeName(std::int32_t type);
bool TypeFromName(std::string_view name, std::int32_t& type);

// Data as `reg query` shows it: text less its terminator, DWORD as 0x.., multi-strings
// joined by "\0", other types in hexadecimal.
std::string DisplayData(std::int32_t type, const std::string& data);

// Data for `reg add /t TYPE /d DATA`; false with a reason when DATA does not fit TYPE.
bool ParseAddData(std::int32_t type, const std::string& text, std::string& data, std::string& why);

}  // namespace hivekit::reg
