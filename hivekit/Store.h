#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace hivekit {

// Answers of the store, numbered like the system error codes the registry functions give.
enum StoreCode : long {
    kStoreOk = 0,
    kStoreNotFound = 2,           // no such key or value
    kStoreAccessDenied = 5,       // the store cannot be written (read-only file, permissions)
    kStoreInvalidHandle = 6,      // not a root we know, or no key open
    kStoreInvalidParameter = 87,  // a name with a zero character or over the length limit
    kStoreBadPath = 161,          // a key path that names no key
    kStoreBusy = 170,             // another process held the store past the time-out, twice
    kStoreNoMoreItems = 259,
    kStoreBadKey = 1010,      // the store is not a database, or one of a newer schema
    kStoreCannotOpen = 1011,  // the store's file could not be opened or created
    kStoreIoFailed = 1016,
    kStoreKeyDeleted = 1018,  // the key was deleted while it was in use
};

// One value as stored: its name (case kept), registry type and raw data.
struct ValueRow {
    std::string name;
    std::int32_t type = 0;
    std::string data;
};

// The registry's place, kept in one SQLite database: roots, a tree of keys, and per key its
// values in the order they were first written. Every write is one transaction. The file is
// the one HIVEKIT_STORE names, otherwise $XDG_CONFIG_HOME/hivekit/registry.db; it is looked
// up again at every call, and the connection follows when it changes.
class Store {
  public:
    Store() = default;
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    static std::string DefaultPath();
    // The busy time-out of every connection, in milliseconds.
    static int BusyTimeoutMs();
    static constexpr std::size_t kMaxKeyNameLength = 255;
    static constexpr std::size_t kMaxValueNameLength = 16383;
    // The deepest key that may be created, counted in levels below the root.
    static constexpr std::size_t kMaxKeyDepth = 512;
    static constexpr int kSchemaVersion = 1;

    // The key `path` (parts separated by "\") below `root`; an empty path is the root itself.
    long OpenKey(std::int32_t root, std::string_view path, std::int64_t& keyId);
    // Opens the key, creating what is missing of it; disposition 1 created, 2 opened. A path
    // of more than kMaxKeyDepth levels is refused (kStoreBadPath).
    long CreateKey(std::int32_t root, std::string_view path, std::int64_t& keyId, int& disposition);
    // Deletes `subKey` (a path) below `parentPath`, with everything under it.
    long DeleteKeyTree(std::int32_t root, std::string_view parentPath, std::string_view subKey);

    // The key `path` below the key `parent` (as OpenKey gave it).
    long OpenSubKey(std::int64_t parent, std::string_view path, std::int64_t& keyId);

    long ReadValues(std::int64_t keyId, std::vector<ValueRow>& rows);
    long ReadSubKeys(std::int64_t keyId, std::vector<std::string>& names);
    // Writes a value: one already there keeps its place and its name's case.
    long SetValue(std::int64_t keyId, std::string_view name, std::int32_t type,
                  std::string_view data);
    long DeleteValue(std::int64_t keyId, std::string_view name);

    // Runs `body` (made of the writes above) as one transaction: all of it or nothing.
    long Batch(const std::function<long()>& body);

    // Reads between BeginRead and EndRead share one snapshot (and one lock of the file); a
    // write in between ends the read first.
    // BeginRead is true when it began the read (false inside one already, or on failure).
    bool BeginRead();
    void EndRead();

    // The roots, by handle, and their names (HKEY_LOCAL_MACHINE ...).
    static bool RootName(std::int32_t root, std::string& name);
    static bool RootFromName(std::string_view name, std::int32_t& root);

    // The text of SQLite's last error, for the tool's messages.
    std::string LastError() const { return lastError_; }

  private:
    long Connect();
    // Splits and checks a key path, then connects; kStoreOk or the first failure.
    long ConnectForPath(std::string_view path, std::vector<std::string>& parts);
    void Disconnect();
    long PrepareSchema();
    sqlite3_stmt* Prepare(const char* sql);
    // Keeps in key_ids the highest key id given so far (see kKeyIdsTable). Inside a write.
    long RaiseKeyIdHighWater();
    long Exec(const char* sql);
    // After a committed delete: copies the write-ahead log into the database file and empties
    // it, so that the deleted data (already overwritten there, secure_delete being on) leaves no
    // older copy in the log. Best effort: a reader that keeps the log leaves it to a later one.
    void ScrubLog();
    // Runs one statement that returns no rows, prepared once per connection: the transaction
    // statements run several times for every write and every key read.
    long Step(const char* sql);
    long Code(int sqliteCode);
    // Deletes the key `top` with its values and everything below it (inside a write).
    long DeleteSubtree(std::int64_t top);
    long ResolvePath(std::int64_t from, const std::vector<std::string>& parts, std::size_t& found,
                     std::int64_t& keyId);
    template <class Body>
    long Write(Body body);

    sqlite3* db_ = nullptr;
    bool inRead_ = false;
    bool inBatch_ = false;
    std::string path_;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
    std::string lastError_;
};

// Splits a key path at "\", leaving out empty parts (a leading, trailing or doubled "\").
std::vector<std::string> SplitKeyPath(std::string_view path);

}  // namespace hivekit
