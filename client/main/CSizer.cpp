#include "main/CSizer.h"

#include <QEvent>
#include <algorithm>
#include <limits>

#include "desktop/Twips.h"
#include "desktop/WindowFrame.h"

namespace quillon {

namespace {

constexpr int kInitialSlots = 10;
// A control whose Left is at or below this is parked off the window.
constexpr qint32 kParkedLeft = -37500;
constexpr qint32 kParkOffset = 75000;

constexpr int kMoveRight = 1;
constexpr int kMoveDown = 2;
constexpr int kStretchRight = 4;
constexpr int kStretchDown = 8;
// Taken off every stretched height.
constexpr qint32 kHeightAllowance = 15;

// The container's size in twips: a window's outer size, frame included (the size the window's
// geometry is given in), else the widget's own.
QSize containerTwips(const QWidget* container) {
    if (container->isWindow()) {
        return OuterSizeTwips(container);
    }
    return QSize(pixelsToTwips(container->width()), pixelsToTwips(container->height()));
}

}  // namespace

CSizer::CSizer(QObject* parent) : QObject(parent) {}

CSizer::~CSizer() {
    if (parentForm_) {
        parentForm_->removeEventFilter(this);
    }
}

void CSizer::Create(QWidget* container, int minHeight, int minWidth) {
    if (parentForm_) {
        parentForm_->removeEventFilter(this);
    }
    container_ = container;
    const QSize size = container != nullptr ? containerTwips(container) : QSize(0, 0);
    initialHeight_ = size.height();
    initialWidth_ = size.width();
    minHeight_ = minHeight;
    minWidth_ = minWidth;
    parentForm_ = nullptr;
    if (container != nullptr) {
        parentForm_ = container->isWindow() ? container : container->parentWidget();
        if (parentForm_) {
            parentForm_ = parentForm_->window();
            parentForm_->installEventFilter(this);
        }
    }
    children_.clear();
    for (auto* array : {&left_, &top_, &height_, &width_}) {
        array->fill(0, kInitialSlots + 1);
    }
    modes_.fill(0, kInitialSlots + 1);
}

void CSizer::grow() {
    const qsizetype size = 2 * capacity() + 1;
    modes_.resize(size);
    for (auto* array : {&left_, &top_, &height_, &width_}) {
        array->resize(size);
    }
}

void CSizer::Add(QWidget* child, int mode) {
    if (child == nullptr) {
        return;
    }
    if (modes_.isEmpty()) {
        // Add before Create: the arrays start as Create makes them.
        modes_.fill(0, kInitialSlots + 1);
        for (auto* array : {&left_, &top_, &height_, &width_}) {
            array->fill(0, kInitialSlots + 1);
        }
    }
    if (count() >= capacity()) {
        grow();
    }
    children_.append(child);
    const int index = count();
    modes_[index] = static_cast<qint16>(mode);
    const qint32 left = pixelsToTwips(child->x());
    left_[index] = left > kParkedLeft ? left : left + kParkOffset;
    top_[index] = pixelsToTwips(child->y());
    height_[index] = pixelsToTwips(child->height());
    width_[index] = pixelsToTwips(child->width());
}

void CSizer::Resize() {
    if (!container_ || (parentForm_ && parentForm_->isMinimized())) {
        return;
    }
    QWidget* container = container_;
    // One repaint after all the moves instead of one per control; a pass nested in another
    // (the container's own resize below) leaves the outer pass's suspension in place.
    const bool wasUpdating = container->updatesEnabled();
    container->setUpdatesEnabled(false);

    const QSize size = containerTwips(container);
    qint32 height = size.height();
    qint32 width = size.width();
    // A window is never smaller than the minimum, nor larger than the screen's available area,
    // which wins where the minimum does not fit on it (a small screen at a large scale).
    qint32 maxHeight = std::numeric_limits<qint32>::max();
    qint32 maxWidth = maxHeight;
    if (container->isWindow()) {
        const QRect area = AvailableAreaFor(container->frameGeometry());
        if (area.isValid()) {
            maxHeight = pixelsToTwips(area.height());
            maxWidth = pixelsToTwips(area.width());
        }
    }
    height = std::min(std::max(height, minHeight_), maxHeight);
    width = std::min(std::max(width, minWidth_), maxWidth);
    if (height != size.height() || width != size.width()) {
        ResizeToOuterTwips(container, width, height);
    }
    const qint32 dH = height - initialHeight_;
    const qint32 dW = width - initialWidth_;

    for (int index = 1; index <= count(); ++index) {
        QWidget* child = children_[index - 1];
        if (child == nullptr) {
            continue;
        }
        qint32 left = pixelsToTwips(child->x());
        if (left <= kParkedLeft) {
            continue;
        }
        qint32 top = pixelsToTwips(child->y());
        qint32 childWidth = pixelsToTwips(child->width());
        qint32 childHeight = pixelsToTwips(child->height());
        const int mode = modes_[index];
        if (mode & kMoveRight) {
            left = std::max(0, left_[index] + dW);
        }
        if (mode & kMoveDown) {
            top = std::max(0, top_[index] + dH);
        }
        if (mode & kStretchRight) {
            childWidth = std::max(0, width_[index] + dW);
        }
        if (mode & kStretchDown) {
            childHeight = std::max(0, height_[index] + dH) - kHeightAllowance;
        }
        // A control registered less than 15 twips high cannot take a negative height.
        child->setGeometry(twipsRect(left, top, childWidth, std::max(0, childHeight)));
    }

    container->setUpdatesEnabled(wasUpdating);
}

void CSizer::restoreRegistered() {
    for (int index = 1; index <= count(); ++index) {
        QWidget* child = children_[index - 1];
        if (child != nullptr && pixelsToTwips(child->x()) > kParkedLeft) {
            child->setGeometry(twipsRect(left_[index], top_[index], width_[index], height_[index]));
        }
    }
}

int CSizer::count() const {
    return static_cast<int>(children_.size());
}

int CSizer::capacity() const {
    return modes_.isEmpty() ? 0 : static_cast<int>(modes_.size() - 1);
}

int CSizer::registeredLeft(int index) const {
    return index >= 1 && index <= count() ? left_[index] : 0;
}

int CSizer::registeredTop(int index) const {
    return index >= 1 && index <= count() ? top_[index] : 0;
}

int CSizer::registeredWidth(int index) const {
    return index >= 1 && index <= count() ? width_[index] : 0;
}

int CSizer::registeredHeight(int index) const {
    return index >= 1 && index <= count() ? height_[index] : 0;
}

int CSizer::mode(int index) const {
    return index >= 1 && index <= count() ? modes_[index] : 0;
}

bool CSizer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentForm_ && event->type() == QEvent::Resize) {
        Resize();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillon
