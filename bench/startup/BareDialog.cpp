#include <QApplication>
#include <QDialog>

#include "BareDialogWindow.h"

// The yardstick for the start-up benchmark: the least a Qt program with a login-like window
// costs. The window's title comes from the first argument.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QDialog dialog;
    fillBareDialog(dialog,
                   argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Bare dialog"));
    dialog.show();
    return app.exec();
}
