#include "Store.h"

#include <sqlite3.h>

#include <cstdlib>

#include "NameFold.h"
#include "StoreFile.h"

namespace hivekit {

namespace {

struct RootEntry {
    std::int32_t handle;
    std::int64_t id;
    const char* name;
    const char* shortName;
};

constexpr RootEntry kRoots[] = {
    {static_cast<std::int32_t>(0x80000000u), 1, "HKEY_CLASSES_ROOT", "HKCR"},
    {static_cast<std::int32_t>(0x80000001u), 2, "HKEY_CURRENT_USER", "HKCU"},
    {static_cast<std::int32_t>(0x80000002u), 3, "HKEY_LOCAL_MACHINE", "HKLM"},
    {static_cast<std::int32_t>(0x80000003u), 4, "HKEY_USERS", "HKU"},
    {static_cast<std::int32_t>(0x80000005u), 6, "HKEY_CURRENT_CONFIG", "HKCC"},
    {static_cast<std::int32_t>(0x80000006u), 7, "HKEY_DYN_DATA", "HKDD"},
};

const RootEntry* FindRoot(std::int32_t handle) {
    for (const RootEntry& r : kRoots) {
        if (r.handle == handle) {
            return &r;
        }
    }
    return nullptr;
}

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS keys_by_name ON keys(parent, folded);
CREATE TABLE IF NOT EXISTS vals(
  seq INTEGER PRIMARY KEY AUTOINCREMENT,
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, folded));
CREATE INDEX IF NOT EXISTS vals_in_order ON vals(key, seq);
)sql";

// The highest key id ever given out. A key id is never given again, so that a writer holding
// the id of a key deleted meanwhile fails on the foreign key instead of writing into a newer
// key that took the same id (rowids come back when the newest row is deleted). Created on the
// first key made, so that stores written before it gain it without a change of schema version.
constexpr const char* kKeyIdsTable = "CREATE TABLE IF NOT EXISTS key_ids(high INTEGER NOT NULL)";
constexpr const char* kNextKeyId =
    "SELECT max(coalesce((SELECT max(high) FROM key_ids), 0), coalesce((SELECT max(id) FROM "
    "keys), 0)) + 1";

// Binds text as text and data as a blob; an empty one is bound as empty, never as NULL.
void Bind(sqlite3_stmt* st, int index, std::string_view text) {
    sqlite3_bind_text(st, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void BindBlob(sqlite3_stmt* st, int index, std::string_view data) {
    if (data.empty()) {
        sqlite3_bind_zeroblob(st, index, 0);
    } else {
        sqlite3_bind_blob(st, index, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    }
}

std::string ColumnText(sqlite3_stmt* st, int column) {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(st, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st, column)))
             : std::string();
}

// Resets a prepared statement when the step is over, whatever happened.
class Reset {
  public:
    explicit Reset(sqlite3_stmt* st) : st_(st) {}
    ~Reset() {
        if (st_) {
            sqlite3_reset(st_);
            sqlite3_clear_bindings(st_);
        }
    }
    Reset(const Reset&) = delete;
    Reset& operator=(const Reset&) = delete;

  private:
    sqlite3_stmt* st_;
};

bool ValidKeyParts(const std::vector<std::string>& parts) {
    for (const std::string& p : parts) {
        if (!IsValidName(p) || CharacterCount(p) > Store::kMaxKeyNameLength) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

// How long a write waits for another program's write lock: 5 s, or HIVEKIT_BUSY_TIMEOUT_MS
// (1 to 60000), which lets tests of a held store run in well under a second per write.
int Store::BusyTimeoutMs() {
    if (const char* named = std::getenv("HIVEKIT_BUSY_TIMEOUT_MS"); named && *named) {
        char* end = nullptr;
        const long ms = std::strtol(named, &end, 10);
        if (*end == '\0' && ms >= 1 && ms <= 60000) {
            return static_cast<int>(ms);
        }
    }
    return 5000;
}

std::string Store::DefaultPath() {
    if (const char* named = std::getenv("HIVEKIT_STORE"); named && *named) {
        return named;
    }
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/hivekit/registry.db";
}

bool Store::RootName(std::int32_t root, std::string& name) {
    if (const RootEntry* r = FindRoot(root)) {
        name = r->name;
        return true;
    }
    return false;
}

bool Store::RootFromName(std::string_view name, std::int32_t& root) {
    const std::string folded = FoldName(name);
    for (const RootEntry& r : kRoots) {
        if (folded == r.name || folded == r.shortName) {
            root = r.handle;
            return true;
        }
    }
    return false;
}

Store::~Store() {
    Disconnect();
}

void Store::Disconnect() {
    for (auto& [sql, st] : statements_) {
        sqlite3_finalize(st);
    }
    statements_.clear();
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    inRead_ = false;
    inBatch_ = false;
    path_.clear();
}

long Store::Code(int sqliteCode) {
    if (db_) {
        lastError_ = sqlite3_errmsg(db_);
    }
    switch (sqliteCode & 0xFF) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return kStoreOk;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return kStoreBusy;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return kStoreAccessDenied;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
            return kStoreBadKey;
        case SQLITE_CONSTRAINT:
            return kStoreKeyDeleted;
        case SQLITE_CANTOPEN:
            return kStoreCannotOpen;
        default:
            return kStoreIoFailed;
    }
}

sqlite3_stmt* Store::Prepare(const char* sql) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        return it->second;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
        lastError_ = sqlite3_errmsg(db_);
        return nullptr;
    }
    statements_.emplace(sql, st);
    return st;
}

