#include "desktop/Beep.h"

#include <QApplication>

namespace quillon {

namespace {
std::function<void()>& beeper() {
    static std::function<void()> b;
    return b;
}
}  // namespace

void Beep() {
    if (beeper()) {
        beeper()();
    } else {
        QApplication::beep();
    }
}

void setBeepHandler(std::function<void()> beep) {
    beeper() = std::move(beep);
}

}  // namespace quillon
