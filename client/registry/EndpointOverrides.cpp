#include "registry/EndpointOverrides.h"

#include "platform/Endpoints.h"
#include "registry/Registry.h"

namespace quillon {

void ApplyEndpointOverrides(const Registry& initKey) {
    const auto override = [&initKey](const char* name, QString& endpoint) {
        const QString value = initKey.getValue(QLatin1String(name)).trimmed();
        if (!value.isEmpty()) {
            endpoint = value;
        }
    };
    Endpoints& current = endpoints();
    override("UpdateHost", current.updateHost);
    override("SecureHost", current.secureHost);
    override("WebSite", current.webSite);
    override("TrustedCA", current.trustedCA);
    // The web site is joined with paths that begin with "/".
    while (current.webSite.endsWith(QLatin1Char('/'))) {
        current.webSite.chop(1);
    }
}

}  // namespace quillon