long Store::Exec(const char* sql) {
    return Code(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr));
}

long Store::Step(const char* sql) {
    sqlite3_stmt* st = Prepare(sql);
    if (!st) {
        const long code = Code(sqlite3_errcode(db_));
        return code == kStoreOk ? kStoreIoFailed : code;
    }
    Reset reset(st);
    return Code(sqlite3_step(st));
}

long Store::Connect() {
    const std::string path = DefaultPath();
    if (db_ && path == path_) {
        return kStoreOk;
    }
    Disconnect();
    if (path.empty() || !PrepareFile(path)) {
        lastError_ = "cannot create or open " + path;
        return kStoreCannotOpen;
    }
    int rc = sqlite3_open_v2(path.c_str(), &db_,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        const long code = Code(rc);
        Disconnect();
        return code;
    }
    sqlite3_busy_timeout(db_, BusyTimeoutMs());
    sqlite3_extended_result_codes(db_, 1);
    if (long code = CheckStoreHeader(db_, path, lastError_); code != kStoreOk) {
        Disconnect();
        return code;
    }
    MendMode(path);
    path_ = path;
    const long code = PrepareSchema();
    if (code != kStoreOk) {
        Disconnect();
    }
    return code;
}

long Store::PrepareSchema() {
    // A read-only store refuses the journal change; it is still read.
    const bool readOnly = sqlite3_db_readonly(db_, "main") == 1;
    sqlite3_stmt* st = nullptr;
    if (!readOnly) {
        int rc = sqlite3_prepare_v2(db_, "PRAGMA journal_mode=WAL", -1, &st, nullptr);
        std::string mode;
        if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
            mode = ColumnText(st, 0);
        } else {
            rc = sqlite3_errcode(db_);
        }
        sqlite3_finalize(st);
        if ((rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT) {
            return Code(rc);
        }
        if (mode != "wal") {
            // Where WAL is refused (some network file systems), a rollback journal does.
            Exec("PRAGMA journal_mode=DELETE");
        }
    }
    if (long code =
            Exec("PRAGMA synchronous=FULL; PRAGMA secure_delete=ON; PRAGMA foreign_keys=ON");
        code != kStoreOk) {
        return code;
    }
    int version = -1;
    if (sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        version = sqlite3_column_int(st, 0);
    }
    const int rc = sqlite3_errcode(db_);
    sqlite3_finalize(st);
    if (version < 0) {
        return Code(rc);
    }
    if (version > kSchemaVersion) {
        lastError_ = "the store was written by a newer version of Hivekit";
        return kStoreBadKey;
    }
    if (version == kSchemaVersion) {
        return kStoreOk;
    }
    if (readOnly) {
        return kStoreAccessDenied;
    }
    return Write([this]() -> long {
        if (long code = Exec(kSchema); code != kStoreOk) {
            return code;
        }
        for (const RootEntry& r : kRoots) {
            sqlite3_stmt* ins =
                Prepare("INSERT OR IGNORE INTO keys(id, parent, name, folded) VALUES(?,NULL,?,?)");
            if (!ins) {
                return kStoreIoFailed;
            }
            Reset reset(ins);
            sqlite3_bind_int64(ins, 1, r.id);
            Bind(ins, 2, r.name);
            Bind(ins, 3, r.name);
            if (int rc = sqlite3_step(ins); rc != SQLITE_DONE) {
                return Code(rc);
            }
        }
        return Exec("PRAGMA user_version=1");
    });
}

