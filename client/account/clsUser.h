#pragma once

#include <QString>

namespace quillon {

// The account record: what the login fills from the service's reply and every other
// part of the client reads. Public fields only, in the order the login fills them.
class clsUser {
  public:
    QString sUsername;
    QString sPassword;
    QString sIPAddress;
    QString sFirstName;
    QString sLastName;
    QString sDomain;
    QString sRecordType;
    QString sDomainUserRecords;
    QString sDomainList;
    QString sSubDomain;
    QString sRecordTypeList;
    QString sUserLevel;
    bool bCorvaneOnly = false;
    QString sExpirationDate;
};

// The one account record of the program's run: created on first use and never replaced,
// so a later login overwrites the fields it fills and leaves the others as they were.
clsUser& objUser();

}  // namespace quillon
