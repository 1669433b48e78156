#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hivekit {

// Names of keys and values compare without regard to case, the way the registry compares
// them: every letter folded to upper case, non-ASCII letters too (text is UTF-8). Bytes that
// are not valid UTF-8 are kept as they are, so that they never fold onto a valid name.
std::string FoldName(std::string_view name);

// True when the two names are equal without regard to case.
bool SameName(std::string_view a, std::string_view b);

// Decodes the UTF-8 sequence that starts at byte `i` of `s` into `cp`; returns its length in
// bytes, or 0 when it is not a valid sequence. Strict: an overlong form, a surrogate or a
// code point above U+10FFFF is not valid.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp);

// True when all of `s` is valid UTF-8.
bool IsUtf8(std::string_view s);

// A key or value name the store can hold and a registry file can carry back: valid UTF-8
// with no zero character.
bool IsValidName(std::string_view name);

// Appends one code point to `out` as UTF-8.
void AppendUtf8(char32_t cp, std::string& out);

// The number of characters (code points) of UTF-8 text; a stray byte counts as one.
std::size_t CharacterCount(std::string_view text);

}  // namespace hivekit
