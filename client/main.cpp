#include <QApplication>
#include <QPointer>
#include <cstdio>

#include "login/ProgramFlags.h"
#include "login/clsUser.h"
#include "login/frmLogin.h"

// The program. The main window is not part of it yet, so the login window is its only window:
// it is shown modally, and the program ends when it closes. After a successful login the program
// says who logged in on standard output and exits with 0; leaving the login window (Exit or the
// window's close box) also exits with 0, as a user's choice to leave is not a failure.
//
// The application keeps Qt's default of quitting when its last window closes: with no tray icon
// and no main window yet, nothing should keep the program alive once the login window is gone.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));

    // The login window's load puts the endpoints the store names in force before it forms the
    // first service address, so nothing is read here (a broken store would be reported twice).
    QPointer<quillon::frmLogin> login = new quillon::frmLogin;
    login->exec();
    // A successful login or Exit unloads the window (deleted later); the frame's close box only
    // hides it. Either way it goes now, before the event loop is left for good.
    delete login.data();

    if (quillon::bLoggedIn) {
        std::printf("quillon: logged in as %s\n",
                    quillon::objUser().sUsername.toLocal8Bit().constData());
        std::fflush(stdout);
    }
    return 0;
}
