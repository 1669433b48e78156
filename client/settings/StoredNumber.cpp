#include "settings/StoredNumber.h"

#include <cmath>

#include <limits>
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

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

void ForEachStoredNumber(const QString& key,
                         const std::function<void(const QString& name, int number)>& visit) {
    Registry reg;
    reg.setKey(key);
    for (qint16 i = 1; i < reg.valueCount(); ++i) {
        int number = 0;
        if (ReadStoredNumber(reg.getValue(i), number)) {
            visit(reg.getName(i), number);
        }
    }
}

bool TwipsGeometry::apply(const QString& name, int number) {
    if (name == store::kMainLeft) {
        left = number;
    } else if (name == store::kMainTop) {
        top = number;
    } else if (name == store::kMainWidth) {
        width = number;
    } else if (name == store::kMainHeight) {
        height = number;
    } else {
        return false;
    }
    return true;
}

}  // namespace quillon
