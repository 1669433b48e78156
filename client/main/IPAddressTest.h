#pragma once

#include <QString>

namespace quillon {

// Whether a text is an IPv4 address in dotted form: exactly four parts separated by ".", each a
// decimal number from 0 to 255. Leading zeros are allowed; blanks, signs and empty parts are not.
bool IsValidIPAddress(const QString& text);

}  // namespace quillon
