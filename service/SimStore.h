#pragma once

#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace corvane_sim {

struct Account {
    std::string username;
    std::string password;
    std::string firstName;
    std::string lastName;
    std::string domains;         // comma-separated; empty for a sub-domain account
    std::string subDomain;       // the service's shared sub-domain; empty for a domain account
    std::string recordTypes;     // comma-separated
    std::string expirationDate;  // yyyy-MM-dd, optionally followed by " HH:mm:ss"
    std::string userLevel;
};

struct DnsRecord {
    std::string domain;
    std::string type;
    std::string name;
    std::string address;
};

struct StoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Accounts and their DNS records in one SQLite file. Handlers run on several threads, so
// every call takes the store's lock; each write is one statement or one transaction.
class SimStore {
  public:
    explicit SimStore(const std::string& path);
    ~SimStore();
    SimStore(const SimStore&) = delete;
    SimStore& operator=(const SimStore&) = delete;

    // The account whose user name matches without regard to case.
    std::optional<Account> findAccount(const std::string& username);

    // The account's records in the order they were created.
    std::vector<DnsRecord> records(const std::string& username);

    enum class PutResult { Added, Repointed, OwnedByOther };
    // Creates the record, or re-points the one with the same domain, type and name
    // (compared without regard to case) when it belongs to the same account.
    PutResult putRecord(const std::string& username, const DnsRecord& record);

    // Removes the account's record with that domain, type and name; false when there is none.
    bool deleteRecord(const std::string& username, const DnsRecord& record);

    // As deleteRecord for a record that the service keeps parked: a record pointing anywhere but
    // `parkingAddress` is pointed there instead of removed; the parking record itself is
    // removed. False when there is no record of that domain, type and name.
    bool deleteOrPark(const std::string& username, const DnsRecord& record,
                      const std::string& parkingAddress);

    // Creates the account with its records when no account of that name exists; returns
    // whether it was created. Used by the demo seed, so seeding twice adds nothing.
    bool addAccountIfAbsent(const Account& account, const std::vector<DnsRecord>& records);

  private:
    void exec(const char* sql);

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
};

}  // namespace corvane_sim
