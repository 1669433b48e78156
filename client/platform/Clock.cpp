#include "platform/Clock.h"

namespace quillon {

namespace {
std::function<QDateTime()>& clock() {
    static std::function<QDateTime()> c;
    return c;
}
}  // namespace

QDateTime Now() {
    return clock() ? clock()() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> c) {
    clock() = std::move(c);
}

}  // namespace quillon
