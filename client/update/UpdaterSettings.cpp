#include "update/UpdaterSettings.h"

#include <QStringList>

#include "protocol/basDNS.h"
#include "registry/EndpointOverrides.h"
#include "registry/Registry.h"

namespace quillon {

namespace {

const QStringList kPorts = {QStringLiteral("80"), QStringLiteral("1400"), QStringLiteral("8080")};

}  // namespace

UpdaterSettings LoadUpdaterSettings() {
    Registry reg;
    reg.setKey(QStringLiteral("SOFTWARE\\Corvane\\Init"));
    ApplyEndpointOverrides(reg);

    UpdaterSettings settings;
    settings.saveLogin = reg.getValue(QStringLiteral("bSaveLogin")) == QLatin1String("1");
    settings.username = TrimNull(reg.getValue(QStringLiteral("Username")));
    settings.password = TrimNull(reg.getValue(QStringLiteral("Password")));
    settings.refreshRate = reg.getValue(QStringLiteral("RefreshRate"));
    if (reg.getValue(QStringLiteral("bSSL")) == QLatin1String("1")) {
        settings.serviceURL = SecureServiceURL();
    } else {
        const QString port = reg.getValue(QStringLiteral("Port"));
        if (!IsNumeric(port)) {
            settings.serviceURL = PlainServiceURL(QStringLiteral("80"));
        } else if (kPorts.contains(port)) {
            settings.serviceURL = PlainServiceURL(port);
        } else {
            settings.serviceURL = DefaultServiceURL();
        }
    }
    return settings;
}

int ChosenRefreshRate(const QString& stored, bool freeAccount) {
    const int first = freeAccount ? 90 : 30;
    const int fallback = freeAccount ? 90 : 60;
    if (!IsNumeric(stored)) {
        return fallback;
    }
    const double rate = stored.trimmed().toDouble();
    const bool listed = [&] {
        for (int item = first; item <= 120; item += 10) {
            if (stored == QString::number(item)) {
                return true;
            }
        }
        return false;
    }();
    if (rate < 60) {
        return freeAccount ? 90 : 60;  // 60 is not in a free account's list
    }
    return listed ? stored.toInt() : 90;
}

}  // namespace quillon
