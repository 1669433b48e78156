#include "main/EnterKey.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace quillon {

namespace {

class EnterKeyFilter : public QObject {
  public:
    EnterKeyFilter(QWidget* widget, std::function<void()> action)
        : QObject(widget), action_(std::move(action)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        action_();
        return true;
    }

  private:
    std::function<void()> action_;
};

}  // namespace

void OnEnterKey(QWidget* widget, std::function<void()> action) {
    new EnterKeyFilter(widget, std::move(action));
}

}  // namespace quillon
