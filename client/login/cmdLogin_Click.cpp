#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>

#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "cycle/UpdateDriver.h"
#include "login/WindowAccountHold.h"
#include "login/frmLogin.h"
#include "platform/MessageBox.h"
#include "protocol/LoginReply.h"
#include "protocol/MainWindowLink.h"
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

// The login's answer when another program keeps the account past the wait's limit.
constexpr const char* kMsgAccountBusy =
    "Another program (quillon-update) is updating this account's records and has not "
    "finished. Please try again in a few minutes.";

void showLoginMessage(const char* text) {
    MsgBox(QString::fromUtf8(text), MsgButtons::OK, QStringLiteral("Corvane"), MsgIcon::None);
}

// Shows the busy panel over the login panel for as long as it lives and hides it on every way
// out, so that an error raised while it shows cannot leave the window covered for good.
class BusyPanel {
  public:
    explicit BusyPanel(QFrame* panel) : panel_(panel) { panel_->repaint(); }
    ~BusyPanel() { panel_->hide(); }
    BusyPanel(const BusyPanel&) = delete;
    BusyPanel& operator=(const BusyPanel&) = delete;

  private:
    QFrame* panel_;
};

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

    // The boxes are trimmed of blanks only: a tab is part of what the user typed.
    const QString username = TrimNull(txtUsername_->text());
    if (username.isEmpty()) {
        showLoginMessage(kMsgNoUsername);
        return;
    }
    const QString password = TrimNull(txtPassword_->text());
    if (password.isEmpty()) {
        showLoginMessage(kMsgNoPassword);
        return;
    }

    // Events are handled while another program keeps the account: the window is checked again
    // after the wait, should something have closed it meanwhile.
    const QPointer<frmLogin> self(this);
    switch (HoldAccountForWindow(username)) {
        case AccountHold::Held:
            break;
        case AccountHold::TimedOut:
            if (self) {
                showLoginMessage(kMsgAccountBusy);
            }
            return;
        case AccountHold::Abandoned:
            return;
    }
    if (!self) {
        ReleaseAccountForWindow();
        return;
    }
    // Every way out below but a login lets the account go again.
    struct ReleaseUnlessLoggedIn {
        ~ReleaseUnlessLoggedIn() {
            if (!bLoggedIn) {
                ReleaseAccountForWindow();
            }
        }
    } releaseUnlessLoggedIn;

    // The exchange is the update engine's, for the window's account record and service address.
    LoginOutcome outcome = LoginOutcome::NotReached;
    {
        showOverLogin(frmLoggingIn_);
        // The request blocks the event loop; the busy panel is painted before it starts.
        const BusyPanel busy(frmLoggingIn_);
        outcome = UpdateDriver::LogIn(ProgramAccount(), username, password);
    }

    switch (outcome) {
        case LoginOutcome::NotReached:
            showLoginMessage(kMsgContactError);
            return;
        case LoginOutcome::Refused:
            showLoginMessage(kMsgInvalidLogin);
            txtUsername_->clear();
            txtPassword_->clear();
            if (isVisible()) {
                txtUsername_->setFocus();
            }
            return;
        case LoginOutcome::Expired:
            showOverLogin(frameExpire_);
            return;
        case LoginOutcome::LoggedIn:
            break;
    }

    const clsUser& user = objUser();
    bSaveLogin = chkSaveLogin_->isChecked();
    bLoggedIn = true;

    if (!user.sSubDomain.isEmpty()) {
        showOverLogin(frmLoggingIn_);
        const BusyPanel busy(frmLoggingIn_);
        MainLoadFreeUserInfo();
    }
    Unload();
}

}  // namespace quillon
