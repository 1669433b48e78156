#include "settings/ConnectionSettings.h"

#include <QStringList>

#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

namespace quillon {

QString ConnectionSettings::plainPort() const {
    return IsNumeric(port) ? port : QStringLiteral("80");
}

bool ConnectionSettings::portIsListed() const {
    return PortChoices().split(QLatin1Char(',')).contains(plainPort());
}

QString ConnectionSettings::serviceURL() const {
    if (ssl) {
        return SecureServiceURL();
    }
    return portIsListed() ? PlainServiceURL(plainPort()) : DefaultServiceURL();
}

ConnectionSettings LoadConnectionSettings(const Registry& initKey) {
    ConnectionSettings settings;
    // The password travels in the query of every request: with no choice stored, the secure
    // address. A stored bSSL is the user's choice (1 is SSL, anything else the plain address).
    const QString ssl = initKey.getValue(store::kSSL);
    settings.ssl = ssl.isEmpty() || ssl == QLatin1String("1");
    settings.port = initKey.getValue(store::kPort);
    settings.refreshRate = initKey.getValue(store::kRefreshRate);
    return settings;
}

SavedLogin LoadSavedLogin(const Registry& initKey) {
    SavedLogin login;
    login.saveLogin = initKey.getValue(store::kSaveLogin) == QLatin1String("1");
    login.username = initKey.getValue(store::kUsername);
    return login;
}

void SaveConnectionSettings(Registry& initKey, bool ssl, const QString& port,
                            const QString& refreshRate) {
    initKey.setValue(store::kSSL, static_cast<qint32>(ssl ? 1 : 0), Registry::RegDword);
    if (!port.isEmpty()) {
        initKey.setValue(store::kPort, port);
    }
    initKey.setValue(store::kRefreshRate, refreshRate);
}

QString PortChoices() {
    return QStringLiteral("80,1400,8080");
}

QString RefreshRateChoices(bool freeAccount) {
    return freeAccount ? QStringLiteral("90,100,110,120")
                       : QStringLiteral("30,40,50,60,70,80,90,100,110,120");
}

int ChosenRefreshRate(const QString& stored, bool freeAccount) {
    const int fallback = freeAccount ? 90 : 60;
    if (!IsNumeric(stored)) {
        return fallback;
    }
    if (stored.trimmed().toDouble() < 60) {
        return fallback;
    }
    return RefreshRateChoices(freeAccount).split(QLatin1Char(',')).contains(stored) ? stored.toInt()
                                                                                    : 90;
}

}  // namespace quillon
