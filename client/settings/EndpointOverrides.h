#pragma once

namespace quillon {

class Registry;

// Points the client at another service: the values UpdateHost, SecureHost, WebSite and TrustedCA
// of `initKey` (the key "SOFTWARE\Corvane\Init"), where set, replace the endpoints in force.
void ApplyEndpointOverrides(const Registry& initKey);

}  // namespace quillon