bool Store::BeginRead() {
    if (inRead_ || inBatch_ || Connect() != kStoreOk || Step("BEGIN") != kStoreOk) {
        return false;
    }
    inRead_ = true;
    return true;
}

void Store::EndRead() {
    if (inRead_) {
        inRead_ = false;
        Step("COMMIT");
    }
}

long Store::Batch(const std::function<long()>& body) {
    if (long code = Connect(); code != kStoreOk) {
        return code;
    }
    return Write([&]() -> long {
        inBatch_ = true;
        const long code = body();
        inBatch_ = false;
        return code;
    });
}

template <class Body>
long Store::Write(Body body) {
    if (inBatch_) {
        return body();  // already inside the batch's transaction
    }
    EndRead();
    // A busy answer after the time-out gets one more try, so that two writers that met
    // both get through.
    long code = kStoreBusy;
    for (int attempt = 0; attempt < 2; ++attempt) {
        code = Step("BEGIN IMMEDIATE");
        if (code == kStoreBusy) {
            continue;
        }
        if (code != kStoreOk) {
            return code;
        }
        code = body();
        if (code == kStoreOk) {
            code = Step("COMMIT");
            if (code == kStoreOk) {
                return code;
            }
        }
        // The reason the write failed is what callers report, not the rollback's answer.
        const std::string why = lastError_;
        Step("ROLLBACK");
        lastError_ = why;
        if (code != kStoreBusy) {
            return code;
        }
    }
    return code;
}

long Store::ResolvePath(std::int64_t from, const std::vector<std::string>& parts,
                        std::size_t& found, std::int64_t& keyId) {
    keyId = from;
    found = 0;
    sqlite3_stmt* st = Prepare("SELECT id FROM keys WHERE parent = ? AND folded = ?");
    if (!st) {
        return kStoreIoFailed;
    }
    for (const std::string& part : parts) {
        Reset reset(st);
        sqlite3_bind_int64(st, 1, keyId);
        Bind(st, 2, FoldName(part));
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_DONE) {
            return kStoreNotFound;
        }
        if (rc != SQLITE_ROW) {
            return Code(rc);
        }
        keyId = sqlite3_column_int64(st, 0);
        ++found;
    }
    return kStoreOk;
}

long Store::ConnectForPath(std::string_view path, std::vector<std::string>& parts) {
    parts = SplitKeyPath(path);
    if (!ValidKeyParts(parts)) {
        return kStoreBadPath;
    }
    return Connect();
}

long Store::OpenKey(std::int32_t root, std::string_view path, std::int64_t& keyId) {
    const RootEntry* r = FindRoot(root);
    if (!r) {
        return kStoreInvalidHandle;
    }
    std::vector<std::string> parts;
    if (long code = ConnectForPath(path, parts); code != kStoreOk) {
        return code;
    }
    std::size_t found = 0;
    return ResolvePath(r->id, parts, found, keyId);
}

long Store::OpenSubKey(std::int64_t parent, std::string_view path, std::int64_t& keyId) {
    std::vector<std::string> parts;
    if (long code = ConnectForPath(path, parts); code != kStoreOk) {
        return code;
    }
    std::size_t found = 0;
    return ResolvePath(parent, parts, found, keyId);
}

