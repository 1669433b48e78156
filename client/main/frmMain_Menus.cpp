#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>

#include "account/ProgramFlags.h"
#include "desktop/LinkControl.h"
#include "desktop/PageOpener.h"
#include "diagnostics/ErrorReport.h"
#include "diagnostics/frmAbout.h"
#include "login/ExitWindows.h"
#include "login/WindowAccountHold.h"
#include "login/frmLogin.h"
#include "main/cSysTray.h"
#include "main/frmMain.h"
#include "platform/Endpoints.h"
#include "platform/NullToZero.h"
#include "registry/Registry.h"
#include "settings/SettingsSchema.h"

// The menu bar, the tray's popup menu, Log Off, Exit, and the service's web pages.

namespace quillon {

namespace {

QAction* popupItem(QMenu* popup, const char* name) {
    return popup->findChild<QAction*>(QLatin1String(name));
}

QString helpPage() {
    return endpoints().webSite + QStringLiteral("/help");
}

}  // namespace

void frmMain::connectMenuHandlers() {
    connect(mnuAddDomain_, &QAction::triggered, this, &frmMain::mnuAddDomain_Click);
    connect(mnuLogin_, &QAction::triggered, this, &frmMain::mnuLogin_Click);
    connect(mnuLogout_, &QAction::triggered, this, &frmMain::mnuLogout_Click);
    connect(mnuOnlineHelp_, &QAction::triggered, this, &frmMain::mnuOnlineHelp_Click);
    connect(mnuAbout_, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(popupItem(mnuPopup_, "mnuPopupHide"), &QAction::triggered, this,
            &frmMain::mnuPopupHide_Click);
    connect(popupItem(mnuPopup_, "mnuPopupLogOff"), &QAction::triggered, this,
            &frmMain::mnuPopupLogOff_Click);
    connect(popupItem(mnuPopup_, "mnuPopupShow"), &QAction::triggered, this,
            &frmMain::mnuPopupShow_Click);
    connect(popupItem(mnuPopup_, "mnuPopupAbout"), &QAction::triggered, this,
            &frmMain::mnuPopupAbout_Click);
    connect(popupItem(mnuPopup_, "mnuPopupExit"), &QAction::triggered, this,
            &frmMain::mnuPopupExit_Click);

    MakeLink(imgHelpGrid_, [this] { imgHelpGrid_Click(); });
    MakeLink(imgHelpFree_, [this] { imgHelpFree_Click(); });
    MakeLink(imgHelpDomainEditor_, [this] { imgHelpDomain_Click(0); });
    MakeLink(imgHelpDomainAdvanced_, [this] { imgHelpDomain_Click(1); });

    connect(cSysTrayOff_, &cSysTray::MouseUp, this, &frmMain::cSysTrayOff_MouseUp);
    connect(cSysTrayOn_, &cSysTray::MouseUp, this, &frmMain::cSysTrayOn_MouseUp);
    connect(cSysTrayOff_, &cSysTray::MouseDown, this, &frmMain::cSysTrayOff_MouseDown);
    connect(cSysTrayOn_, &cSysTray::MouseDown, this, &frmMain::cSysTrayOn_MouseDown);
}

// --- the web pages ---------------------------------------------------------------------------

void frmMain::mnuAddDomain_Click() {
    OpenPage(
        QStringLiteral("https://") + endpoints().secureHost + QStringLiteral("/v.1.6/login.asp"),
        this);
}

void frmMain::mnuOnlineHelp_Click() {
    OpenPage(helpPage(), this);
}

void frmMain::imgHelpGrid_Click() {
    OpenPage(helpPage(), this);
}

void frmMain::imgHelpFree_Click() {
    OpenPage(helpPage(), this);
}

void frmMain::imgHelpDomain_Click(int) {
    OpenPage(helpPage(), this);
}

// --- About, Hide and Show --------------------------------------------------------------------

void frmMain::mnuAbout_Click() {
    frmAbout::ShowAbout(this, true);
}

void frmMain::mnuPopupAbout_Click() {
    // Modal over a visible main window; alone (modeless) while the window is in the tray.
    frmAbout::ShowAbout(this, isVisible());
}

void frmMain::mnuPopupHide_Click() {
    hide();
}

void frmMain::mnuPopupShow_Click() {
    try {
        if (dialogOpen(false)) {
            return;
        }
        Registry reg;
        reg.setKey(userKey());
        setWindowStateNumber(NullToZero(reg.getValue(store::kWindowState)).toInt());
        show();
        raise();
        activateWindow();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.mnuPopupShow_Click()"), error);
    }
}

// --- Log Off and Exit ------------------------------------------------------------------------

// The tray menu only notes Log Off and Exit: they run once its menu has closed.
void frmMain::mnuPopupLogOff_Click() {
    bLogOffRequested = true;
}

void frmMain::mnuPopupExit_Click() {
    bExitRequested = true;
}

void frmMain::mnuLogin_Click() {
    try {
        SaveSettings();
        ReleaseAccountForWindow();
        // Nobody is logged in until the login window logs someone in: the update cycle leaves
        // the account just saved alone meanwhile (a free host it would re-create, marks it
        // would change and never save).
        bLoggedIn = false;
        session_.forgetMarks();
        hide();
        // The next account starts from its own stored boxes: the free panel only ticks the
        // boxes its stored values name, and would leave this account's ticks standing.
        for (QCheckBox* box : {chkAutoIP_, chkMX_, chkFTP_, chkMail_, chkTelnet_, chkVNC_, chkWWW_,
                               chkIRC_, chkPCAW_}) {
            box->setChecked(false);
        }
        if (!login_ || login_->isUnloaded()) {
            login_ = new frmLogin;
        }
        login_->setWindowTitle(frmLogin::defaultCaption());
        // The saved login stays saved unless the user clears its box.
        fillSavedLogin();
        login_->exec();
        if (!OpenWindows().contains(this)) {
            return;  // the login window's Exit closed the program
        }
        if (!bLoggedIn) {
            // The login window was closed without a login: the program ends, as at start-up.
            close();
            return;
        }
        // The new account's own geometry, columns and sort, as at start-up: without them it
        // would take over this window's and save them under its own name at its close.
        restoreUserSettings();
        init();
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.mnuLogin_Click()"), error);
    }
}

// Unloads every window, the last loaded first; the main window, loaded first, goes last, and its
// close handling may still keep it open.
void frmMain::mnuLogout_Click() {
    try {
        bExiting = true;
        QList<QWidget*> windows = OpenWindows();
        if (windows.removeAll(this) > 0) {
            windows.prepend(this);
        }
        for (qsizetype i = windows.size() - 1; i >= 0; --i) {
            if (windows[i] == this) {
                close();
            } else if (OpenWindows().contains(windows[i])) {
                UnloadWindow(windows[i]);
            }
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.mnuLogout_Click()"), error);
    }
}

}  // namespace quillon
