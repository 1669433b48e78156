#pragma once

#include <QString>

#include "platform/ServiceDefaultAddress.h"

namespace quillon {

// Where the client sends requests and which pages it opens. The constants lie under the
// reserved .example domain, so a build that is never configured can send a password to no
// host we don't control; the values UpdateHost, SecureHost, WebSite and TrustedCA of the key
// SOFTWARE\Corvane\Init override them (that is how the demo and the tests reach corvane-sim).
struct Endpoints {
    QString updateHost;  // host[:port] of the plain service address
    QString secureHost;  // host[:port] of the secure service address and the secure pages
    QString webSite;     // scheme and host of the public web site, without a trailing "/"
    QString trustedCA;   // an extra certificate authority file the transfer trusts; may be empty
};

inline constexpr const char* kDefaultUpdateHost = "update.corvane.example";
inline constexpr const char* kDefaultSecureHost = "secure.corvane.example";
inline constexpr const char* kDefaultWebSite = "http://www.corvane.example";
// The service's fixed default address, kServiceDefaultAddress, is in ServiceDefaultAddress.h.

// The endpoints in force for this run; starts with the constants above.
Endpoints& endpoints();

// Puts the constants back (tests).
void resetEndpoints();

}  // namespace quillon
