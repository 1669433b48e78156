#include "LoginFixture.h"

#include <QCoreApplication>

#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "diagnostics/LogFolder.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "support/Wait.h"

namespace quillon::test {

namespace {

const QString kInitKey = QStringLiteral("SOFTWARE\\Corvane\\Init");

void resetProgramState() {
    resetEndpoints();
    objUser() = clsUser();
    bLoggedIn = false;
    bSaveLogin = false;
    bExiting = false;
    sServiceURL.clear();
    resetMainStatus();
}

}  // namespace

LoginFixture::LoginFixture()
    : store_("HIVEKIT_STORE", dir_.filePath(QStringLiteral("registry.db")).toLocal8Bit()) {
    resetProgramState();
    // Error reports log beside the program; keep them in the test's own folder.
    setProgramFolder(dir_.path());
}

LoginFixture::~LoginFixture() {
    delete window_.data();
    resetProgramState();
    setProgramFolder(QString());
}

void LoginFixture::storeText(const QString& name, const QString& value) {
    Registry reg;
    reg.setKey(kInitKey);
    ASSERT_TRUE(reg.setValue(name, value));
}

void LoginFixture::storeDword(const QString& name, qint32 value) {
    Registry reg;
    reg.setKey(kInitKey);
    ASSERT_TRUE(reg.setValue(name, value, Registry::RegDword));
}

QString LoginFixture::storedValue(const QString& name) {
    Registry reg;
    reg.setKey(kInitKey);
    return reg.getValue(name);
}

SimProcess& LoginFixture::startSim(bool https) {
    SimProcess::Options options;
    options.https = https;
    sim_ = std::make_unique<SimProcess>(options);
    EXPECT_TRUE(sim_->started()) << sim_->error().toStdString();
    storeText(QStringLiteral("UpdateHost"), sim_->httpHostPort());
    storeText(QStringLiteral("WebSite"), QStringLiteral("http://") + sim_->httpHostPort());
    if (!https) {
        // Nothing stored means the secure address: a test against the plain service chooses it.
        storeDword(QStringLiteral("bSSL"), 0);
    } else {
        storeText(QStringLiteral("SecureHost"), sim_->httpsHostPort());
        storeText(QStringLiteral("TrustedCA"), SimProcess::trustedCertPath());
    }
    return *sim_;
}

frmLogin& LoginFixture::window() {
    if (!window_) {
        window_ = new frmLogin;
    }
    return *window_;
}

void LoginFixture::typeLogin(const QString& user, const QString& password) {
    control<QLineEdit>("txtUsername")->setText(user);
    control<QLineEdit>("txtPassword")->setText(password);
}

QStringList LoginFixture::loginRequests() const {
    QStringList logins;
    for (const QString& line : sim_->requestLog()) {
        if (line.contains(QLatin1String("fxn=login"))) {
            logins.append(line);
        }
    }
    return logins;
}

bool LoginFixture::waitUnloaded() {
    // Deferred deletions posted outside an event loop run only when asked for.
    return waitUntil([this] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window_.isNull();
    });
}

}  // namespace quillon::test
