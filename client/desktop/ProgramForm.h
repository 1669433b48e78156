#pragma once

#include <QVariant>
#include <QWidget>

namespace quillon {

// The program's own forms (the main window, the login window, the About window) carry a mark: only
// they count as its loaded windows. Message boxes, menus and the windows Qt keeps for itself (the
// tray icon's own window on some desktops) are not forms, and unloading one of those would delete
// what Qt or a caller still holds.
inline constexpr const char* kProgramFormProperty = "quillonForm";

inline void MarkAsForm(QWidget* window) {
    window->setProperty(kProgramFormProperty, true);
}

inline bool IsProgramForm(const QWidget* window) {
    return window->property(kProgramFormProperty).toBool();
}

}  // namespace quillon
