#include "main/ClickAction.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace quillon {

namespace {

class ClickFilter : public QObject {
  public:
    ClickFilter(QWidget* widget, std::function<void()> action)
        : QObject(widget), widget_(widget), action_(std::move(action)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease) {
            return false;
        }
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A press dragged off the widget before its release is no click.
        if (mouse->button() == Qt::LeftButton &&
            widget_->rect().contains(mouse->position().toPoint())) {
            action_();
        }
        return false;
    }

  private:
    QWidget* widget_;
    std::function<void()> action_;
};

}  // namespace

void OnClick(QWidget* widget, std::function<void()> action) {
    new ClickFilter(widget, std::move(action));
}

}  // namespace quillon
