#include "SimStore.h"

#include <sqlite3.h>

#include "Query.h"

namespace corvane_sim {

namespace {

// One prepared statement, finalized when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            throw StoreError(std::string("store: ") + sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.c_str(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }

    // True while a row is available.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc != SQLITE_DONE) {
            throw StoreError(std::string("store: ") + sqlite3_errmsg(db_));
        }
        return false;
    }

    std::string text(int column) const {
        const auto* p = sqlite3_column_text(stmt_, column);
        return p == nullptr
                   ? std::string()
                   : std::string(reinterpret_cast<const char*>(p),
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
    }

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
  username TEXT NOT NULL PRIMARY KEY COLLATE NOCASE,
  password TEXT NOT NULL,
  first_name TEXT NOT NULL DEFAULT '',
  last_name TEXT NOT NULL DEFAULT '',
  domains TEXT NOT NULL DEFAULT '',
  sub_domain TEXT NOT NULL DEFAULT '',
  record_types TEXT NOT NULL DEFAULT '',
  expiration_date TEXT NOT NULL DEFAULT '',
  user_level TEXT NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS records (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  username TEXT NOT NULL COLLATE NOCASE REFERENCES accounts(username),
  domain TEXT NOT NULL COLLATE NOCASE,
  type TEXT NOT NULL COLLATE NOCASE,
  name TEXT NOT NULL COLLATE NOCASE,
  address TEXT NOT NULL,
  UNIQUE (domain, type, name)
);
)sql";

}  // namespace

SimStore::SimStore(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError("cannot open database '" + path + "': " + message);
    }
    sqlite3_busy_timeout(db_, 5000);
    try {
        // A write-ahead journal synced at checkpoints: a write survives the service's crash and
        // costs no flush to disk of its own, so that the service's time per request is not the
        // disk's (a rollback journal flushed every update request two or three times).
        exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
        exec(kSchema);
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

SimStore::~SimStore() {
    sqlite3_close(db_);
}

void SimStore::exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw StoreError("store: " + message);
    }
}

std::optional<Account> SimStore::findAccount(const std::string& username) {
    std::lock_guard lock(mutex_);
    Statement st(db_,
                 "SELECT username, password, first_name, last_name, domains, sub_domain, "
                 "record_types, expiration_date, user_level FROM accounts WHERE username = ?1");
    st.bind(1, username);
    if (!st.step()) {
        return std::nullopt;
    }
    return Account{st.text(0), st.text(1), st.text(2), st.text(3), st.text(4),
                   st.text(5), st.text(6), st.text(7), st.text(8)};
}

std::vector<DnsRecord> SimStore::records(const std::string& username) {
    std::lock_guard lock(mutex_);
    Statement st(db_,
                 "SELECT domain, type, name, address FROM records WHERE username = ?1 ORDER BY id");
    st.bind(1, username);
    std::vector<DnsRecord> out;
    while (st.step()) {
        out.push_back(DnsRecord{st.text(0), st.text(1), st.text(2), st.text(3)});
    }
    return out;
}

SimStore::PutResult SimStore::putRecord(const std::string& username, const DnsRecord& record) {
    std::lock_guard lock(mutex_);
    exec("BEGIN IMMEDIATE");
    try {
        Statement find(
            db_, "SELECT username FROM records WHERE domain = ?1 AND type = ?2 AND name = ?3");
        find.bind(1, record.domain).bind(2, record.type).bind(3, record.name);
        PutResult result = PutResult::Added;
        if (find.step()) {
            if (!equalsNoCase(find.text(0), username)) {
                exec("ROLLBACK");
                return PutResult::OwnedByOther;
            }
            Statement update(db_,
                             "UPDATE records SET address = ?4 WHERE domain = ?1 AND type = ?2 "
                             "AND name = ?3");
            update.bind(1, record.domain).bind(2, record.type).bind(3, record.name);
            update.bind(4, record.address);
            update.step();
            result = PutResult::Repointed;
        } else {
            Statement insert(db_,
                             "INSERT INTO records (username, domain, type, name, address) "
                             "VALUES (?1, ?2, ?3, ?4, ?5)");
            insert.bind(1, username).bind(2, record.domain).bind(3, record.type);
            insert.bind(4, record.name).bind(5, record.address);
            insert.step();
        }
        exec("COMMIT");
        return result;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool SimStore::deleteRecord(const std::string& username, const DnsRecord& record) {
    std::lock_guard lock(mutex_);
    Statement st(db_,
                 "DELETE FROM records WHERE username = ?1 AND domain = ?2 AND type = ?3 AND "
                 "name = ?4");
    st.bind(1, username).bind(2, record.domain).bind(3, record.type).bind(4, record.name);
    st.step();
    return sqlite3_changes(db_) > 0;
}

bool SimStore::deleteOrPark(const std::string& username, const DnsRecord& record,
                            const std::string& parkingAddress) {
    std::lock_guard lock(mutex_);
    exec("BEGIN IMMEDIATE");
    try {
        Statement find(db_,
                       "SELECT address FROM records WHERE username = ?1 AND domain = ?2 AND "
                       "type = ?3 AND name = ?4");
        find.bind(1, username).bind(2, record.domain).bind(3, record.type).bind(4, record.name);
        if (!find.step()) {
            exec("ROLLBACK");
            return false;
        }
        const bool parked = find.text(0) == parkingAddress;
        Statement change(db_, parked ? "DELETE FROM records WHERE username = ?1 AND domain = ?2 "
                                       "AND type = ?3 AND name = ?4"
                                     : "UPDATE records SET address = ?5 WHERE username = ?1 AND "
                                       "domain = ?2 AND type = ?3 AND name = ?4");
        change.bind(1, username).bind(2, record.domain).bind(3, record.type).bind(4, record.name);
        if (!parked) {
            change.bind(5, parkingAddress);
        }
        change.step();
        exec("COMMIT");
        return true;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool SimStore::addAccountIfAbsent(const Account& account, const std::vector<DnsRecord>& records) {
    std::lock_guard lock(mutex_);
    exec("BEGIN IMMEDIATE");
    try {
        Statement insert(db_,
                         "INSERT OR IGNORE INTO accounts (username, password, first_name, "
                         "last_name, domains, sub_domain, record_types, expiration_date, "
                         "user_level) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        insert.bind(1, account.username).bind(2, account.password).bind(3, account.firstName);
        insert.bind(4, account.lastName).bind(5, account.domains).bind(6, account.subDomain);
        insert.bind(7, account.recordTypes).bind(8, account.expirationDate);
        insert.bind(9, account.userLevel);
        insert.step();
        const bool created = sqlite3_changes(db_) > 0;
        if (created) {
            for (const auto& record : records) {
                Statement add(db_,
                              "INSERT OR IGNORE INTO records (username, domain, type, name, "
                              "address) VALUES (?1, ?2, ?3, ?4, ?5)");
                add.bind(1, account.username).bind(2, record.domain).bind(3, record.type);
                add.bind(4, record.name).bind(5, record.address);
                add.step();
            }
        }
        exec("COMMIT");
        return created;
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace corvane_sim
