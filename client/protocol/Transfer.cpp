#include "protocol/Transfer.h"

#include "protocol/CurlTransfer.h"

namespace quillon {

namespace {

Transfer*& registered() {
    static Transfer* transfer = nullptr;
    return transfer;
}

}  // namespace

void setServiceTransfer(Transfer* transfer) {
    registered() = transfer;
}

Transfer& serviceTransfer() {
    if (registered() != nullptr) {
        return *registered();
    }
    static CurlTransfer fallback;
    return fallback;
}

void unregisterServiceTransfer(Transfer* transfer) {
    if (registered() == transfer) {
        registered() = nullptr;
    }
}

}  // namespace quillon
