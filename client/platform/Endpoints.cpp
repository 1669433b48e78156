#include "platform/Endpoints.h"

namespace quillon {

namespace {
Endpoints defaults() {
    return Endpoints{QString::fromLatin1(kDefaultUpdateHost),
                     QString::fromLatin1(kDefaultSecureHost), QString::fromLatin1(kDefaultWebSite),
                     QString()};
}
}  // namespace

Endpoints& endpoints() {
    static Endpoints current = defaults();
    return current;
}

void resetEndpoints() {
    endpoints() = defaults();
}

}  // namespace quillon
