#include <QApplication>
#include <QPointer>
#include <cstdio>

#include "desktop/SingleWindow.h"
#include "desktop/WidgetMessageBoxes.h"
#include "main/frmMain.h"
#include "platform/MessageBox.h"
#include "platform/QtThreadsEnd.h"
#include "platform/TerminationSignals.h"
#include "protocol/CurlTransfer.h"
#include "registry/ComponentLoader.h"
#include "registry/ReleaseIdleMemory.h"
#include "resources/Resources.h"

// The program: the main window is the start-up window. Its load runs the login (automatic or
// through the login window); when the user leaves from the login window the program ends with
// 0, as a choice to leave is not a failure. Otherwise it runs until the main window closes.
//
// The program does not end when its last visible window closes: the main window may be hidden
// (in the tray, or while the login window of a Log Off is up) while the program goes on.
int main(int argc, char* argv[]) {
    // The settings store is read before the first window; its library loads meanwhile.
    quillon::ComponentLoader::preload();
    const quillon::QtThreadsEndBeforeExit qtThreadsEnd;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setQuitOnLastWindowClosed(false);
    quillon::UseWidgetMessageBoxes();
    if (const QString missing = quillon::TransferModuleMissing(); !missing.isEmpty()) {
        std::fprintf(stderr, "quillon: %s\n", qPrintable(missing));
        quillon::MsgBox(missing, quillon::MsgButtons::OK, QStringLiteral("Corvane"));
        return 1;
    }

    // One window per settings store: a start on a store whose window runs brings that window
    // forward and ends with 0, having shown nothing.
    quillon::SingleWindow single;
    switch (single.start()) {
        case quillon::SingleWindow::Start::First:
            break;
        case quillon::SingleWindow::Start::Forwarded:
            return 0;
        case quillon::SingleWindow::Start::NoAnswer:
            std::fprintf(stderr,
                         "quillon: another program (process %lld) keeps the window of this "
                         "settings store (%s) and does not answer\n",
                         static_cast<long long>(single.otherProcess()),
                         qPrintable(quillon::SettingsStorePath()));
            return 1;
    }
    quillon::startDrawingArtwork();

    QPointer<quillon::frmMain> window = new quillon::frmMain;
    QObject::connect(window.data(), &quillon::frmMain::unloaded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&single, &quillon::SingleWindow::bringForwardRequested, window.data(),
                     &quillon::frmMain::bringForward);
    // A termination signal (shutdown, the session's end, Ctrl+C) closes in order: the settings are
    // saved as at any close.
    quillon::OnTerminationSignal(&app, [&window] {
        if (window) {
            window->closeForShutdown();
        }
    });
    int code = 0;
    if (window->Form_Load()) {
        quillon::ReleaseIdleMemory();  // what the login and the start needed, before the idle
        code = QApplication::exec();
    }
    delete window.data();
    return code;
}
