#include "main/EnterKey.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace quillon {

namespace {

class EnterKeyFilter : public QObject {
  public:
    EnterKeyFilter(QWidget* widget, std::function<void()> action)
        : QObject(widget), action_(std::move(action)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                action_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> action_;
};

}  // namespace

void onEnterKey(QWidget* widget, std::function<void()> action) {
    widget->installEventFilter(new EnterKeyFilter(widget, std::move(action)));
}

}  // namespace quillon
