#pragma once

#include <cstdint>
#include <string>

#include "hivekit/Store.h"

namespace hivekit::reg {

// The first line of a registry file as the registry editor writes it.
inline constexpr const char* kRegFileHeader = "Windows Registry Editor Version 5.00";

// The registry's export file ("Windows Registry Editor Version 5.00"): a key with all its
// values and sub-keys, written as the registry editor writes it (UTF-16LE with a byte-order
// mark, CRLF lines), and read back from that form, from UTF-8, or from "REGEDIT4" files.
// Both return false with a reason in `why`.
bool ExportKey(Store& store, std::int32_t root, const std::string& path, std::string& fileBytes,
               std::string& why);
bool ImportFile(Store& store, const std::string& fileBytes, std::string& why);

// Splits "HKLM\SOFTWARE\x" or "HKEY_LOCAL_MACHINE\SOFTWARE\x" into the root and the path.
bool ParseKeyName(const std::string& name, std::int32_t& root, std::string& path);

}  // namespace hivekit::reg
