#pragma once

#include <cstddef>
#include <string>

namespace hivekit::reg {

// The largest file an import reads: far above any real registry file.
constexpr std::size_t kMaxImportBytes = 64u << 20;

// Reads a whole regular file of at most `limit` bytes. A folder, a device, a pipe or a larger
// file is refused without being read; false with the reason in `why`.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes,
                     std::string& why);

// True when `path` names something that exists (a link is not followed).
bool PathExists(const std::string& path);

// True when ReplaceFile may put a file at `path`: nothing is there, or a regular file.
bool Replaceable(const std::string& path, std::string& why);

// Writes `bytes` to a new file beside `path`, private (0600) from its creation, and renames it
// into place once it is complete: `path` keeps what it held until then. Only a regular file is
// replaced. False with the reason in `why`, and nothing changed.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& why);

}  // namespace hivekit::reg
