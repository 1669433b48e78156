#pragma once

#include <QString>

namespace quillon {

// Whether a text is an IPv4 address in dotted form: exactly four parts separated by ".", each a
// decimal number from 0 to 255. Leading zeros are allowed; blanks, signs and empty parts are not.
bool IsValidIPAddress(const QString& text);

// Whether a reported public address may be published: an IPv4 address as IsValidIPAddress judges
// it, outside 0.0.0.0/8 (this network), 127.0.0.0/8 (loopback), 169.254.0.0/16 (link-local),
// 224.0.0.0/4 (multicast) and 240.0.0.0/4 (reserved, broadcast). Private and documentation
// ranges are usable: a service on the user's own network sees those.
bool IsUsablePublicAddress(const QString& text);

}  // namespace quillon
