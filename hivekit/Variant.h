#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace hivekit {

using Bytes = std::vector<std::uint8_t>;

// The component's own value type: what a VARIANT carries, held by value. It keeps apart a
// 16-bit and a 32-bit integer (SetValue treats a 16-bit name as a position), a single byte
// (a number that SetValue does not write as a DWORD), a string, a byte array and a boolean;
// monostate is Empty.
using Var = std::variant<std::monostate, std::int16_t, std::int32_t, std::string, Bytes, bool,
                         std::uint8_t>;

// A 16-bit or 32-bit integer (not a byte).
inline bool IsNumber(const Var& v) {
    return std::holds_alternative<std::int16_t>(v) || std::holds_alternative<std::int32_t>(v);
}

// The value as text, the way the language converts it: numbers in decimal, True/False.
std::string VarToString(const Var& v);

// The value as a 32-bit number; text must hold a number. Throws ComError (Type mismatch,
// Overflow) otherwise.
std::int32_t VarToLong(const Var& v);

// The length of the value as text (0 for Empty).
std::size_t VarLength(const Var& v);

}  // namespace hivekit
