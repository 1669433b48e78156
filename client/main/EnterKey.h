#pragma once

#include <functional>

class QWidget;

namespace quillon {

// Runs `action` when Return or Enter (key code 13) is pressed in `widget`, in place of what the
// widget would do with the key. The filter lives as long as the widget does.
void onEnterKey(QWidget* widget, std::function<void()> action);

}  // namespace quillon
