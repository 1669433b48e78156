#include "main/StoredNumber.h"

#include <cmath>
#include <limits>

namespace quillon {

bool ReadStoredNumber(const QString& text, int& number) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        return false;
    }
    number = static_cast<int>(std::lround(value));
    return true;
}

}  // namespace quillon
