#include "main/CSizer.h"

// SKELETON: the sizer is being built.

namespace quillon {

CSizer::CSizer(QObject* parent) : QObject(parent) {}
CSizer::~CSizer() = default;
void CSizer::Create(QWidget* container, int minHeight, int minWidth) {
    container_ = container;
    minHeight_ = minHeight;
    minWidth_ = minWidth;
}
void CSizer::Add(QWidget* child, int) {
    children_.append(child);
}
void CSizer::Resize() {}
int CSizer::count() const {
    return static_cast<int>(children_.size());
}
int CSizer::capacity() const {
    return 10;
}
int CSizer::registeredLeft(int) const {
    return 0;
}
bool CSizer::eventFilter(QObject* watched, QEvent* event) {
    return QObject::eventFilter(watched, event);
}

}  // namespace quillon
