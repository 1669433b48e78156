#include "login/LoadAdvancedTabSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QWidget>

#include "account/clsUser.h"
#include "desktop/FillComboFromList.h"
#include "diagnostics/ErrorReport.h"
#include "platform/ClientError.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "settings/ConnectionSettings.h"
#include "settings/EndpointOverrides.h"
#include "settings/SettingsSchema.h"

namespace quillon {

namespace {

const QString kSource = QStringLiteral("basDNS.LoadAdvancedTabSettings");

// Error numbers of the two ways a window can let the load down.
constexpr long kControlMissing = 730;  // the window has no control of that name
constexpr long kNotInList = 383;       // a fixed-choice list has no such item
// The number the component system gives when it cannot create an object.
constexpr long kCannotCreateComponent = 429;

template <typename Control>
Control* control(QWidget* window, const char* name) {
    Control* found = window ? window->findChild<Control*>(QLatin1String(name)) : nullptr;
    if (!found) {
        throw ClientError(kControlMissing, kSource,
                          QStringLiteral("The window has no control %1").arg(QLatin1String(name)));
    }
    return found;
}

// Selects the item whose text is exactly `text`; a fixed-choice list accepts nothing else.
void selectItem(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        throw ClientError(kNotInList, kSource,
                          QStringLiteral("%1 is not an item of %2").arg(text, combo->objectName()));
    }
    combo->setCurrentIndex(index);
}

}  // namespace

namespace {

void selectStoredPort(QComboBox* cboPorts) {
    QString port;
    try {
        Registry reg;
        reg.setKey(store::kInitKey);
        port = reg.getValue(store::kPort).trimmed();
    } catch (const ClientError&) {
        // The default port serves: the user chose to leave SSL, not to read settings.
    }
    int index = port.isEmpty() ? -1 : cboPorts->findText(port, Qt::MatchExactly);
    if (index < 0) {
        index = cboPorts->findText(QStringLiteral("80"), Qt::MatchExactly);
    }
    cboPorts->setCurrentIndex(index);
}

}  // namespace

void ApplySSLBox(const QCheckBox* chkSSL, QComboBox* cboPorts) {
    if (chkSSL->isChecked()) {
        sServiceURL = SecureServiceURL();
        cboPorts->setEnabled(false);
        return;
    }
    cboPorts->setEnabled(true);
    if (cboPorts->currentIndex() < 0) {
        selectStoredPort(cboPorts);
    }
    sServiceURL = PlainServiceURL(cboPorts->currentText());
}

void LoadAdvancedTabSettings(QWidget* window) {
    try {
        Registry reg;
        reg.setKey(store::kInitKey);
        const ConnectionSettings settings = LoadConnectionSettings(reg);

        auto* cboPorts = control<QComboBox>(window, "cboPorts");
        auto* cboRefreshRate = control<QComboBox>(window, "cboRefreshRate");
        auto* chkSSL = control<QCheckBox>(window, "chkSSL");

        // A filled list has nothing selected: the port list shows nothing until a port is
        // chosen below (it stays empty while SSL is in force).
        const bool freeAccount = objUser().bCorvaneOnly;
        FillComboFromList(cboPorts, PortChoices());
        FillComboFromList(cboRefreshRate, RefreshRateChoices(freeAccount));
        selectItem(cboRefreshRate,
                   QString::number(ChosenRefreshRate(settings.refreshRate, freeAccount)));

        // Ticking the box runs the window's SSL handler, which switches to the secure address.
        // The box is also cleared when the stored choice is no SSL: after a Log Off the main
        // window still holds the previous session's tick, which would send this session's
        // requests to the secure address and save bSSL 1 over the user's choice.
        chkSSL->setChecked(settings.ssl);

        if (chkSSL->checkState() != Qt::Unchecked) {
            cboPorts->setEnabled(false);
            sServiceURL = SecureServiceURL();
        } else {
            // A stored port that is not an item is reported, and the address stays as it was.
            selectItem(cboPorts, QStringLiteral("80"));
            selectItem(cboPorts, settings.plainPort());
            sServiceURL = PlainServiceURL(cboPorts->currentText());
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("basDNS.LoadAdvancedTabSettings()"), error);
    }
}

bool LoadEndpointOverrides() {
    try {
        Registry reg;
        reg.setKey(store::kInitKey);
        ApplyEndpointOverrides(reg);
        return true;
    } catch (const ClientError& error) {
        // A component that cannot be created is reported once, by the settings load that
        // reads the same key right after this; the endpoints keep their defaults.
        if (error.number() != kCannotCreateComponent) {
            ErrorReport(QStringLiteral("basDNS.LoadEndpointOverrides()"), error);
        }
        return false;
    }
}

}  // namespace quillon
