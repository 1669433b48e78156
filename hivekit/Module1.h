#pragma once

#include <cstdint>
#include <string_view>

namespace hivekit {

// How many characters of `text` equal the one character `ch` (a 16-bit count).
std::int16_t CountChar(std::string_view text, std::string_view ch);

}  // namespace hivekit
