#pragma once

#include <functional>

class QWidget;

namespace quillon {

// Runs `action` when Return or Enter is pressed in `widget`, instead of the widget's own use of
// the key. The filter lives as long as the widget.
void OnEnterKey(QWidget* widget, std::function<void()> action);

}  // namespace quillon
