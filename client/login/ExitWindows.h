#pragma once

#include <QList>

class QWidget;

namespace quillon {

// The program's open forms (MarkAsForm), in the order the application lists them, hidden ones
// too: a loaded window counts while it is hidden.
QList<QWidget*> OpenWindows();

// Unloads one window: the login window ends its modal display and goes away, any other window
// is closed and deleted later.
void UnloadWindow(QWidget* window);

// The exit walk of the login window's Exit: counts the open windows once and that many times
// unloads the first window still in the list; when that window is the main window ("frmMain",
// compared without regard to case) the walk stops there, because the main window's own close
// handling unloads the others. Qt keeps its top-level widgets in no particular order, so "the
// first window" is the first one QApplication::topLevelWidgets() gives; either way every window
// ends up unloaded, by this walk or by the main window.
void ExitWindows();

}  // namespace quillon
