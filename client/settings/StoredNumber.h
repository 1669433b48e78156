#pragma once

#include <QString>
#include <functional>

namespace quillon {

// Reads a number the program stored (a DWORD comes back as its decimal text). Blanks around it
// are allowed and a fraction is rounded, as the registry's number conversion does; false for
// any other text, which the caller then passes over.
bool ReadStoredNumber(const QString& text, int& number);

// Visits the values of a registry key in its enumeration order, passing the name and the number
// of each value whose text is a number (ReadStoredNumber); other values are passed over.
void ForEachStoredNumber(const QString& key,
                         const std::function<void(const QString& name, int number)>& visit);

// The window's position and size in twips, as the user key keeps them.
struct TwipsGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    // Takes the value "MainLeft", "MainTop", "MainWidth" or "MainHeight" (exact names); false
    // for any other name.
    bool apply(const QString& name, int number);
};

}  // namespace quillon
