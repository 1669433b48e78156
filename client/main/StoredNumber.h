#pragma once

#include <QString>

namespace quillon {

// Reads a number the program stored (a DWORD comes back as its decimal text). Blanks around it
// are allowed and a fraction is rounded, as the registry's number conversion does; false for
// any other text, which the caller then passes over.
bool ReadStoredNumber(const QString& text, int& number);

}  // namespace quillon
