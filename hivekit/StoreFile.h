#pragma once

#include <string>

struct sqlite3;

namespace hivekit {

// The store's file on disk, looked at without ever opening a second descriptor of an existing
// store: POSIX locks belong to the process, and closing any descriptor of the file would drop
// the locks that live connections of this process hold on it.

// Makes the missing folders of `path` (0700) and, when the file is missing, creates it with
// mode 0600 before SQLite opens it. False for anything but a regular file (a symbolic link, a
// FIFO, a folder), which is refused without being opened.
bool PrepareFile(const std::string& path);

// Takes back group and other rights that someone added to the store, by path (lstat, chmod).
// Only for a file known to be a store.
void MendMode(const std::string& path);

// kStoreOk for an empty file or one that begins with SQLite's header, read through the
// connection `db` itself; otherwise kStoreBadKey with the reason in `why`, the file untouched.
long CheckStoreHeader(sqlite3* db, const std::string& path, std::string& why);

}  // namespace hivekit
