#include "desktop/AfterFirstPaint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace quillon {

namespace {

class FirstPaintWatch : public QObject {
  public:
    FirstPaintWatch(QWidget* widget, QObject* context, std::function<void()> then)
        : QObject(context), widget_(widget), then_(std::move(then)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            widget_->removeEventFilter(this);
            // After the paint has reached the screen, not inside it.
            QTimer::singleShot(0, parent(), std::move(then_));
            deleteLater();
        }
        return false;
    }

  private:
    QPointer<QWidget> widget_;
    std::function<void()> then_;
};

}  // namespace

void AfterFirstPaint(QWidget* widget, QObject* context, std::function<void()> then) {
    new FirstPaintWatch(widget, context, std::move(then));
}

}  // namespace quillon
