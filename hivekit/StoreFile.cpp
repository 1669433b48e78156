#include "StoreFile.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Store.h"

namespace hivekit {

namespace {

// Makes the folders of `path` that are missing, each private to the user.
bool MakeFolders(const std::string& path) {
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos;
         pos = path.find('/', pos + 1)) {
        const std::string dir = path.substr(0, pos);
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool PrepareFile(const std::string& path) {
    if (!MakeFolders(path)) {
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return false;
        }
        // The store holds a saved password: a new file is private from its creation. A file
        // that did not exist is held by no connection, so its descriptor may be closed.
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            return true;
        }
        // Another process may have created it in between; look at what is there now.
        if (errno != EEXIST || lstat(path.c_str(), &st) != 0) {
            return false;
        }
    }
    return S_ISREG(st.st_mode);
}

void MendMode(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0 &&
        st.st_uid == geteuid()) {
        chmod(path.c_str(), st.st_mode & 0700);
    }
}

long CheckStoreHeader(sqlite3* db, const std::string& path, std::string& why) {
    // Read through the connection's own descriptor: no second one is opened on the file.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods) {
        why = "cannot open " + path;
        return kStoreCannotOpen;
    }
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK) {
        why = "cannot read " + path;
        return kStoreIoFailed;
    }
    if (size == 0) {
        return kStoreOk;  // a new store, made into one by PrepareSchema
    }
    static constexpr char kHeader[] = "SQLite format 3";  // with its zero: 16 bytes
    char head[sizeof kHeader] = {};
    const int rc = file->pMethods->xRead(file, head, sizeof head, 0);
    if ((rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ) ||
        std::memcmp(head, kHeader, sizeof kHeader) != 0) {
        // SQLite's own words for the same failure, so that the message does not depend on
        // which of the two noticed it.
        why = "file is not a database";
        return kStoreBadKey;
    }
    return kStoreOk;
}

}  // namespace hivekit
