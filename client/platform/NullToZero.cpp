#include "platform/NullToZero.h"

namespace quillon {

QString NullToZero(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        return QStringLiteral("0");
    }
    QString text = value.toString();
    for (QChar c : text) {
        if (c != u' ') {
            return text;
        }
    }
    return QStringLiteral("0");
}

}  // namespace quillon
