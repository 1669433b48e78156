#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>

#include "login/AccountExpiry.h"
#include "login/LoginReply.h"
#include "login/ProgramFlags.h"
#include "login/clsUser.h"
#include "login/frmLogin.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "protocol/MainWindowLink.h"
#include "protocol/Transfer.h"
#include "protocol/basDNS.h"

namespace quillon {

namespace {

// The login action's re-entry guard: a second click or Enter while a login is under way (a
// message box or the sub-domain loading runs a nested event loop) returns at once.
bool bLoginBusy = false;

class BusyGuard {
  public:
    BusyGuard() { bLoginBusy = true; }
    ~BusyGuard() { bLoginBusy = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
};

void showLoginMessage(const char* text) {
    MsgBox(QString::fromUtf8(text), MsgButtons::OK, QStringLiteral("Corvane"), MsgIcon::None);
}

}  // namespace

void frmLogin::cmdLogin_Click() {
    // A call that arrives while a login is under way is ignored outright: it must not clear
    // bLoggedIn, which the login under way may already have set (a click during the sub-domain
    // loading would otherwise turn a successful login into a failed one).
    if (bLoginBusy) {
        return;
    }
    const BusyGuard guard;
    bLoggedIn = false;

    const QString username = txtUsername_->text().trimmed();
    if (username.isEmpty()) {
        showLoginMessage(kMsgNoUsername);
        return;
    }
    const QString password = txtPassword_->text().trimmed();
    if (password.isEmpty()) {
        showLoginMessage(kMsgNoPassword);
        return;
    }

    showOverLogin(frmLoggingIn_);
    // The request blocks the event loop; paint the busy panel before it starts.
    frmLoggingIn_->repaint();
    // User name and password are percent-encoded where they would otherwise change the query.
    const TransferReply reply =
        serviceTransfer().OpenURL(sServiceURL + LoginQuery(username, password));
    frmLoggingIn_->hide();

    const QString body = reply.ok ? reply.body : QString();
    switch (JudgeLoginReply(body)) {
        case LoginVerdict::Unexpected:
            showLoginMessage(kMsgContactError);
            return;
        case LoginVerdict::Fail:
            showLoginMessage(kMsgInvalidLogin);
            txtUsername_->clear();
            txtPassword_->clear();
            if (isVisible()) {
                txtUsername_->setFocus();
            }
            return;
        case LoginVerdict::Success:
            break;
    }

    clsUser& user = objUser();
    FillAccountRecord(user, body, username, password);

    if (IsExpired(user.sExpirationDate, Now())) {
        showOverLogin(frameExpire_);
        return;
    }

    bSaveLogin = chkSaveLogin_->isChecked();
    bLoggedIn = true;

    if (!user.sSubDomain.isEmpty()) {
        showOverLogin(frmLoggingIn_);
        frmLoggingIn_->repaint();
        MainLoadFreeUserInfo();
        frmLoggingIn_->hide();
    }
    Unload();
}

}  // namespace quillon
