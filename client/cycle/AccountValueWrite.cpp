#include "cycle/AccountValueWrite.h"

#include "platform/ClientError.h"
#include "registry/Registry.h"

namespace quillon {

QString StoreRefusedWriteText() {
    return QStringLiteral(
        "the store did not take the write (it is read-only or full, or another program holds "
        "it)");
}

bool WriteAccountValue(const QString& userKey, const QString& name, const QString& value,
                       QString* why) {
    try {
        Registry reg;
        reg.setKey(userKey);
        if (reg.setValue(name, value)) {
            return true;
        }
        if (why != nullptr) {
            *why = StoreRefusedWriteText();
        }
        return false;
    } catch (const ClientError& error) {
        if (why != nullptr) {
            *why = error.description();
        }
        return false;
    }
}

}  // namespace quillon
