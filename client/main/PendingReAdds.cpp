#include "main/PendingReAdds.h"

// SKELETON: the pending re-adds are being built.

namespace quillon {

void PendingReAdds::add(const PendingRecord& record) {
    records_.push_back(record);
}
bool PendingReAdds::remove(const PendingRecord&) {
    return false;
}
QString PendingReAdds::toText() const {
    return QString();
}
PendingReAdds PendingReAdds::fromText(const QString&) {
    return PendingReAdds();
}
QString PendingAddressFor(const PendingRecord&, const QString& newIP) {
    return newIP;
}

}  // namespace quillon
