#pragma once

#include <QString>

#include "account/clsUser.h"

namespace quillon {

// A successful request stores the address it sent as the account's address. Requests whose
// address is not the host's (the MX record and the aliases point at the host name, the login's
// removal of the default record names the service's own address) keep the account's address:
// the update cycle compares it with the public one, and the settings save it at close.
class KeepAccountAddress {
  public:
    explicit KeepAccountAddress(clsUser& user) : user_(user), saved_(user.sIPAddress) {}
    ~KeepAccountAddress() { user_.sIPAddress = saved_; }
    KeepAccountAddress(const KeepAccountAddress&) = delete;
    KeepAccountAddress& operator=(const KeepAccountAddress&) = delete;

  private:
    clsUser& user_;
    QString saved_;
};

}  // namespace quillon
