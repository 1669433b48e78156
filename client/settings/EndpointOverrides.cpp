#include "settings/EndpointOverrides.h"

#include "platform/Endpoints.h"
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

namespace quillon {

void ApplyEndpointOverrides(const Registry& initKey) {
    const auto override = [&initKey](QLatin1String name, QString& endpoint) {
        const QString value = initKey.getValue(name).trimmed();
        if (!value.isEmpty()) {
            endpoint = value;
        }
    };
    Endpoints& current = endpoints();
    override(store::kUpdateHost, current.updateHost);
    override(store::kSecureHost, current.secureHost);
    override(store::kWebSite, current.webSite);
    override(store::kTrustedCA, current.trustedCA);
    // The web site is joined with paths that begin with "/".
    while (current.webSite.endsWith(QLatin1Char('/'))) {
        current.webSite.chop(1);
    }
}

}  // namespace quillon
