#include "MainFixture.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include "account/ProgramFlags.h"
#include "main/frmMain.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "resources/PictureButton.h"
#include "support/Wait.h"

namespace quillon::test {

namespace {

QString userKey(const QString& user) {
    return QStringLiteral("SOFTWARE\\Corvane\\") + user;
}

}  // namespace

MainFixture::MainFixture() {
    sAutoIPs.clear();
    sStartTime.clear();
}

MainFixture::~MainFixture() {
    delete main_.data();
    sAutoIPs.clear();
    sStartTime.clear();
}

void MainFixture::saveLogin(const QString& user, const QString& password) {
    storeDword(QStringLiteral("bSaveLogin"), 1);
    storeText(QStringLiteral("Username"), user);
    storeText(QStringLiteral("Password"), password);
}

void MainFixture::storeUserText(const QString& user, const QString& name, const QString& value) {
    Registry reg;
    reg.setKey(userKey(user));
    ASSERT_TRUE(reg.setValue(name, value));
}

void MainFixture::storeUserDword(const QString& user, const QString& name, qint32 value) {
    Registry reg;
    reg.setKey(userKey(user));
    ASSERT_TRUE(reg.setValue(name, value, Registry::RegDword));
}

QString MainFixture::userValue(const QString& user, const QString& name) {
    Registry reg;
    reg.setKey(userKey(user));
    return reg.getValue(name);
}

QString MainFixture::storedType(const QString& key, const QString& name) {
    QProcess reg;
    reg.start(
        qEnvironmentVariable("QUILLON_BIN_DIR") + QStringLiteral("/hivekit-reg"),
        {QStringLiteral("query"), QStringLiteral("HKLM\\") + key, QStringLiteral("/v"), name});
    if (!reg.waitForFinished(10000) || reg.exitCode() != 0) {
        return QString();
    }
    // Lines read "    NAME    REG_TYPE    DATA".
    for (const QString& line : QString::fromUtf8(reg.readAllStandardOutput()).split(u'\n')) {
        const QStringList parts = line.trimmed().split(QStringLiteral("    "));
        if (parts.size() >= 2 && parts[0].compare(name, Qt::CaseInsensitive) == 0) {
            return parts[1].trimmed();
        }
    }
    return QString();
}

PictureButton* MainFixture::mainButton(const char* name) {
    return mainControl<ButtonPicture>(name)->owner();
}

bool MainFixture::startMain(const std::function<void(frmLogin&)>& onLoginWindow) {
    main_ = new frmMain;
    bool sawLoginWindow = false;
    // The login window runs modally inside Form_Load: act on it from the event loop.
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        frmLogin* login = main_ ? main_->loginWindow() : nullptr;
        if (login != nullptr && login->isVisible() && !sawLoginWindow) {
            sawLoginWindow = true;
            if (onLoginWindow) {
                onLoginWindow(*login);
            } else {
                ADD_FAILURE() << "the login window was shown";
                login->cmdExit_Click();
            }
        }
    });
    poll.start();
    const bool running = main_->Form_Load();
    poll.stop();
    return running;
}

bool MainFixture::startAs(const QString& user, const QString& password) {
    if (!sim_) {
        startSim();
    }
    saveLogin(user, password.isEmpty() ? user : password);
    return startMain();
}

QStringList MainFixture::ticklerRequests() const {
    QStringList found;
    for (const QString& line : sim_->requestLog()) {
        if (line.contains(QLatin1String("FXN=DNSTickler"))) {
            found.append(line);
        }
    }
    return found;
}

QStringList MainFixture::ipRequests() const {
    QStringList found;
    for (const QString& line : sim_->requestLog()) {
        if (line.contains(QLatin1String("FXN=GetIPAddress"))) {
            found.append(line);
        }
    }
    return found;
}

QString MainFixture::serviceRecords(const QString& user, const QString& password) const {
    const QString reply = sim_->get(QStringLiteral("/dnslogin3.asp?fxn=login&usr=") + user +
                                    QStringLiteral("&pwd=") + password);
    return GetReplyValue(reply, QStringLiteral("DomainUserRecords:"));
}

void MainFixture::tick(int n) {
    for (int i = 0; i < n; ++i) {
        main_->tmrAuto_Timer();
    }
}

}  // namespace quillon::test