long Store::CreateKey(std::int32_t root, std::string_view path, std::int64_t& keyId,
                      int& disposition) {
    const RootEntry* r = FindRoot(root);
    if (!r) {
        return kStoreInvalidHandle;
    }
    std::vector<std::string> parts;
    if (long code = ConnectForPath(path, parts); code != kStoreOk) {
        return code;
    }
    if (parts.size() > kMaxKeyDepth) {
        lastError_ = "a key path of more than " + std::to_string(kMaxKeyDepth) + " levels";
        return kStoreBadPath;
    }
    // Most keys exist: look first, and take the write lock only to create.
    std::size_t found = 0;
    long code = ResolvePath(r->id, parts, found, keyId);
    if (code == kStoreOk) {
        disposition = 2;
        return code;
    }
    if (code != kStoreNotFound) {
        return code;
    }
    code = Write([&]() -> long {
        long c = ResolvePath(r->id, parts, found, keyId);
        if (c == kStoreOk) {
            disposition = 2;
            return c;
        }
        if (c != kStoreNotFound) {
            return c;
        }
        if (long code = Exec(kKeyIdsTable); code != kStoreOk) {
            return code;
        }
        sqlite3_stmt* next = Prepare(kNextKeyId);
        sqlite3_stmt* ins = Prepare("INSERT INTO keys(id, parent, name, folded) VALUES(?,?,?,?)");
        if (!next || !ins) {
            return kStoreIoFailed;
        }
        for (std::size_t i = found; i < parts.size(); ++i) {
            std::int64_t id = 0;
            {
                Reset resetNext(next);
                if (int rc = sqlite3_step(next); rc != SQLITE_ROW) {
                    return Code(rc);
                }
                id = sqlite3_column_int64(next, 0);
            }
            Reset reset(ins);
            sqlite3_bind_int64(ins, 1, id);
            sqlite3_bind_int64(ins, 2, keyId);
            Bind(ins, 3, parts[i]);
            Bind(ins, 4, FoldName(parts[i]));
            if (int rc = sqlite3_step(ins); rc != SQLITE_DONE) {
                return Code(rc);
            }
            keyId = id;
        }
        if (long code = RaiseKeyIdHighWater(); code != kStoreOk) {
            return code;
        }
        disposition = 1;
        return kStoreOk;
    });
    return code;
}

long Store::DeleteKeyTree(std::int32_t root, std::string_view parentPath, std::string_view subKey) {
    const RootEntry* r = FindRoot(root);
    if (!r) {
        return kStoreInvalidHandle;
    }
    std::vector<std::string> parts = SplitKeyPath(parentPath);
    const std::vector<std::string> sub = SplitKeyPath(subKey);
    if (sub.empty()) {
        // No sub-key named: never the current key itself.
        return kStoreBadPath;
    }
    parts.insert(parts.end(), sub.begin(), sub.end());
    if (!ValidKeyParts(parts)) {
        return kStoreBadPath;
    }
    if (long code = Connect(); code != kStoreOk) {
        return code;
    }
    const long code = Write([&]() -> long {
        std::size_t found = 0;
        std::int64_t keyId = 0;
        if (long c = ResolvePath(r->id, parts, found, keyId); c != kStoreOk) {
            return c;
        }
        // Before any id is freed: a store whose keys were made before the mark existed gets it
        // here, so the ids deleted now are never given again either.
        if (long c = RaiseKeyIdHighWater(); c != kStoreOk) {
            return c;
        }
        return DeleteSubtree(keyId);
    });
    if (code == kStoreOk) {
        ScrubLog();
    }
    return code;
}

void Store::ScrubLog() {
    if (inBatch_ || !db_) {
        return;
    }
    EndRead();
    sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

long Store::RaiseKeyIdHighWater() {
    if (long code = Exec(kKeyIdsTable); code != kStoreOk) {
        return code;
    }
    return Exec(
        "INSERT INTO key_ids(high) SELECT max(coalesce((SELECT max(high) FROM key_ids), 0), "
        "coalesce((SELECT max(id) FROM keys), 0)); "
        "DELETE FROM key_ids WHERE rowid <> (SELECT rowid FROM key_ids ORDER BY high DESC "
        "LIMIT 1)");
}

long Store::DeleteSubtree(std::int64_t top) {
    // The keys of the tree in breadth-first order, gathered with a list rather than by
    // recursion, so that no depth of tree runs out of stack or of SQLite's cascade depth.
    sqlite3_stmt* children = Prepare("SELECT id FROM keys WHERE parent = ?");
    sqlite3_stmt* delValues = Prepare("DELETE FROM vals WHERE key = ?");
    sqlite3_stmt* delKey = Prepare("DELETE FROM keys WHERE id = ?");
    if (!children || !delValues || !delKey) {
        return kStoreIoFailed;
    }
    std::vector<std::int64_t> tree{top};
    for (std::size_t next = 0; next < tree.size(); ++next) {
        Reset reset(children);
        sqlite3_bind_int64(children, 1, tree[next]);
        int rc;
        while ((rc = sqlite3_step(children)) == SQLITE_ROW) {
            tree.push_back(sqlite3_column_int64(children, 0));
        }
        if (rc != SQLITE_DONE) {
            return Code(rc);
        }
    }
    // Children come after their parents in the list: deleting from its end removes each key
    // once it has no sub-keys and no values left, so no cascade has anything to do.
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        for (sqlite3_stmt* st : {delValues, delKey}) {
            Reset reset(st);
            sqlite3_bind_int64(st, 1, *it);
            if (int rc = sqlite3_step(st); rc != SQLITE_DONE) {
                return Code(rc);
            }
        }
    }
    return kStoreOk;
}

