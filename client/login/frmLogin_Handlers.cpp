#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "account/ProgramFlags.h"
#include "desktop/PageOpener.h"
#include "diagnostics/ErrorReport.h"
#include "diagnostics/frmAbout.h"
#include "login/ExitWindows.h"
#include "login/LoadAdvancedTabSettings.h"
#include "login/frmLogin.h"
#include "platform/ClientError.h"
#include "platform/Endpoints.h"
#include "protocol/basDNS.h"
#include "registry/Registry.h"
#include "resources/PictureButton.h"
#include "settings/ConnectionSettings.h"
#include "settings/SettingsSchema.h"

// The login window's handlers other than the login action.

namespace quillon {

void frmLogin::cmdExit_Click() {
    bExiting = true;
    ExitWindows();
}

void frmLogin::mnuAdvanced_Click() {
    openedSSL_ = chkSSL_->isChecked();
    openedPort_ = cboPorts_->currentIndex();
    openedRefreshRate_ = cboRefreshRate_->currentIndex();
    showOverLogin(frameAdvanced_);
}

void frmLogin::cancelAdvanced() {
    if (frameAdvanced_->isHidden()) {
        return;
    }
    // The SSL box first: its handler refills the ports.
    chkSSL_->setChecked(openedSSL_);
    cboPorts_->setCurrentIndex(openedPort_);
    cboRefreshRate_->setCurrentIndex(openedRefreshRate_);
    frameAdvanced_->hide();
}

void frmLogin::cmdOKAdvanced_Click() {
    frmLogin_->show();
    frameAdvanced_->hide();
    try {
        Registry reg;
        reg.setKey(store::kInitKey);
        // With SSL stored no port is chosen: the stored one stays for a later plain address.
        SaveConnectionSettings(
            reg, chkSSL_->isChecked(),
            cboPorts_->currentIndex() >= 0 ? cboPorts_->currentText() : QString(),
            cboRefreshRate_->currentText());
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmLogin.cmdOKAdvanced_Click()"), error);
    }
}

void frmLogin::chkSSL_Click() {
    ApplySSLBox(chkSSL_, cboPorts_);
}

void frmLogin::cmdExpireOK_Click() {
    frameExpire_->hide();
}

void frmLogin::mnuOnlineHelp_Click() {
    OpenPage(endpoints().webSite + QStringLiteral("/help"), this);
}

void frmLogin::mnuRegister_Click() {
    OpenPage(endpoints().webSite + QStringLiteral("/services.asp"), this);
}

void frmLogin::lblExpire_Click() {
    OpenPage(
        QStringLiteral("https://") + endpoints().secureHost + QStringLiteral("/v.1.3/support.asp"),
        this);
}

void frmLogin::mnuAbout_Click() {
    frmAbout::ShowAbout(this, true);
}

void frmLogin::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Keys the focused control does not use reach the window; Enter starts the login while
        // the login panel is the one showing.
        if (loginPanelShowing()) {
            cmdLogin_Click();
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape) {
        // The window has no cancel action; Escape does not close it.
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == frameAdvanced_ || watched == frmLoggingIn_ || watched == frameExpire_) &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        coverLoginPanel();
        return false;
    }
    if (watched == txtPassword_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Handled here so that the window's own key handler does not run the login again.
            cmdLogin_Click();
            return true;
        }
        return false;
    }

    // The two Ok buttons keep their picture: the press is taken here before the picture
    // button shows its pressed face, and a release over the control runs the action.
    PictureButton* okButton = nullptr;
    if (watched == cmdOKAdvanced_->picture() || watched == cmdOKAdvanced_->label()) {
        okButton = cmdOKAdvanced_;
    } else if (watched == cmdExpireOK_->picture() || watched == cmdExpireOK_->label()) {
        okButton = cmdExpireOK_;
    }
    if (!okButton) {
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        return true;
    }
    if (event->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* widget = static_cast<QWidget*>(watched);
    if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint()) &&
        okButton->isEnabled() && widget->isVisibleTo(this)) {
        okButton->click();
    }
    return true;
}

}  // namespace quillon
