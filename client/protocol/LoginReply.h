#pragma once

#include <QString>

#include "account/clsUser.h"

namespace quillon {

// The messages of the login action (title "Corvane", OK button, no icon).
inline constexpr const char* kMsgNoUsername = "You must enter a Username.";
inline constexpr const char* kMsgNoPassword = "You must enter a Password.";
inline constexpr const char* kMsgInvalidLogin =
    "Invalid Username or Password.\r\n\r\nIf you are a new user you must register using the "
    "First Time Here hyperlink on the login screen. Registration is free for basic Sub-Domain "
    "usage.";
inline constexpr const char* kMsgContactError =
    "Error contacting server.  Server may be under maintenance.";

// How the service answered a login: the value of "DNS LOGIN:" compared exactly (after the
// field's own trimming). An empty reply, a failed transfer and any other value are Unexpected.
enum class LoginVerdict { Success, Fail, Unexpected };
LoginVerdict JudgeLoginReply(const QString& reply);

// Fills the account record from a successful reply, in the record's fill order; a missing field
// stores the empty string. The fields the login does not fill keep their values.
void FillAccountRecord(clsUser& user, const QString& reply, const QString& username,
                       const QString& password);

}  // namespace quillon
