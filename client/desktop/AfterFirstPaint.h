#pragma once

#include <functional>

class QObject;
class QWidget;

namespace quillon {

// Runs `then` from the event loop once `widget` has been painted for the first time: work that
// the window on the screen does not need waits until the user can see it. Nothing runs when
// `context` goes first.
void AfterFirstPaint(QWidget* widget, QObject* context, std::function<void()> then);

}  // namespace quillon
