#pragma once

class QWidget;

namespace quillon {

// Gives the keyboard focus to the first control inside `container` that Tab reaches, in the
// window's tab order. False when it holds none.
bool FocusFirstControl(QWidget* container);

}  // namespace quillon
