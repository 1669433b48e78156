#pragma once

#include <QDateTime>
#include <functional>

namespace quillon {

// The current local date and time. Every reading of the clock in the client goes
// through here so that a test can fix the time.
QDateTime Now();

// Installs a clock; an empty function restores the system clock.
void setClock(std::function<QDateTime()> clock);

}  // namespace quillon