long Store::ReadValues(std::int64_t keyId, std::vector<ValueRow>& rows) {
    if (long code = Connect(); code != kStoreOk) {
        return code;
    }
    sqlite3_stmt* st = Prepare("SELECT name, type, data FROM vals WHERE key = ? ORDER BY seq");
    if (!st) {
        return kStoreIoFailed;
    }
    Reset reset(st);
    sqlite3_bind_int64(st, 1, keyId);
    rows.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        rows.push_back({ColumnText(st, 0), sqlite3_column_int(st, 1), ColumnText(st, 2)});
    }
    return rc == SQLITE_DONE ? kStoreOk : Code(rc);
}

long Store::ReadSubKeys(std::int64_t keyId, std::vector<std::string>& names) {
    if (long code = Connect(); code != kStoreOk) {
        return code;
    }
    sqlite3_stmt* st = Prepare("SELECT name FROM keys WHERE parent = ? ORDER BY folded");
    if (!st) {
        return kStoreIoFailed;
    }
    Reset reset(st);
    sqlite3_bind_int64(st, 1, keyId);
    names.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        names.push_back(ColumnText(st, 0));
    }
    return rc == SQLITE_DONE ? kStoreOk : Code(rc);
}

long Store::SetValue(std::int64_t keyId, std::string_view name, std::int32_t type,
                     std::string_view data) {
    // The default value's empty name is valid; any other name must be UTF-8 text without a zero.
    if ((!name.empty() && !IsValidName(name)) || CharacterCount(name) > kMaxValueNameLength) {
        return kStoreInvalidParameter;
    }
    if (keyId == 0) {
        return kStoreInvalidHandle;
    }
    if (long code = Connect(); code != kStoreOk) {
        return code;
    }
    return Write([&]() -> long {
        sqlite3_stmt* st = Prepare(
            "INSERT INTO vals(key, name, folded, type, data) VALUES(?,?,?,?,?) "
            "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
        if (!st) {
            return kStoreIoFailed;
        }
        Reset reset(st);
        sqlite3_bind_int64(st, 1, keyId);
        Bind(st, 2, name);
        Bind(st, 3, FoldName(name));
        sqlite3_bind_int(st, 4, type);
        BindBlob(st, 5, data);
        const int rc = sqlite3_step(st);
        return rc == SQLITE_DONE ? kStoreOk : Code(rc);
    });
}

long Store::DeleteValue(std::int64_t keyId, std::string_view name) {
    if (keyId == 0) {
        return kStoreInvalidHandle;
    }
    if (long code = Connect(); code != kStoreOk) {
        return code;
    }
    const long code = Write([&]() -> long {
        sqlite3_stmt* st = Prepare("DELETE FROM vals WHERE key = ? AND folded = ?");
        if (!st) {
            return kStoreIoFailed;
        }
        Reset reset(st);
        sqlite3_bind_int64(st, 1, keyId);
        Bind(st, 2, FoldName(name));
        const int rc = sqlite3_step(st);
        if (rc != SQLITE_DONE) {
            return Code(rc);
        }
        return sqlite3_changes(db_) > 0 ? kStoreOk : kStoreNotFound;
    });
    if (code == kStoreOk) {
        ScrubLog();
    }
    return code;
}

}  // namespace hivekit
