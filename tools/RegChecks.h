#pragma once

#include <cstddef>
#include <string>

#include "hivekit/Store.h"

namespace hivekit::reg {

// The registry's own limit on nesting: a key path of more parts is refused.
constexpr std::size_t kMaxKeyDepth = 512;

// Checks a key path (parts separated by "\") before the store sees it: every part UTF-8 text
// with no zero character and at most 255 characters, at most kMaxKeyDepth parts; with
// `inFile` also no line break, which a registry file cannot carry. False with the reason,
// naming what was refused, in `why`.
bool CheckKeyPath(const std::string& path, bool inFile, std::string& why);

// Checks a value name: UTF-8 text with no zero character, at most 16,383 characters; with
// `inFile` also no line break, which a registry file cannot carry.
bool CheckValueName(const std::string& name, bool inFile, std::string& why);

// What went wrong, in words, for a store answer other than kStoreOk.
std::string StoreErrorText(const Store& store, long code);

}  // namespace hivekit::reg
