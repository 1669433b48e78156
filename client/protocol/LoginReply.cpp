#include "protocol/LoginReply.h"

#include "protocol/AddressRules.h"
#include "protocol/basDNS.h"

namespace quillon {

LoginVerdict JudgeLoginReply(const QString& reply) {
    if (reply.isEmpty()) {
        return LoginVerdict::Unexpected;
    }
    const QString value = GetReplyValue(reply, QStringLiteral("DNS LOGIN:"));
    if (value == QLatin1String("SUCCESS")) {
        // A page cut short inside a field would log in with a fragment of it: an account whose
        // record list lost entries would lose their AutoIP marks at the first save.
        for (const char* tag :
             {"FirstName:", "LastName:", "Domains:", "SubDomain:", "RecordTypes:",
              "ExpirationDate:", "IPAddress:", "DomainUserRecords:", "UserLevel:"}) {
            const QString field = QLatin1String(tag);
            if (reply.contains(field) && !HasClosedField(reply, field)) {
                return LoginVerdict::Unexpected;
            }
        }
        return LoginVerdict::Success;
    }
    if (value == QLatin1String("FAIL")) {
        return LoginVerdict::Fail;
    }
    return LoginVerdict::Unexpected;
}

void FillAccountRecord(clsUser& user, const QString& reply, const QString& username,
                       const QString& password) {
    const auto field = [&reply](const char* tag) {
        return GetReplyValue(reply, QLatin1String(tag));
    };
    user.sUsername = username;
    user.sFirstName = field("FirstName:");
    user.sLastName = field("LastName:");
    user.sDomainList = field("Domains:");
    user.sSubDomain = field("SubDomain:");
    user.sRecordTypeList = field("RecordTypes:");
    user.sExpirationDate = field("ExpirationDate:");
    user.sPassword = password;
    // An address no record may point at (a service fault, a captive portal's page) is not
    // taken: the account then has no known address until a check reports a usable one.
    const QString address = field("IPAddress:");
    user.sIPAddress = IsUsablePublicAddress(address) ? address : QString();
    user.sDomainUserRecords = field("DomainUserRecords:");
    user.sUserLevel = field("UserLevel:");
}

}  // namespace quillon
