#include "ServiceRequests.h"

#include <optional>
#include <vector>

#include "Arguments.h"
#include "DemoSeed.h"
#include "Replies.h"
#include "SimControl.h"
#include "SimStore.h"
#include "platform/ServiceDefaultAddress.h"

namespace corvane_sim {

namespace {

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find(',', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        std::string item = list.substr(start, end - start);
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        item = first == std::string::npos ? std::string() : item.substr(first, last - first + 1);
        if (!item.empty()) {
            items.push_back(item);
        }
        start = end + 1;
    }
    return items;
}

bool listContains(const std::string& list, const std::string& value) {
    for (const auto& item : splitList(list)) {
        if (equalsNoCase(item, value)) {
            return true;
        }
    }
    return false;
}

// A value that would break the reply page or the record list is refused: the client reads
// a field up to "</p" and splits the list at ";;" and "~~".
bool safeValue(const std::string& value) {
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '<' || c == '>') {
            return false;
        }
    }
    if (value.find(";;") != std::string::npos || value.find("~~") != std::string::npos) {
        return false;
    }
    // A separator character at either end would run into the list's own separators.
    return value.empty() || (value.front() != ';' && value.front() != '~' && value.back() != ';' &&
                             value.back() != '~');
}

// The stand-in listens on loopback only, so the caller's own address is always a loopback one,
// which no client may publish. An account with no address set is reported at one of the
// documentation range instead, as a real service would report a public one.
constexpr const char* kUnsetCallerAddress = "192.0.2.1";

std::string reportedAddress(const RequestContext& context, const std::string& username) {
    if (auto set = context.control.addressFor(username)) {
        return *set;
    }
    return isLoopbackAddress(context.callerAddress) ? kUnsetCallerAddress : context.callerAddress;
}

std::optional<Account> authenticate(RequestContext& context, const Query& query) {
    auto account = context.store.findAccount(query.value("Usr"));
    if (!account || account->password != query.value("Pwd")) {
        return std::nullopt;
    }
    return account;
}

std::string answerLogin(const Query& query, RequestContext& context) {
    const auto account = authenticate(context, query);
    if (!account) {
        return Reply().field("DNS LOGIN:", "FAIL").html();
    }
    return Reply()
        .field("DNS LOGIN:", "SUCCESS")
        .field("FirstName:", account->firstName)
        .field("LastName:", account->lastName)
        .field("Domains:", account->domains)
        .field("SubDomain:", account->subDomain)
        .field("RecordTypes:", account->recordTypes)
        .field("ExpirationDate:", monthFirstDate(account->expirationDate))
        .field("UserLevel:", account->userLevel)
        .field("IPAddress:", reportedAddress(context, account->username))
        .field("DomainUserRecords:", formatRecordList(context.store.records(account->username)))
        .html();
}

std::string answerGetIPAddress(const Query& query, RequestContext& context) {
    const auto account = context.store.findAccount(query.value("Usr"));
    if (!account) {
        return errorReply("Unknown user.");
    }
    return Reply()
        .success()
        .field("IPAddress:", reportedAddress(context, account->username))
        .field("DomainUserRecords:", formatRecordList(context.store.records(account->username)))
        .html();
}

// Whether the account may change a record with this domain and name; an error text when not.
std::optional<std::string> ownershipProblem(const Account& account, const DnsRecord& record,
                                            bool advanced) {
    if (account.subDomain.empty()) {
        if (advanced) {
            return "Service aliases are only for sub-domain accounts.";
        }
        if (!listContains(account.domains, record.domain)) {
            return "Domain is not owned by this account.";
        }
        return std::nullopt;
    }
    if (!equalsNoCase(record.domain, account.subDomain)) {
        return "Domain is not owned by this account.";
    }
    // A sub-domain is shared by many accounts: each owns its host (the user name) and, through
    // the advanced request, the aliases named word + "." + user name.
    if (advanced) {
        std::string suffix(1, '.');
        suffix.append(account.username);
        const bool alias =
            record.name.size() > suffix.size() &&
            equalsNoCase(record.name.substr(record.name.size() - suffix.size()), suffix);
        return alias ? std::nullopt
                     : std::optional<std::string>("Alias name must end in the user name.");
    }
    return equalsNoCase(record.name, account.username)
               ? std::nullopt
               : std::optional<std::string>("Host name is not owned by this account.");
}

// The host of a sub-domain account is never left without an address: removing its A record
// parks it at the service's default address, and removing the parking record (as the client
// does right after a login, before it points the host) takes the host out of the zone.
bool isSubDomainHost(const Account& account, const DnsRecord& record, bool advanced) {
    return !advanced && !account.subDomain.empty() && equalsNoCase(record.type, "A") &&
           equalsNoCase(record.name, account.username);
}

std::string answerUpdate(const Query& query, RequestContext& context, bool advanced) {
    const auto account = authenticate(context, query);
    if (!account) {
        return errorReply("Invalid username or password.");
    }
    if (account->expirationDate <= context.today) {
        return errorReply("Account has expired.");
    }
    const std::string command = toUpper(query.value("DNSCommand"));
    if (command != "RECORDADD" && command != "RECORDDELETE") {
        return errorReply("Unknown DNSCommand.");
    }
    DnsRecord record{query.value("Domain"), query.value("RecordType"), query.value("Cname"),
                     query.value("IPAddress")};
    if (record.name.empty()) {
        record.name.assign(1, '@');  // assign(1, c): GCC 12 misreports operator= here (-Wrestrict)
    }
    if (record.domain.empty()) {
        return errorReply("Domain is missing.");
    }
    if (!listContains(account->recordTypes, record.type)) {
        return errorReply("Record type is not allowed for this account.");
    }
    if (const auto problem = ownershipProblem(*account, record, advanced)) {
        return errorReply(*problem);
    }
    if (!safeValue(record.domain) || !safeValue(record.type) || !safeValue(record.name) ||
        !safeValue(record.address)) {
        return errorReply("Record holds characters that are not allowed.");
    }
    if (command == "RECORDADD") {
        if (record.address.empty()) {
            return errorReply("IPAddress is missing.");
        }
        if (context.store.putRecord(account->username, record) ==
            SimStore::PutResult::OwnedByOther) {
            return errorReply("Record belongs to another account.");
        }
    } else if (isSubDomainHost(*account, record, advanced)) {
        if (!context.store.deleteOrPark(account->username, record,
                                        quillon::kServiceDefaultAddress)) {
            return errorReply("Record not found.");
        }
    } else if (!context.store.deleteRecord(account->username, record)) {
        return errorReply("Record not found.");
    }
    return Reply()
        .success()
        .field("IPAddress:", reportedAddress(context, account->username))
        .field("DomainUserRecords:", formatRecordList(context.store.records(account->username)))
        .html();
}

}  // namespace

std::string answerServiceRequest(const Query& query, RequestContext& context) {
    const std::string fxn = query.value("FXN");
    if (equalsNoCase(fxn, "login")) {
        return answerLogin(query, context);
    }
    if (equalsNoCase(fxn, "GetIPAddress")) {
        return answerGetIPAddress(query, context);
    }
    if (equalsNoCase(fxn, "DNSTickler")) {
        return answerUpdate(query, context, false);
    }
    if (equalsNoCase(fxn, "DNSTicklerAdvanced")) {
        return answerUpdate(query, context, true);
    }
    return errorReply("Unknown function.");
}

}  // namespace corvane_sim
