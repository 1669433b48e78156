#pragma once

#include <functional>

class QWidget;

namespace quillon {

// Runs `action` when the left mouse button is released over `widget` (a picture or a label that
// acts as a link). The filter lives as long as the widget.
void OnClick(QWidget* widget, std::function<void()> action);

}  // namespace quillon
