#pragma once

namespace quillon {

// Makes the program's message boxes real modal boxes (QMessageBox). A windowed program calls it
// once, before its first window; without it a box's text goes to standard error.
void UseWidgetMessageBoxes();

}  // namespace quillon
