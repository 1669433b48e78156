#include "desktop/WindowFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "desktop/Twips.h"

namespace quillon {

namespace {

const char kKeeperName[] = "quillonOuterSizeKeeper";

// Remembers the outer size last given to a window and the inside it took for it, and gives
// the window the inside that keeps that outer size once its frame becomes known. The window
// manager frames a window only after it is mapped, and Qt may hear of the frame without any
// event reaching the window (when the window manager leaves the inside where it was), so the
// frame is also looked at for a short while after the window is shown.
class OuterSizeKeeper : public QObject {
  public:
    explicit OuterSizeKeeper(QWidget* window) : QObject(window), window_(window) {
        setObjectName(QLatin1String(kKeeperName));
        window->installEventFilter(this);
        watch_.setInterval(kWatchInterval);
        QObject::connect(&watch_, &QTimer::timeout, this, [this] {
            if (--watchTicks_ <= 0 || !WindowFrameMargins(window_).isNull()) {
                watch_.stop();
            }
            check();
        });
    }

    static OuterSizeKeeper* of(QWidget* window) {
        auto* keeper =
            window->findChild<QObject*>(QLatin1String(kKeeperName), Qt::FindDirectChildrenOnly);
        return keeper != nullptr ? static_cast<OuterSizeKeeper*>(keeper)
                                 : new OuterSizeKeeper(window);
    }

    void apply(int width, int height) {
        outer_ = QSize(twipsToPixels(width), twipsToPixels(height));
        margins_ = WindowFrameMargins(window_);
        inside_ = insideFor(margins_);
        window_->resize(inside_);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show && WindowFrameMargins(window_).isNull()) {
            watchTicks_ = kWatchTicks;
            watch_.start();
        }
        if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) {
            check();
        }
        return false;
    }

  private:
    static constexpr int kWatchInterval = 50;  // milliseconds
    static constexpr int kWatchTicks = 40;

    void check() {
        const QMargins margins = WindowFrameMargins(window_);
        if (margins == margins_ || !outer_.isValid()) {
            return;
        }
        const bool untouched = window_->size() == inside_;
        const bool normal = !(window_->windowState() &
                              (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        const bool firstFrame = margins_.isNull();
        margins_ = margins;
        if (!untouched || !normal) {
            return;
        }
        inside_ = insideFor(margins);
        window_->resize(inside_);
        if (firstFrame) {
            // Framed where the program placed the inside: the title bar may lie above the
            // screen's top edge.
            const QRect outer(window_->geometry().topLeft() - QPoint(margins.left(), margins.top()),
                              outer_);
            const QRect fitted = FitOnScreen(outer, AvailableAreaFor(outer), false);
            if (fitted.topLeft() != outer.topLeft()) {
                window_->move(fitted.topLeft());
            }
        }
    }

    QSize insideFor(const QMargins& margins) const {
        return QSize(std::max(1, outer_.width() - margins.left() - margins.right()),
                     std::max(1, outer_.height() - margins.top() - margins.bottom()));
    }

    QWidget* window_;
    QSize outer_;
    QMargins margins_;
    QSize inside_;
    QTimer watch_;
    int watchTicks_ = 0;
};

}  // namespace

QMargins WindowFrameMargins(const QWidget* window) {
    if (window == nullptr || !window->isWindow()) {
        return {};
    }
    QMargins margins;
    // The platform window knows the frame as soon as the window manager has told it; the
    // widget's own frame geometry follows only with the next move or resize.
    if (const QWindow* handle = window->windowHandle(); handle != nullptr && handle->handle()) {
        margins = handle->frameMargins();
    } else {
        const QRect inside = window->geometry();
        const QRect outer = window->frameGeometry();
        margins = QMargins(inside.left() - outer.left(), inside.top() - outer.top(),
                           outer.right() - inside.right(), outer.bottom() - inside.bottom());
    }
    // Before the window is mapped the platform may answer with sizes that are no frame at all.
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0) {
        return {};
    }
    return margins;
}

QSize OuterSizeTwips(const QWidget* window) {
    const QMargins margins = WindowFrameMargins(window);
    return QSize(pixelsToTwips(window->width() + margins.left() + margins.right()),
                 pixelsToTwips(window->height() + margins.top() + margins.bottom()));
}

void ResizeToOuterTwips(QWidget* window, int width, int height) {
    if (!window->isWindow()) {
        window->resize(twipsToPixels(width), twipsToPixels(height));
        return;
    }
    OuterSizeKeeper::of(window)->apply(width, height);
}

QRect FitOnScreen(const QRect& outer, const QRect& available, bool limitSize) {
    if (!available.isValid()) {
        return outer;
    }
    QRect fitted = outer;
    if (limitSize) {
        fitted.setSize(fitted.size().boundedTo(available.size()));
    }
    // Right and bottom first, then left and top: what cannot fit runs off the right and the
    // bottom, never off the left edge or above the top, where the title bar is.
    if (fitted.right() > available.right()) {
        fitted.moveRight(available.right());
    }
    if (fitted.bottom() > available.bottom()) {
        fitted.moveBottom(available.bottom());
    }
    if (fitted.left() < available.left()) {
        fitted.moveLeft(available.left());
    }
    if (fitted.top() < available.top()) {
        fitted.moveTop(available.top());
    }
    return fitted;
}

QRect AvailableAreaFor(const QRect& outer) {
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(outer);
        const qint64 area = static_cast<qint64>(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (best == nullptr) {
        best = QGuiApplication::primaryScreen();
    }
    return best != nullptr ? best->availableGeometry() : QRect();
}

}  // namespace quillon
