#include "login/LoginReply.h"

#include "protocol/basDNS.h"

namespace quillon {

LoginVerdict JudgeLoginReply(const QString& reply) {
    if (reply.isEmpty()) {
        return LoginVerdict::Unexpected;
    }
    const QString value = GetReplyValue(reply, QStringLiteral("DNS LOGIN:"));
    if (value == QLatin1String("SUCCESS")) {
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
    user.sIPAddress = field("IPAddress:");
    user.sDomainUserRecords = field("DomainUserRecords:");
    user.sUserLevel = field("UserLevel:");
}

}  // namespace quillon
