#pragma once

#include <functional>

namespace quillon {

// Sounds the system beep, or whatever a test installed in its place.
void Beep();

// Installs a beep; an empty function restores the real one.
void setBeepHandler(std::function<void()> beep);

}  // namespace quillon
