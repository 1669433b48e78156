#include <QCloseEvent>
#include <QTimer>

#include "diagnostics/ErrorReport.h"
#include "login/ExitWindows.h"
#include "main/cSysTray.h"
#include "main/frmMain.h"

// The tray icons and closing the window.

namespace quillon {

void frmMain::SysTrayIcon(bool bON) {
    try {
        cSysTrayOn_->setIntray(false);
        cSysTrayOff_->setIntray(false);
        (bON ? cSysTrayOn_ : cSysTrayOff_)->setIntray(true);
    } catch (const ClientError& error) {
        ErrorReport(QStringLiteral("frmMain.SysTrayIcon()"), error);
    }
}

// Closing the main window saves the settings and unloads the other windows, the last first;
// the program ends with it.
void frmMain::closeEvent(QCloseEvent* event) {
    try {
        SaveSettings();
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
    setProperty("quillonUnloaded", true);
    tmrAuto_->stop();
    tmrTimes_->stop();
    cSysTrayOn_->setIntray(false);
    cSysTrayOff_->setIntray(false);
    event->accept();
    emit unloaded();
}

}  // namespace quillon
