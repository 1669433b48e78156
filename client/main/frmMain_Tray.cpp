#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <utility>

#include "account/ProgramFlags.h"
#include "account/clsUser.h"
#include "cycle/UpdateCycle.h"
#include "diagnostics/ErrorReport.h"
#include "diagnostics/frmAbout.h"
#include "login/ExitWindows.h"
#include "login/WindowAccountHold.h"
#include "main/MessageTexts.h"
#include "main/cSysTray.h"
#include "main/frmMain.h"
#include "platform/MessageBox.h"
#include "protocol/RequestWait.h"

// The tray icons with their mouse handling and notices, and closing the window.

namespace quillon {

namespace {

// How long a tray event or a termination signal that arrives during a request waits before it is
// tried again.
constexpr int kHeldTrayEventMs = 200;

}  // namespace

void frmMain::SysTrayIcon(bool bON) {
    ensureBuilt();
    try {
        const bool showedOn = cSysTrayOn_->intray();
        const bool showedOff = cSysTrayOff_->intray();
        // The other icon goes, the chosen one comes; one already showing stays as it is.
        (bON ? cSysTrayOff_ : cSysTrayOn_)->setIntray(false);
        (bON ? cSysTrayOn_ : cSysTrayOff_)->setIntray(true);
        // Every failed exchange lands here: only a change of icon is news.
        if ((bON && showedOff) || (!bON && showedOn)) {
            noticeConnection(bON);
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.SysTrayIcon()"), error);
    }
}

void frmMain::noticeConnection(bool connected) {
    cSysTray* shown = connected ? cSysTrayOn_ : cSysTrayOff_;
    shown->showNotice(kCorvane, connected
                                    ? QStringLiteral("Connected to the Corvane service again.")
                                    : QStringLiteral("Not connected to the Corvane service. Your "
                                                     "records follow your address again once "
                                                     "it answers."));
}

void frmMain::noticeRepointed(int records, const QString& address) {
    if (records <= 0) {
        return;
    }
    const QString text =
        records == 1
            ? QStringLiteral("Your address changed: 1 record now points at %1.").arg(address)
            : QStringLiteral("Your address changed: %1 records now point at %2.")
                  .arg(records)
                  .arg(address);
    (cSysTrayOn_->intray() ? cSysTrayOn_ : cSysTrayOff_)->showNotice(kCorvane, text);
}

// --- the tray's mouse ------------------------------------------------------------------------

void frmMain::cSysTrayOff_MouseUp(int button, int) {
    trayMouseUp(button, QStringLiteral("frmMain.cSysTrayOff_MouseUp()"));
}

void frmMain::cSysTrayOn_MouseUp(int button, int) {
    trayMouseUp(button, QStringLiteral("frmMain.cSysTrayOn_MouseUp()"));
}

void frmMain::cSysTrayOff_MouseDown(int button, int) {
    if (button == 1) {
        mnuPopupShow_Click();
    }
}

void frmMain::cSysTrayOn_MouseDown(int button, int) {
    if (button == 1) {
        mnuPopupShow_Click();
    }
}

bool frmMain::dialogOpen(bool focus) {
    // Any modal window counts too (a question, an error message): on desktops whose tray talks
    // over D-Bus the icon's clicks reach the program while one is up.
    QWidget* modal = QApplication::activeModalWidget();
    bool open = modal != nullptr;
    if (modal != nullptr && focus) {
        modal->raise();
        modal->activateWindow();
    }
    for (QWidget* window : OpenWindows()) {
        const QString name = window->objectName();
        const bool about = name.compare(QLatin1String("frmAbout"), Qt::CaseInsensitive) == 0;
        const bool login = name.compare(QLatin1String("frmLogin"), Qt::CaseInsensitive) == 0 &&
                           window->isVisible();
        if (about || login) {
            if (focus) {
                window->raise();
                window->activateWindow();
            }
            open = true;
        }
    }
    return open;
}

void frmMain::trayMouseUp(int button, const QString& procedure) {
    // Clicks on the icon that the desktop delivers while a request waits for its reply are held
    // until it has ended, as the window's own input is: Log Off or Exit must not run inside it.
    if (RequestInFlight()) {
        QTimer::singleShot(kHeldTrayEventMs, this,
                           [this, button, procedure] { trayMouseUp(button, procedure); });
        return;
    }
    try {
        if (dialogOpen(true)) {
            return;
        }
        raise();
        activateWindow();
        if (button == 2) {
            mnuPopup_->exec(QCursor::pos());
        }
        // The flags are cleared before their command runs: a click on the icon during the command
        // (its question, the login window) must not run it a second time.
        const bool logOff = std::exchange(bLogOffRequested, false);
        const bool exit = std::exchange(bExitRequested, false);
        if (logOff) {
            mnuPopupShow_Click();
            mnuLogin_Click();
        }
        if (exit) {
            mnuLogout_Click();
        }
    } catch (const ClientError& error) {
        ErrorReport(procedure, error);
    }
}

// --- another start on the store ---------------------------------------------------------------

namespace {

void showInFront(QWidget* window) {
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

void frmMain::bringForward() {
    if (property("quillonUnloaded").toBool()) {
        return;
    }
    // As a click on the tray icon: held while a request waits for its reply.
    if (RequestInFlight()) {
        QTimer::singleShot(kHeldTrayEventMs, this, [this] { bringForward(); });
        return;
    }
    try {
        QWidget* front = QApplication::activeModalWidget();
        for (QWidget* window : OpenWindows()) {
            const QString name = window->objectName();
            if (front == nullptr && window->isVisible() &&
                (name.compare(QLatin1String("frmLogin"), Qt::CaseInsensitive) == 0 ||
                 name.compare(QLatin1String("frmAbout"), Qt::CaseInsensitive) == 0)) {
                front = window;
            }
        }
        if (front != nullptr) {
            showInFront(front);
            return;
        }
        // Nobody logged in and no login window: the program is between the two (starting, or
        // logging off), and the window that comes next shows by itself.
        if (!bLoggedIn) {
            return;
        }
        if (isHidden()) {
            mnuPopupShow_Click();
        }
        showInFront(this);
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.bringForward()"), error);
    }
}

// --- closing ---------------------------------------------------------------------------------

void frmMain::Form_QueryUnload(bool& cancel, int) {
    try {
        // With nobody logged in (after a Log Off) there is nothing to remove or lose.
        MsgAnswer answer = MsgAnswer::Yes;
        if (bShuttingDown_) {
            // No question at the system's close: the close goes ahead as a Yes would.
        } else if (bLoggedIn && objUser().bCorvaneOnly) {
            answer =
                MsgBox(QStringLiteral("By closing this application you will remove your DNS "
                                      "records from the DNS Server ") +
                           kCrLf +
                           QStringLiteral("making your server unreachable by it's Corvane "
                                          "domain name.") +
                           kCrLf + kCrLf + QStringLiteral("Are you sure you want to close it?"),
                       MsgButtons::YesNo, kCorvane);
        } else if (bLoggedIn && !bExiting) {
            answer = MsgBox(
                QStringLiteral("Are you sure you want to close the Dynamic DNS Application?"),
                MsgButtons::YesNo, kCorvane);
        }
        if (answer == MsgAnswer::No) {
            cancel = true;
            return;
        }
        SaveSettings();
        ReleaseAccountForWindow();
        const QList<QWidget*> windows = OpenWindows();
        for (qsizetype i = windows.size() - 1; i >= 0; --i) {
            if (windows[i]->objectName().compare(QLatin1String("frmMain"), Qt::CaseInsensitive) !=
                0) {
                UnloadWindow(windows[i]);
            }
        }
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.Form_QueryUnload()"), error);
    }
}

void frmMain::closeForShutdown() {
    if (property("quillonUnloaded").toBool()) {
        return;
    }
    // A request under way ends first, as a click would wait for it; so does a question or a
    // message that is up (a close already asking, a request's result). The login window is no
    // such question: nobody is logged in, and the close unloads it.
    QWidget* modal = QApplication::activeModalWidget();
    const bool waitForModal = modal != nullptr && modal != login_.data();
    // A login waiting for another program to let the account go is abandoned; the close comes
    // once that wait has returned, never inside it.
    if (AccountWaitUnderWay()) {
        AbandonAccountWait();
        QTimer::singleShot(kHeldTrayEventMs, this, [this] { closeForShutdown(); });
        return;
    }
    if (RequestInFlight() || waitForModal) {
        closeAsked_ = true;
        QTimer::singleShot(kHeldTrayEventMs, this, [this] { closeForShutdown(); });
        return;
    }
    bExiting = true;
    bShuttingDown_ = true;
    close();
}

// Every way of closing the main window comes here; the program ends with it.
void frmMain::closeEvent(QCloseEvent* event) {
    ensureBuilt();
    if (RequestInFlight()) {
        // A request's wait holds user input but lets the window manager's close through: the
        // close waits for the request, and the sequence it belongs to, to end, rather than
        // saving and unloading between a re-point's delete and its add. The records after that
        // pair are left to the next run (their marks are stored).
        closeAsked_ = true;
        event->ignore();
        QTimer::singleShot(kHeldTrayEventMs, this, [this] { close(); });
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel, 0);
    if (cancel) {
        event->ignore();
        return;
    }
    setProperty("quillonUnloaded", true);
    tmrAuto_->stop();
    tmrTimes_->stop();
    cSysTrayOn_->setIntray(false);
    cSysTrayOff_->setIntray(false);
    event->accept();
    emit unloaded();
}

}  // namespace quillon
