#pragma once

#include <QString>

namespace quillon {

// Whether a text is an IP address as the record editor and the sub-domain panel accept it: split
// on ".", exactly four parts, each a plain decimal number from 0 to 255. Leading zeros are
// allowed and so are blanks around a part (the parts are not trimmed, but a number may have
// blanks around it); an empty part, a sign, a decimal point or an exponent is not a number here.
bool IsValidIPAddress(const QString& text);

}  // namespace quillon
