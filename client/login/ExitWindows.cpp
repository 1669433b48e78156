#include "login/ExitWindows.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include "desktop/ProgramForm.h"
#include "login/frmLogin.h"

namespace quillon {

namespace {

// A window counts once it is unloaded no more: one that is already on its way out (deleted
// later) is no longer in the program's list.
bool isOpen(const QWidget* w) {
    return w->isWindow() && IsProgramForm(w) && !w->property("quillonUnloaded").toBool();
}

}  // namespace

QList<QWidget*> OpenWindows() {
    QList<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (isOpen(w)) {
            windows.append(w);
        }
    }
    return windows;
}

void UnloadWindow(QWidget* window) {
    window->setProperty("quillonUnloaded", true);
    if (auto* login = qobject_cast<frmLogin*>(window)) {
        login->Unload();
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->reject();
    }
    window->close();
    window->deleteLater();
}

void ExitWindows() {
    const qsizetype count = OpenWindows().size();
    for (qsizetype i = 0; i < count; ++i) {
        const QList<QWidget*> windows = OpenWindows();
        if (windows.isEmpty()) {
            return;
        }
        QWidget* first = windows.first();
        if (first->objectName().compare(QLatin1String("frmMain"), Qt::CaseInsensitive) == 0) {
            // The main window's close handling unloads the rest.
            first->close();
            return;
        }
        UnloadWindow(first);
    }
}

}  // namespace quillon
